#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QMainWindow>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QWindow>
#include <gtest/gtest.h>

#include "support/WaitFor.h"
#include "winsupport/ShellPaths.h"
#include "winsupport/ui/Help.h"
#include "winsupport/ui/HelpViewer.h"
#include "winsupport/ui/Shell.h"

namespace
{

int helpWindowCount()
{
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        count += qobject_cast<HelpViewer*>(widget) != nullptr ? 1 : 0;
    return count;
}

class HelpTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        delete openHelpViewer();
        setShellOpener({});
    }
};

} // namespace

TEST_F(HelpTest, DialogTopicsLandOnExistingAnchors)
{
    const QString book = helpBookFolder();
    ASSERT_FALSE(book.isEmpty());
    for (int topic : { 6, 17, 19 }) {
        const QString page = helpTopicPage(topic);
        const int hash = page.indexOf(QLatin1Char('#'));
        ASSERT_GT(hash, 0) << topic;
        QFile file(book + page.left(hash));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << page.toStdString();
        const QByteArray id = "id=\"" + page.mid(hash + 1).toUtf8() + '"';
        EXPECT_TRUE(file.readAll().contains(id)) << page.toStdString();
    }
    EXPECT_EQ(helpTopicPage(0), QStringLiteral("index.html"));
    EXPECT_EQ(helpTopicPage(12345), QStringLiteral("index.html"));
}

TEST_F(HelpTest, ShowHelpOpensOneWindowAndReusesIt)
{
    showHelp(nullptr, 0);
    HelpViewer* first = openHelpViewer();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->hasBook());
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->windowTitle(), QStringLiteral("Quillmarch Help"));
    EXPECT_TRUE(first->currentSource().path().endsWith(QLatin1String("/index.html")));

    showHelp(nullptr, 17);
    EXPECT_EQ(openHelpViewer(), first);
    EXPECT_EQ(helpWindowCount(), 1);
    EXPECT_TRUE(first->currentSource().path().endsWith(QLatin1String("/sequential.html")));
    EXPECT_EQ(first->currentSource().fragment(), QStringLiteral("topic17"));
    EXPECT_FALSE(first->browser()->toPlainText().isEmpty());

    first->close(); // deletes itself
    QApplication::processEvents();
    EXPECT_EQ(openHelpViewer(), nullptr);
    showHelp(nullptr, 19);
    ASSERT_NE(openHelpViewer(), nullptr);
    EXPECT_EQ(helpWindowCount(), 1);
}

TEST_F(HelpTest, LinksInsideTheBookStayAndOthersGoToTheDesktop)
{
    QList<QUrl> handedOut;
    setShellOpener([&handedOut](const QUrl& url) {
        handedOut.append(url);
        return true;
    });
    showHelp(nullptr, 0);
    HelpViewer* viewer = openHelpViewer();
    ASSERT_NE(viewer, nullptr);

    emit viewer->browser()->anchorClicked(QUrl(QStringLiteral("preferences.html#topic6")));
    EXPECT_TRUE(viewer->currentSource().path().endsWith(QLatin1String("/preferences.html")));
    EXPECT_TRUE(handedOut.isEmpty());

    emit viewer->browser()->anchorClicked(QUrl(QStringLiteral("https://www.example.org/")));
    ASSERT_EQ(handedOut.size(), 1);
    EXPECT_EQ(handedOut.front(), QUrl(QStringLiteral("https://www.example.org/")));
    EXPECT_TRUE(viewer->currentSource().path().endsWith(QLatin1String("/preferences.html")));
}

TEST_F(HelpTest, AskedFromAModalDialogTheWindowStaysUsableAndReturnsToTheMainWindow)
{
    QMainWindow main;
    main.setWindowFlag(Qt::WindowStaysOnTopHint);
    main.show();
    QDialog dialog(&main);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &dialog);

    showHelp(&dialog, 6);
    HelpViewer* viewer = openHelpViewer();
    ASSERT_NE(viewer, nullptr);
    // A modal dialog leaves its own windows usable only.
    EXPECT_EQ(viewer->parentWidget(), &dialog);
    EXPECT_TRUE(viewer->isWindow());

    // Then it belongs to the main window: above it (a transient window of it, also when
    // it stays on top) and closed with it.
    dialog.hide();
    EXPECT_EQ(viewer->parentWidget(), &main);
    EXPECT_TRUE(viewer->isWindow());
    EXPECT_TRUE(viewer->isVisible());
    ASSERT_NE(viewer->windowHandle(), nullptr);
    EXPECT_EQ(viewer->windowHandle()->transientParent(), main.windowHandle());
    EXPECT_TRUE(viewer->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(openHelpViewer(), viewer);
}

TEST_F(HelpTest, TheWindowStaysOnTheScreenAndBesideTheDialogItWasAskedFrom)
{
    showHelp(nullptr, 0);
    HelpViewer* viewer = openHelpViewer();
    ASSERT_NE(viewer, nullptr);
    const QRect screen = viewer->screen()->availableGeometry();
    EXPECT_TRUE(waitFor([&] { return screen.contains(viewer->frameGeometry()); }, 2000));

    viewer->resize(300, 200);
    viewer->move(screen.topLeft());
    QDialog dialog;
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setGeometry(QRect(screen.topLeft() + QPoint(20, 20), QSize(200, 150)));
    dialog.show();
    showHelp(&dialog, 19);
    QCoreApplication::processEvents();
    EXPECT_TRUE(screen.contains(viewer->frameGeometry()));
    EXPECT_FALSE(viewer->frameGeometry().intersects(dialog.frameGeometry()));
}

TEST(HelpViewer, MissingBookSaysWhereItLooked)
{
    HelpViewer viewer(QString(),
        { QStringLiteral("/nowhere/help"), QStringLiteral("/usr/share/quillmarch/help") });
    viewer.showPage(QStringLiteral("preferences.html#topic6"));
    const QString text = viewer.browser()->toPlainText();
    EXPECT_TRUE(text.contains(QLatin1String("not found")));
    EXPECT_TRUE(text.contains(QLatin1String("/nowhere/help")));
    EXPECT_TRUE(text.contains(QLatin1String("/usr/share/quillmarch/help")));
}

// Manual look at the help window on a real display; runs until the window is closed:
// ui_tests --gtest_also_run_disabled_tests --gtest_filter='HelpManual.*'
// QM_HELP_TOPIC chooses the topic (contents when unset).
TEST(HelpManual, DISABLED_ShowTheHelpWindow)
{
    showHelp(nullptr, qEnvironmentVariableIntValue("QM_HELP_TOPIC"));
    HelpViewer* viewer = openHelpViewer();
    ASSERT_NE(viewer, nullptr);
    QObject::connect(viewer, &QObject::destroyed, qApp, &QApplication::quit);
    QApplication::exec();
}
