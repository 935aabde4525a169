#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

#include "builders/HarvestAcceptor.h"
#include "core/MainState.h"
#include "listops/LinkList.h"
#include "support/QtPrinters.h"

namespace
{

QStringList harvest(
    MainState& state, const QStringList& before, const QStringList& hrefs, int* added = nullptr)
{
    LinkList list;
    QAbstractItemModelTester tester(&list);
    list.addMany(before);
    HarvestAcceptor acceptor(state.prefs, state.filters, list);
    const int n = acceptor.accept(hrefs);
    if (added)
        *added = n;
    return list.entries();
}

MainState filtered(const QStringList& ftypes)
{
    MainState state;
    state.filters.ftypes = ftypes;
    state.filters.appfiltChecked = true;
    state.filters.appfiltEnabled = true;
    return state;
}

} // namespace

TEST(HarvestAcceptorTest, FileTypeFilterUsesTheLastDotOfTheWholeAddress)
{
    struct Row {
        const char* address;
        bool passes;
    };
    const Row rows[] = {
        { "http://h/a.zip", true }, { "http://h/a.ZIP", false }, { "http://h/a.zip?x=1", false },
        { "http://h.com/page", false }, // extension "com/page"
        { "http://h/index.html", false }, { "http://h/index.htm", true },
        { "http://h/noext", false }, { "http://h/dir.zip/", false }, // extension "zip/"
    };
    const QStringList ftypes { QStringLiteral("zip"), QStringLiteral("htm") };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.address);
        EXPECT_EQ(
            HarvestAcceptor::passesFileFilter(QString::fromUtf8(row.address), ftypes), row.passes);
    }

    MainState state = filtered({ QStringLiteral("zip") });
    EXPECT_EQ(harvest(state, {}, { "http://h/a.zip", "http://h/a.ZIP", "http://h/b.zip?x=1" }),
        QStringList { "http://h/a.zip" });

    // Checked but empty, or filled but unchecked: the filter is off.
    MainState unchecked = filtered({ QStringLiteral("zip") });
    unchecked.filters.appfiltChecked = false;
    EXPECT_EQ(harvest(unchecked, {}, { "http://h/a.ZIP" }).size(), 1);
    MainState empty = filtered({});
    EXPECT_EQ(harvest(empty, {}, { "http://h/a.ZIP" }).size(), 1);
}

TEST(HarvestAcceptorTest, SchemeRulesFollowTheExclusionPreferences)
{
    const QStringList hrefs { "http://h/1", "HTTPS://h/2", "ftp://h/3", "FTPS://h/4", "mailto:a@b",
        "MailTo:c@d", "javascript:void(0)", "JavaScript:x()", "file:///etc/passwd",
        "news:comp.lang", "about:blank", "data:text/html,x", "javascript", "" };
    struct Row {
        bool exjs;
        bool exmt;
        QStringList expected;
    };
    const QStringList web { "http://h/1", "HTTPS://h/2", "ftp://h/3", "FTPS://h/4" };
    const QStringList mail { "mailto:a@b", "MailTo:c@d" };
    const QStringList js { "javascript:void(0)", "JavaScript:x()" };
    const Row rows[] = {
        { false, false, web + mail + js },
        { true, false, web + mail },
        { false, true, web + js },
        { true, true, web },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "exjs " << row.exjs << " exmt " << row.exmt);
        MainState state;
        state.prefs.exjs = row.exjs;
        state.prefs.exmt = row.exmt;
        QStringList expected;
        // Document order is kept: rebuild the expectation in the order of hrefs.
        for (const QString& h : hrefs) {
            if (row.expected.contains(h))
                expected.append(h);
        }
        EXPECT_EQ(harvest(state, {}, hrefs), expected);
    }
}

TEST(HarvestAcceptorTest, NormalisesAndDropsDuplicatesCaseSensitively)
{
    MainState state;
    int added = 0;
    const QStringList result = harvest(state, { "http://old/a", "http://h/x y" },
        { "http://h/my%20file.zip", "http://h/my file.zip", "http://h/%2520", "http://h/%%2020",
            "http://old/a", "http://OLD/a", "http://h/x%20y", "http://h/B", "http://h/b",
            "http://h/B" },
        &added);
    EXPECT_EQ(result,
        (QStringList { "http://old/a", "http://h/x y", "http://h/my file.zip", "http://h/%2520",
            "http://h/% 20", "http://OLD/a", "http://h/B", "http://h/b" }));
    EXPECT_EQ(added, 6);
}

// Media go through the same rules as links, and an accepted entry keeps the context of
// its first occurrence under its normalised address.
TEST(HarvestAcceptorTest, EntriesKeepTheirContextThroughTheRules)
{
    MainState state = filtered({ "png" });
    LinkList list;
    HarvestAcceptor acceptor(state.prefs, state.filters, list);
    const EntryContext first { EntryKind::Image, "Alt", "http://h/", "Title" };
    const EntryContext second { EntryKind::Background, "", "http://h/f", "" };
    EXPECT_EQ(acceptor.accept(ListEntries { { "http://h/a%20b.png", first },
                  { "http://h/a b.png", second }, { "http://h/c.jpg", first },
                  { "data:image/png;base64,AA.png", first }, { "http://h/d.png", second } }),
        2);
    EXPECT_EQ(list.entryAt(0), (ListEntry { "http://h/a b.png", first }));
    EXPECT_EQ(list.entryAt(1), (ListEntry { "http://h/d.png", second }));
}

TEST(HarvestAcceptorTest, StopsAtTheListLimitAndCountsTheRest)
{
    MainState state;
    LinkList list;
    QStringList full;
    for (int i = 0; i < LinkList::MaxEntries - 2; ++i)
        full.append(QStringLiteral("http://h/%1").arg(i));
    list.addMany(full);
    HarvestAcceptor acceptor(state.prefs, state.filters, list);
    EXPECT_EQ(acceptor.accept({ "http://h/0", "http://n/1", "http://n/2", "http://n/3",
                  "http://n/4", "http://n/4" }),
        2);
    EXPECT_TRUE(acceptor.limitReached());
    EXPECT_EQ(acceptor.notAdded(), 2);
    EXPECT_EQ(list.count(), LinkList::MaxEntries);
    EXPECT_EQ(list.at(LinkList::MaxEntries - 1), QStringLiteral("http://n/2"));
}
