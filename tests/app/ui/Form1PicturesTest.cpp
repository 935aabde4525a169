#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QMenu>
#include <QSpinBox>
#include <QToolButton>
#include <gtest/gtest.h>

#include "app/ui/Form1.h"
#include "compose/WindowServices.h"
#include "listops/ListHistory.h"
#include "listops/ui/LinkListView.h"
#include "pictures/ui/ListColumns.h"
#include "pictures/ui/PicturePane.h"
#include "support/LocalHttpServer.h"
#include "support/ScriptedPrompt.h"
#include "support/TempSettingsStore.h"
#include "support/WaitFor.h"

namespace
{

class Form1PicturesTest : public ::testing::Test
{
protected:
    std::unique_ptr<Form1> makeForm()
    {
        return std::make_unique<Form1>(windowServices(m_temp.store()), &m_prompt);
    }

    TempSettingsStore m_temp;
    ScriptedPrompt m_prompt;
};

PictureFacts measured(int width, int height)
{
    PictureFacts f;
    f.state = PictureFacts::State::Measured;
    f.width = width;
    f.height = height;
    return f;
}

// The two commands act on what the grid shows (a picture not measured yet among it).
TEST_F(Form1PicturesTest, SelectShownAndKeepOnlyShownAreOneUndoStepEach)
{
    auto form = makeForm();
    const auto run = [&](MainCommand command) { form->action(command)->trigger(); };
    form->list().addMany(
        { "http://h/big.jpg", "http://h/small.png", "http://h/page.html", "http://h/new.gif" });
    PictureGridModel* model = form->picturePane()->model();
    model->setPicture("http://h/big.jpg", measured(1600, 1200), {});
    model->setPicture("http://h/small.png", measured(40, 40), {});
    PictureCriteria criteria;
    criteria.minWidth = 500;
    model->setCriteria(criteria);

    run(MainCommand::SelectShown);
    EXPECT_EQ(form->list().selectedIndexes(), (QList<int> { 0, 3 }));
    run(MainCommand::Undo);
    EXPECT_TRUE(form->list().selectedIndexes().isEmpty());
    run(MainCommand::KeepShown);
    EXPECT_EQ(form->list().entries(), (QStringList { "http://h/big.jpg", "http://h/new.gif" }));
    run(MainCommand::Undo);
    EXPECT_EQ(form->list().count(), 4);
}

TEST_F(Form1PicturesTest, ThePictureViewIsRememberedForTheNextStart)
{
    {
        auto form = makeForm();
        form->action(MainCommand::ShowPictures)->trigger();
        EXPECT_TRUE(form->picturePane()->isActive());
        EXPECT_TRUE(form->listView()->isHidden());
    }
    auto form = makeForm();
    EXPECT_TRUE(form->action(MainCommand::ShowPictures)->isChecked());
    EXPECT_TRUE(form->picturePane()->isActive());
    form->action(MainCommand::ShowPictures)->trigger();
    EXPECT_FALSE(form->picturePane()->isActive());
    EXPECT_FALSE(form->listView()->isHidden());
}

// The filters and order chosen in the picture view are there again at the next start.
TEST_F(Form1PicturesTest, ThePictureFiltersAndOrderAreRememberedForTheNextStart)
{
    PictureCriteria chosen;
    {
        auto form = makeForm();
        PicturePane* pane = form->picturePane();
        pane->findChild<QSpinBox*>("minWidth")->setValue(300);
        pane->findChild<QSpinBox*>("minSize")->setValue(20);
        pane->findChild<QToolButton*>("pictureTypes")->menu()->actions().at(1)->setChecked(true);
        pane->findChild<QComboBox*>("pictureOrder")->setCurrentIndex(2);
        pane->findChild<QCheckBox*>("pictureDescending")->setChecked(true);
        chosen = pane->model()->criteria();
    }
    EXPECT_EQ(chosen.minWidth, 300);
    EXPECT_EQ(chosen.types.size(), 1);
    EXPECT_EQ(makeForm()->picturePane()->model()->criteria(), chosen);
}

} // namespace

namespace
{

// The list's optional columns: shown from the menu and at the next start, filled by
// measuring, sorted by a header click without reordering the list, and the selection the
// list's in both views.
TEST_F(Form1PicturesTest, ListColumnsAreMeasuredAndSortedWithoutReorderingTheList)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImage(800, 600, QImage::Format_RGB32).save(&buffer, "PNG");
    LocalHttpServer site;
    site.page("/wide.png", png.toStdString(), "image/png");
    ASSERT_TRUE(site.start());
    {
        auto form = makeForm();
        form->action(MainCommand::ColumnPixels)->trigger();
        EXPECT_TRUE(form->listView()->showsTable());
    }
    auto form = makeForm();
    LinkListView* view = form->listView();
    ASSERT_TRUE(form->action(MainCommand::ColumnPixels)->isChecked());
    ASSERT_TRUE(view->showsTable());
    form->list().addMany({ "http://h/page.html", site.url("/wide.png"), site.url("/gone.png") });
    QAbstractItemModel* shown = view->model();
    EXPECT_TRUE(waitFor([&] { return shown->index(1, 0).data().toString() == "800 × 600"; }));

    view->header()->setSortIndicator(0, Qt::DescendingOrder);
    EXPECT_EQ(shown->index(0, 1).data().toString(), site.url("/wide.png"));
    EXPECT_EQ(form->list().at(1), site.url("/wide.png"));

    form->list().setSelected(2, true);
    QModelIndexList rows = view->selectionModel()->selectedRows(1);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows.first().data().toString(), site.url("/gone.png"));
    view->selectionModel()->select(
        shown->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    EXPECT_EQ(form->list().selectedIndexes(), QList<int> { 1 });

    form->action(MainCommand::ColumnPixels)->trigger();
    EXPECT_FALSE(view->showsTable());
    EXPECT_EQ(view->model(), &form->list());
    EXPECT_EQ(view->selectionModel(), form->list().selectionModel());
}

} // namespace
