#include <QAbstractItemModel>
#include <QCompleter>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include "settings/CRegSettings.h"
#include "support/TempSettingsStore.h"
#include "winsupport/UrlHistory.h"
#include "winsupport/ui/Shell.h"

namespace
{

class ShellTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setShellOpener([this](const QUrl& url) {
            m_opened.append(url);
            return m_handlerExists;
        });
    }
    void TearDown() override { setShellOpener({}); }

    QList<QUrl> m_opened;
    bool m_handlerExists = true;
};

QStringList completions(QCompleter* completer)
{
    QStringList offered;
    QAbstractItemModel* model = completer->completionModel();
    for (int row = 0; row < model->rowCount(); ++row)
        offered.append(model->index(row, 0).data().toString());
    return offered;
}

} // namespace

TEST_F(ShellTest, OpensWebAndMailAddressesOnly)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const struct {
        QString target;
        int expected;
    } rows[] = {
        { QStringLiteral("https://www.example.org/about"), kShellOpened },
        { QStringLiteral("ftp://ftp.example.org/pub/"), kShellOpened },
        { QStringLiteral("mailto:support@example.org"), kShellOpened },
        { folder.path(), kShellOpened }, // "Open Folder" after a download
        { QString(), kShellNoHandler },
        { QStringLiteral("   "), kShellNoHandler },
        { QStringLiteral("/etc/passwd"), kShellNoHandler }, // a file is never launched
        { QStringLiteral("file:///etc/passwd"), kShellNoHandler },
        { QStringLiteral("javascript:alert(1)"), kShellNoHandler },
        { QStringLiteral("http://"), kShellNoHandler },
        { QStringLiteral("mailto:"), kShellNoHandler },
    };
    for (const auto& row : rows) {
        m_opened.clear();
        EXPECT_EQ(OpenWithShell(nullptr, row.target), row.expected) << row.target.toStdString();
        EXPECT_EQ(m_opened.size(), row.expected == kShellOpened ? 1 : 0)
            << row.target.toStdString();
    }
}

TEST_F(ShellTest, NoHandlerForAnAcceptedAddressAnswers31)
{
    m_handlerExists = false;
    EXPECT_EQ(
        OpenWithShell(nullptr, QStringLiteral("mailto:support@example.org")), kShellNoHandler);
    ASSERT_EQ(m_opened.size(), 1);
    EXPECT_EQ(m_opened.front(), QUrl(QStringLiteral("mailto:support@example.org")));
}

TEST(AutoComplete, OffersARememberedUrlForATypedPrefix)
{
    TempSettingsStore temp;
    ASSERT_TRUE(temp.isValid());
    UrlHistory history(temp.settings());
    history.remember(QStringLiteral("http://gallery.example.com/album/page07.html"));
    history.remember(QStringLiteral("ftp://files.example.net/pub/"));

    QLineEdit edit;
    AttachAutoComplete(&edit, history);
    QCompleter* completer = edit.completer();
    ASSERT_NE(completer, nullptr);
    edit.show();
    QTest::keyClicks(&edit, QStringLiteral("HTTP://gall"));
    EXPECT_EQ(completions(completer),
        QStringList { QStringLiteral("http://gallery.example.com/album/page07.html") });

    // A URL remembered while the box exists is offered too.
    history.remember(QStringLiteral("http://gallery.example.com/album/page08.html"));
    completer->setCompletionPrefix(edit.text());
    EXPECT_EQ(completions(completer).size(), 2);
    // The history went to the settings store given.
    EXPECT_EQ(temp.settings().GetAllSettings(QStringLiteral("URL History")).size(), 3);
}

TEST(AutoComplete, OffersPathsOnceAPathIsTyped)
{
    UrlHistory history;
    QLineEdit edit;
    AttachAutoComplete(&edit, history);
    edit.show();
    QTest::keyClicks(&edit, QStringLiteral("/us"));
    EXPECT_NE(qobject_cast<QFileSystemModel*>(edit.completer()->model()), nullptr);

    edit.clear();
    QTest::keyClicks(&edit, QStringLiteral("h"));
    EXPECT_EQ(qobject_cast<QFileSystemModel*>(edit.completer()->model()), nullptr);
}
