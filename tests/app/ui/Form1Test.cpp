#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "app/ui/Form1.h"
#include "app/ui/MainCommandTable.h"
#include "app/ui/PatternBar.h"
#include "compose/WindowServices.h"
#include "listops/EntryJsonLines.h"
#include "listops/ListHistory.h"
#include "listops/ui/LinkListView.h"
#include "settings/CRegSettings.h"
#include "support/ScriptedPrompt.h"
#include "support/TempSettingsStore.h"
#include "viewer/ui/MainToolbar.h"

namespace
{

class Form1Test : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_temp.isValid()); }

    std::unique_ptr<Form1> makeForm()
    {
        return std::make_unique<Form1>(windowServices(m_temp.store()), &m_prompt);
    }

    CRegSettings settings() { return m_temp.settings(); }

    TempSettingsStore m_temp;
    ScriptedPrompt m_prompt;
};

TEST_F(Form1Test, FreshStartUsesDefaults)
{
    auto form = makeForm();
    const MainState& s = form->state();
    EXPECT_TRUE(s.prefs.ontop);
    EXPECT_FALSE(s.prefs.newwin);
    EXPECT_FALSE(s.prefs.exjs);
    EXPECT_FALSE(s.prefs.exmt);
    EXPECT_FALSE(s.prefs.defappend);
    EXPECT_EQ(s.prefs.owaction, OverwriteAction::Prompt);
    EXPECT_TRUE(s.filters.ftypes.isEmpty());
    EXPECT_FALSE(form->findChild<QAction*>("mnuopappfilt")->isEnabled());
    EXPECT_FALSE(form->findChild<QAction*>("mnuopappfilt")->isChecked());
    EXPECT_EQ(form->windowTitle(), "Quillmarch");
    EXPECT_EQ(form->Status(), form->idleStatusText());
    EXPECT_EQ(form->statusPanelText(), form->idleStatusText());
    EXPECT_TRUE(form->isTopmost());
    EXPECT_EQ(s.window.meX, form->width());
    EXPECT_EQ(s.window.meY, form->height());
}

TEST_F(Form1Test, StartUpReadsStoredPreferencesAndFilters)
{
    CRegSettings reg = settings();
    reg.SaveSetting("Options", "On Top", "False");
    reg.SaveSetting("Options", "New Window", "1");
    reg.SaveSetting("Options", "Exclude JS Links", "True");
    reg.SaveSetting("Options", "Exclude Mailto Links", "true");
    reg.SaveSetting("Options", "Default Append", "yes"); // unreadable: the default holds
    reg.SaveSetting("Options", "Overwrite Action", "3");
    reg.SaveSetting("File Types", "Type 0", "Images - jpg");
    reg.SaveSetting("File Types", "Type 1", "Archive - tar - gz");
    reg.SaveSetting("Filters", "Apply Filters", "1");

    auto form = makeForm();
    const MainState& s = form->state();
    EXPECT_FALSE(s.prefs.ontop);
    EXPECT_FALSE(form->isTopmost());
    EXPECT_TRUE(s.prefs.newwin);
    EXPECT_TRUE(s.prefs.exjs);
    EXPECT_TRUE(s.prefs.exmt);
    EXPECT_FALSE(s.prefs.defappend);
    EXPECT_EQ(s.prefs.owaction, OverwriteAction::Unique);
    EXPECT_EQ(s.filters.ftypes, (QStringList { "jpg", "tar - gz" }));
    EXPECT_TRUE(form->findChild<QAction*>("mnuopappfilt")->isEnabled());
    EXPECT_TRUE(form->findChild<QAction*>("mnuopappfilt")->isChecked());
}

