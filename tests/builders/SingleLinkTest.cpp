#include <gtest/gtest.h>

#include "builders/SingleLink.h"
#include "listops/LinkList.h"

TEST(SingleLink, AcceptsOnlyWebAndFileTransferPrefixes)
{
    const std::pair<QString, bool> rows[] = {
        { "https://x", true },
        { "HTTP://X", true },
        { "Ftp://x", true },
        { "", false },
        { " http://x", false },
        { "www.x.org", false },
        { "mailto:a@b", false },
        { "javascript:x()", false },
    };
    for (const auto& [url, ok] : rows)
        EXPECT_EQ(SingleLink::isAcceptable(url), ok) << url.toStdString();
}

TEST(SingleLink, ApplyReplacesOrAppendsAndRefusesBadInputOrAFullList)
{
    LinkList list;
    list.add("http://a");
    EXPECT_TRUE(SingleLink::apply({ "http://a", true }, list));
    EXPECT_EQ(list.entries(), (QStringList { "http://a", "http://a" }));
    EXPECT_FALSE(SingleLink::apply({ "www.x.org", false }, list));
    EXPECT_EQ(list.count(), 2); // a refused URL does not clear the list

    QStringList many;
    for (int i = 2; i < LinkList::MaxEntries; ++i)
        many.append(QStringLiteral("http://h/%1").arg(i));
    list.addMany(many);
    EXPECT_FALSE(SingleLink::apply({ "http://new", true }, list));
    EXPECT_EQ(list.count(), LinkList::MaxEntries);
    EXPECT_TRUE(SingleLink::apply({ "Ftp://b", false }, list));
    EXPECT_EQ(list.entries(), QStringList { "Ftp://b" });
}