// What a harvest collects is read at start (any letter case), shown by the radio items
// and stored when chosen; the scroll and engine switches likewise.
TEST_F(Form1Test, CollectChoiceAndScrollSwitchAreReadShownAndStored)
{
    settings().SaveSetting("Options", "Collect", "media");
    auto form = makeForm();
    const auto item = [&](const char* name) { return form->findChild<QAction*>(name); };
    EXPECT_EQ(form->state().filters.harvest, (HarvestScope { HarvestCollect::Media, false }));
    EXPECT_TRUE(item("mnuopcolmedia")->isChecked());
    EXPECT_TRUE(item("mnuopfullsize")->isChecked());
    EXPECT_FALSE(item("mnuopcollinks")->isChecked());

    item("mnuopcolboth")->trigger();
    item("mnuopscroll")->trigger();
    item("mnuopfullsize")->trigger();
    EXPECT_EQ(form->state().filters.harvest, (HarvestScope { HarvestCollect::Both, true, false }));
    EXPECT_FALSE(item("mnuopfullsize")->isChecked());
    EXPECT_EQ(settings().GetSetting("Options", "Linked Full Size", ""), "False");
    item("mnuopengine")->trigger();
    EXPECT_EQ(
        form->state().filters.harvest, (HarvestScope { HarvestCollect::Both, true, false, true }));
    EXPECT_TRUE(item("mnuopengine")->isChecked());
    EXPECT_FALSE(item("mnuopcolmedia")->isChecked());
    EXPECT_EQ(settings().GetSetting("Options", "Collect", ""), "Both");
    EXPECT_EQ(settings().GetSetting("Options", "Scroll Pages", ""), "True");
    EXPECT_EQ(settings().GetSetting("Options", "Engine Only", ""), "True");

    settings().SaveSetting("Options", "Collect", "Pictures");
    EXPECT_EQ(makeForm()->state().filters.harvest.collect, HarvestCollect::Links);
}

TEST_F(Form1Test, ProgressZeroShowsTextAndOtherValuesShowTheBar)
{
    auto form = makeForm();
    form->show();
    form->setCountText("12 links found");
    form->setProgress(200, 50);
    EXPECT_EQ(form->Progress(), 50);
    EXPECT_EQ(form->progressMax(), 200);
    form->setProgress(100, 0);
    EXPECT_EQ(form->Progress(), 0);
    EXPECT_EQ(form->countText(), "12 links found");
}

TEST_F(Form1Test, EscapeWithoutHarvestResetsStatusAndEnablesWindow)
{
    auto form = makeForm();
    form->show();
    form->setStatus(StatusKind::Other, "Working");
    form->setWindowEnabled(false);
    form->setProgress(100, 40);
    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_EQ(form->Status(), form->idleStatusText());
    EXPECT_TRUE(form->windowInputEnabled());
    EXPECT_EQ(form->Progress(), 0);
    EXPECT_EQ(form->progressMax(), 100);
}

TEST_F(Form1Test, ClosingAsksOnlyWhenAnOutsideWindowIsOpen)
{
    auto form = makeForm();
    form->show();
    form->close();
    EXPECT_TRUE(m_prompt.messages.isEmpty());

    auto second = makeForm();
    second->show();
    second->state().window.openedone = true;
    second->close();
    ASSERT_EQ(m_prompt.messages.size(), 1);
    EXPECT_EQ(m_prompt.messages[0].title, "Close Browser Window?");
    EXPECT_EQ(m_prompt.messages[0].icon, PromptIcon::Question);
}

TEST_F(Form1Test, CommandLineTextIsBuiltLikeClipboardText)
{
    auto form = makeForm();
    form->buildFromText("http://a.example/1\r\nnot a link\r\nftp://b.example/2");
    EXPECT_EQ(form->list().entries(), (QStringList { "http://a.example/1", "ftp://b.example/2" }));
    EXPECT_GT(form->listView()->horizontalExtent(), 0);
}

TEST_F(Form1Test, ClipboardBuildReadsTheClipboard)
{
    auto form = makeForm();
    QApplication::clipboard()->setText("http://c.example/x\r\n");
    form->mnufClip_Click();
    EXPECT_EQ(form->list().entries(), (QStringList { "http://c.example/x" }));
}

TEST_F(Form1Test, PlainTextDropBuildsAndFileListsAreRefused)
{
    auto form = makeForm();
    QMimeData text;
    text.setText("http://drop.example/a\r\nhttp://drop.example/b");
    EXPECT_TRUE(LinkListView::acceptsDrop(&text));

    QMimeData files;
    files.setUrls({ QUrl::fromLocalFile("/tmp/a.txt") });
    EXPECT_FALSE(LinkListView::acceptsDrop(&files));
    QMimeData image;
    image.setImageData(QImage(4, 4, QImage::Format_RGB32));
    EXPECT_FALSE(LinkListView::acceptsDrop(&image));

    emit form->listView()->textDropped(text.text());
    EXPECT_EQ(form->list().count(), 2);
}

TEST_F(Form1Test, ListCommandsSelectClearAndRemoveTheFocusedEntry)
{
    auto form = makeForm();
    form->list().addMany({ "http://a", "http://b", "http://c" });
    form->mnulstselall_Click();
    EXPECT_EQ(form->list().selectedCount(), 3);

    form->list().setCurrentIndex(1);
    form->mnusavpopremove_Click();
    EXPECT_EQ(form->list().entries(), (QStringList { "http://a", "http://c" }));
    EXPECT_EQ(form->list().selectedCount(), 2);

    form->setCountText("2 links found");
    form->mnulstclr_Click();
    EXPECT_EQ(form->list().count(), 0);
    EXPECT_EQ(form->countText(), "");
    form->mnulstclr_Click(); // an empty list clears again without harm
    EXPECT_EQ(form->countText(), "");
}

// Undo walks back through a build that failed after replacing the list, a clear and a
// pattern remove, each one step, keeping the entries' context; the count panel follows.
TEST_F(Form1Test, UndoWalksBackAFailedBuildAClearAndAPatternRemove)
{
    auto form = makeForm();
    const EntryContext image { EntryKind::Image, "alt", "http://p/", "Page" };
    form->list().addEntries({ { "http://a/1.jpg", image }, { "http://a/2.html", {} } });
    const auto run = [&](MainCommand command) { form->action(command)->trigger(); };
    QFile file(m_temp.filePath("bad.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("http://f/1\r\nnot a link\r\n");
    file.close();
    m_prompt.openNames.push_back(file.fileName());
    m_prompt.desiredActions.push_back(false); // replace
    run(MainCommand::BuildFromFile);
    ASSERT_EQ(m_prompt.titles().value(0), "Bad Format");
    ASSERT_EQ(form->list().entries(), QStringList { "http://f/1" });
    run(MainCommand::ClearList);
    emit form->listView()->textDropped("http://b/1.jpg\nhttp://b/2.png\nhttp://b/3.JPEG");
    form->patternBar()->field()->setText("/\\.jpe?g$/");
    run(MainCommand::RemoveMatching);
    ASSERT_EQ(form->list().entries(), QStringList { "http://b/2.png" });

    const struct {
        QStringList entries;
        QString count;
    } back[] = {
        { { "http://b/1.jpg", "http://b/2.png", "http://b/3.JPEG" }, "3 links found" },
        { {}, "" },
        { { "http://f/1" }, "1 links found" },
        { { "http://a/1.jpg", "http://a/2.html" }, "2 links found" },
    };
    for (const auto& step : back) {
        run(MainCommand::Undo);
        EXPECT_EQ(form->list().entries(), step.entries);
        EXPECT_EQ(form->countText(), step.count);
    }
    EXPECT_EQ(form->list().contextAt(0), image);
    run(MainCommand::Redo);
    EXPECT_EQ(form->list().entries(), QStringList { "http://f/1" });
}

// "Select matching" replaces the selection (undoable), "Keep only matching" drops the
// rest, "Remove all selected links" every selected entry; a bad pattern is reported.
TEST_F(Form1Test, PatternCommandsAndRemovingTheSelection)
{
    auto form = makeForm();
    const auto run = [&](MainCommand command) { form->action(command)->trigger(); };
    form->list().addMany({ "http://a/x.png", "http://a/y.gif", "http://b/z.PNG", "http://c/w" });
    form->list().setSelected(3, true);
    form->patternBar()->field()->setText("*.png");
    run(MainCommand::SelectMatching);
    EXPECT_EQ(form->list().selectedIndexes(), (QList<int> { 0, 2 }));
    run(MainCommand::Undo);
    EXPECT_EQ(form->list().selectedIndexes(), QList<int> { 3 });

    form->patternBar()->field()->setText("http://?/*");
    run(MainCommand::KeepMatching); // every entry matches: nothing changes
    form->patternBar()->field()->setText("*a/*");
    run(MainCommand::KeepMatching);
    EXPECT_EQ(form->list().entries(), (QStringList { "http://a/x.png", "http://a/y.gif" }));
    form->list().setRangeSelected(0, 1, true);
    run(MainCommand::RemoveSelected);
    EXPECT_TRUE(form->list().isEmpty());
    run(MainCommand::Undo);
    run(MainCommand::Undo);
    EXPECT_EQ(form->list().count(), 4);

    form->patternBar()->field()->setText("/[/");
    run(MainCommand::RemoveMatching);
    run(MainCommand::SelectMatching); // selects nothing: what could be redone stays
    EXPECT_EQ(form->list().count(), 4);
    EXPECT_EQ(m_prompt.titles(), (QStringList { "Pattern", "Pattern" }));
    EXPECT_TRUE(form->history().canRedo());
}

// The count panel follows each command that changes the list, not only the builds.
TEST_F(Form1Test, CountFollowsEveryChangeOfTheList)
{
    auto form = makeForm();
    const auto run = [&](MainCommand command) { form->action(command)->trigger(); };
    emit form->listView()->textDropped("http://a/1.png\nhttp://a/2.gif\nhttp://a/3.png");
    const struct {
        std::function<void()> change;
        QString count;
    } rows[] = {
        { [&] {
             m_prompt.singleLinks.push_back(SingleLinkRequest { "http://b/4.png", true });
             run(MainCommand::AddSingleLink);
         },
            "4 links found" },
        { [&] {
             form->patternBar()->field()->setText("*.png");
             run(MainCommand::KeepMatching);
         },
            "3 links found" },
        { [&] {
             form->patternBar()->field()->setText("*b/*");
             run(MainCommand::RemoveMatching);
         },
            "2 links found" },
        { [&] { run(MainCommand::Undo); }, "3 links found" },
        { [&] { run(MainCommand::Redo); }, "2 links found" },
        { [&] {
             m_prompt.desiredActions.push_back(true); // append, as a hand-over may
             form->buildFromText("http://c/5\nhttp://c/6");
         },
            "4 links found" },
        { [&] {
             form->list().setRangeSelected(0, 2, true);
             run(MainCommand::RemoveSelected);
         },
            "1 links found" },
    };
    for (const auto& row : rows) {
        row.change();
        EXPECT_EQ(form->countText(), row.count) << form->list().entries().join(' ').toStdString();
    }
}

// After a pattern command the keys go to the list; a pattern that cannot be read keeps
// them in the field.
TEST_F(Form1Test, PatternCommandsHandTheFocusToTheList)
{
    auto form = makeForm();
    form->list().addMany({ "http://a/x.png", "http://a/y.gif" });
    const struct {
        MainCommand command;
        QString pattern;
        bool toList;
    } rows[] = {
        { MainCommand::SelectMatching, "*.png", true },
        { MainCommand::RemoveMatching, "*.gif", true },
        { MainCommand::KeepMatching, "*.png", true },
        { MainCommand::KeepMatching, "/[/", false },
    };
    for (const auto& row : rows) {
        form->patternBar()->field()->setFocus();
        form->patternBar()->field()->setText(row.pattern);
        form->action(row.command)->trigger();
        EXPECT_EQ(form->focusWidget() == form->listView(), row.toList) << row.pattern.toStdString();
    }
}

// A build is one undo step whether the menu or the toolbar starts it, right after
// another change (a drop): one undo gives back the dropped list.
TEST_F(Form1Test, EachBuildIsOneUndoStepWhereverItStarts)
{
    auto form = makeForm();
    const std::function<void()> starts[] = {
        [&] { form->action(MainCommand::BuildFromClipboard)->trigger(); },
        [&] { form->Toolbar1_ButtonClick(MainToolbar::keyOf(MainToolbar::Button::ListClp)); },
    };
    for (size_t row = 0; row < std::size(starts); ++row) {
        const QString dropped = QStringLiteral("http://d.example/%1").arg(row);
        if (!form->list().isEmpty())
            m_prompt.desiredActions.push_back(false); // replace
        emit form->listView()->textDropped(dropped);
        QGuiApplication::clipboard()->setText("http://c.example/1\nhttp://c.example/2");
        m_prompt.desiredActions.push_back(true); // append
        const int steps = form->history().undoSteps();
        starts[row]();
        EXPECT_EQ(form->list().count(), 3) << row;
        EXPECT_EQ(form->history().undoSteps(), steps + 1) << row;
        form->action(MainCommand::Undo)->trigger();
        EXPECT_EQ(form->list().entries(), QStringList { dropped }) << row;
    }
}

// Every command has one item, found by its own object name; every typed toolbar button
// and drop-down entry names an item of the toolbar and maps back from its key.
TEST_F(Form1Test, TypedCommandsNameTheirItems)
{
    auto form = makeForm();
    QSet<QString> names;
    for (const MainCommandTable::Entry& entry : MainCommandTable::entries()) {
        QAction* item = form->action(entry.command);
        ASSERT_NE(item, nullptr) << entry.objectName;
        EXPECT_EQ(item->objectName(), QLatin1String(entry.objectName));
        names.insert(item->objectName());
    }
    EXPECT_EQ(names.size(), static_cast<int>(MainCommand::PopupRemove) + 1);
    using Button = MainToolbar::Button;
    using Entry = MainToolbar::MenuEntry;
    for (int i = 0; i <= static_cast<int>(Button::Help); ++i) {
        const auto button = static_cast<Button>(i);
        EXPECT_NE(form->toolbar()->button(button), nullptr) << i;
        EXPECT_EQ(MainToolbar::buttonOf(MainToolbar::keyOf(button)), button);
    }
    for (int i = 0; i <= static_cast<int>(Entry::AppendList); ++i) {
        const auto entry = static_cast<Entry>(i);
        EXPECT_NE(form->toolbar()->menuEntry(entry), nullptr) << i;
        EXPECT_EQ(MainToolbar::menuEntryOf(MainToolbar::keyOf(entry)), entry);
    }
    EXPECT_EQ(MainToolbar::buttonOf(QStringLiteral("Sav")), std::nullopt);
}

TEST_F(Form1Test, CommandStatesFollowTheList)
{
    auto form = makeForm();
    EXPECT_FALSE(form->findChild<QAction*>("mnufsavlst")->isEnabled());
    EXPECT_FALSE(form->findChild<QAction*>("mnufapplist")->isEnabled());
    form->list().addMany({ "http://a", "http://b" });
    EXPECT_TRUE(form->findChild<QAction*>("mnufsavlst")->isEnabled());
    form->list().setSelected(0, true);
    EXPECT_TRUE(form->findChild<QAction*>("mnusavpopopen")->isEnabled());
    EXPECT_TRUE(form->findChild<QAction*>("mnusavpopbuild")->isEnabled());
    EXPECT_TRUE(form->findChild<QAction*>("mnusavpopremove")->isEnabled());
    form->list().setSelected(1, true);
    EXPECT_FALSE(form->findChild<QAction*>("mnusavpopopen")->isEnabled());
    EXPECT_FALSE(form->findChild<QAction*>("mnusavpopbuild")->isEnabled());
    EXPECT_FALSE(form->findChild<QAction*>("mnusavpopremove")->isEnabled());
}

TEST_F(Form1Test, SaveThenBuildFromFileRoundTripsAndRemembersThePath)
{
    auto form = makeForm();
    form->list().addMany({ "http://a.example/1", "mailto:x@example.com", "ftp://b.example/2" });
    const QString path = m_temp.filePath("list.txt");
    m_prompt.saveNames.push_back(path);
    form->mnufsavlst_Click();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(
        file.readAll(), "http://a.example/1\r\nmailto:x@example.com\r\nftp://b.example/2\r\n");
    EXPECT_EQ(settings().GetSetting("Options", "Last Used Save Folder", ""), path);

    auto second = makeForm();
    m_prompt.openNames.push_back(path);
    second->mnufFile_Click();
    EXPECT_EQ(m_prompt.lastPickerInitial, path);
    EXPECT_EQ(second->list().entries(), form->list().entries());
    EXPECT_EQ(second->countText(), "3 links found");
    EXPECT_EQ(second->Status(), second->idleStatusText());
}

TEST_F(Form1Test, CancelledPickersChangeNothing)
{
    auto form = makeForm();
    form->list().addMany({ "http://a" });
    form->mnufsavlst_Click();
    form->mnufapplist_Click();
    form->mnufFile_Click();
    EXPECT_EQ(settings().GetSetting("Options", "Last Used Save Folder", "unset"), "unset");
    EXPECT_EQ(form->list().count(), 1);
}

TEST_F(Form1Test, SaveFailureIsReportedAndTheOldFileKept)
{
    auto form = makeForm();
    form->list().addMany({ "http://a" });
    m_prompt.saveNames.push_back(m_temp.filePath("missing-folder/list.txt"));
    form->mnufsavlst_Click();
    ASSERT_EQ(m_prompt.messages.size(), 1);
    EXPECT_EQ(m_prompt.messages[0].title, "Error");
    EXPECT_FALSE(m_prompt.messages[0].text.isEmpty());
}

TEST_F(Form1Test, ExportWritesTheChosenTypeAndReportsFailures)
{
    auto form = makeForm();
    QAction* command = form->findChild<QAction*>("mnufexport");
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->text(), "Export list...");
    form->list().add("http://a/i.png", { EntryKind::Image, "pic", "http://a/", "Home" });
    const struct {
        int filterIndex;
        QString name;
        QByteArray content; // empty: the export fails with a message
    } rows[] = {
        { 0, "l.csv", "url,kind,text,page,title\r\nhttp://a/i.png,image,pic,http://a/,Home\r\n" },
        { 1, "l.jsonl", EntryJsonLines::encode(form->list().entryAt(0)) },
        { 2, "l.txt", "http://a/i.png\n  referer=http://a/\n" },
        { 2, "missing-folder/l.txt", "" },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name.toStdString());
        m_prompt.messages.clear();
        const QString path = m_temp.filePath(row.name);
        m_prompt.exportTargets.push_back(SaveTarget { path, row.filterIndex });
        form->mnufexport_Click();
        QFile file(path);
        if (row.content.isEmpty()) {
            ASSERT_EQ(m_prompt.messages.size(), 1);
            EXPECT_EQ(m_prompt.messages[0].title, "Error");
            EXPECT_FALSE(file.exists());
            continue;
        }
        EXPECT_TRUE(m_prompt.messages.isEmpty());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), row.content);
    }
    // An export remembers its own folder and leaves the one of the folder picker alone.
    EXPECT_EQ(QDir(m_prompt.lastPickerInitial), QDir(m_temp.filePath(".")));
    EXPECT_EQ(settings().GetSetting("Options", "Last Used Save Folder", "unset"), "unset");
}

TEST_F(Form1Test, PreferencesAreStoredAndTakeEffect)
{
    auto form = makeForm();
    Preferences changed;
    changed.ontop = false;
    changed.newwin = true;
    changed.exjs = true;
    changed.owaction = OverwriteAction::Skip;
    m_prompt.preferences.push_back(changed);
    form->mnuopoptions_Click();
    EXPECT_FALSE(form->state().prefs.ontop);
    EXPECT_FALSE(form->isTopmost());
    EXPECT_TRUE(form->state().prefs.exjs);
    EXPECT_EQ(form->state().prefs.owaction, OverwriteAction::Skip);
    CRegSettings reg = settings();
    EXPECT_EQ(reg.GetSetting("Options", "On Top", ""), "False");
    EXPECT_EQ(reg.GetSetting("Options", "New Window", ""), "1");
    EXPECT_EQ(reg.GetSetting("Options", "Overwrite Action", ""), "2");

    // A restart reads what was saved.
    auto restarted = makeForm();
    EXPECT_FALSE(restarted->state().prefs.ontop);
    EXPECT_TRUE(restarted->state().prefs.newwin);

    // Cancel leaves everything as it was.
    restarted->mnuopoptions_Click();
    EXPECT_FALSE(restarted->state().prefs.ontop);
    EXPECT_EQ(reg.GetSetting("Options", "Overwrite Action", ""), "2");
}

TEST_F(Form1Test, ManagingFiltersUpdatesTheMenuItem)
{
    auto form = makeForm();
    m_prompt.filterLists.push_back(QStringList { "Pictures - jpg", "Archives - zip" });
    form->mnuopfilt_Click();
    EXPECT_EQ(form->state().filters.ftypes, (QStringList { "jpg", "zip" }));
    EXPECT_TRUE(form->findChild<QAction*>("mnuopappfilt")->isEnabled());
    EXPECT_FALSE(form->findChild<QAction*>("mnuopappfilt")->isChecked());

    form->findChild<QAction*>("mnuopappfilt")->trigger();
    EXPECT_TRUE(form->findChild<QAction*>("mnuopappfilt")->isChecked());
    EXPECT_EQ(settings().GetSetting("Filters", "Apply Filters", ""), "1");

    m_prompt.filterLists.push_back(QStringList {});
    form->mnuopfilt_Click();
    EXPECT_FALSE(form->findChild<QAction*>("mnuopappfilt")->isEnabled());
    EXPECT_FALSE(form->findChild<QAction*>("mnuopappfilt")->isChecked());
    EXPECT_EQ(settings().GetSetting("Filters", "Apply Filters", ""), "0");
}

TEST_F(Form1Test, SearchSelectsTheMatchAndReportsMisses)
{
    auto form = makeForm();
    form->list().addMany({ "http://a", "http://bx", "http://cx" });
    m_prompt.searches.push_back(SearchRequest { "X", false, false, false });
    form->mnulstsrch_Click();
    EXPECT_EQ(form->list().selectedIndexes(), (QList<int> { 1 }));
    m_prompt.searches.push_back(SearchRequest { "nothing", false, false, false });
    form->mnulstsrch_Click();
    ASSERT_EQ(m_prompt.messages.size(), 1);
    EXPECT_EQ(m_prompt.messages[0].title, "Not Found");
}

TEST_F(Form1Test, ListExtentCoversTheWidestEntry)
{
    auto form = makeForm();
    form->SetListExtent();
    EXPECT_EQ(form->listView()->horizontalExtent(), 0);
    form->list().addMany({ "http://a", "http://" + QString(300, 'w') });
    form->SetListExtent();
    const QFontMetrics fm(form->listView()->font());
    const int scroll = form->listView()->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int wide = fm.horizontalAdvance(form->list().at(1)) + scroll + 10;
    EXPECT_EQ(form->listView()->horizontalExtent(), wide);

    // Appending keeps the widest; removing the widest shrinks the extent again.
    form->list().add("http://b");
    form->SetListExtent();
    EXPECT_EQ(form->listView()->horizontalExtent(), wide);
    form->list().removeAt(1);
    form->SetListExtent();
    EXPECT_LT(form->listView()->horizontalExtent(), wide);
    EXPECT_GT(form->listView()->horizontalExtent(), 0);
    form->mnulstclr_Click();
    form->SetListExtent();
    EXPECT_EQ(form->listView()->horizontalExtent(), 0);
}

} // namespace
