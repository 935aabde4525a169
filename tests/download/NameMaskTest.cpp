#include <gtest/gtest.h>

#include "download/DownloadNames.h"
#include "download/LinkNaming.h"
#include "download/NameMask.h"
#include "support/QtPrinters.h"

namespace
{

QString expand(const QString& mask, const NameMaskValues& values)
{
    QString problem;
    const std::optional<NameMask> parsed = NameMask::parse(mask, &problem);
    EXPECT_TRUE(parsed) << problem.toStdString();
    return parsed ? parsed->expand(values) : QString();
}

NameMaskValues linkOnly(const QString& link)
{
    NameMaskValues values;
    values.link = link;
    return values;
}

} // namespace

TEST(NameMask, DefaultMaskGivesTheLinksOwnName)
{
    for (const char* link :
        { "http://h/dir/readme", "http://h/a.tar.gz", "http://h/file.", "http://h/.htaccess",
            "http://h/dir/", "http://www.example.org", "http://h/a/..", "http://h/p.php?id=1" }) {
        const QString url = QString::fromUtf8(link);
        EXPECT_EQ(expand(NameMask::kDefault, linkOnly(url)), SafeFileName(FileNameFromUrl(url)))
            << link;
    }
}

TEST(NameMask, PlaceholdersAreFilledAndMadeSafe)
{
    EntryContext context;
    context.text = QStringLiteral("Big / cat\n");
    context.title = QStringLiteral("../Album");
    const QString link
        = QStringLiteral("http://pics.example:8080/b/%2e%2e/c%20d/e%2Ff%FF/x%0A.jpg?s=1#t");
    const struct {
        const char* mask;
        int number;
        int count;
        const char* path;
    } rows[] = {
        { "*num*-*name*.*ext*", 7, 12, "007-x_.jpg" },
        { "*num*.*ext*", 7, 1000, "0007.jpg" },
        { "*host*/*subdirs*/*name*.*ext*", 1, 1, "pics.example/b/c d/e%2Ff%FF/x_.jpg" },
        { "*text* - *title*.jpg", 1, 1, "Big _ cat - .._Album.jpg" },
        { "*date*_*name*", 1, 1, "2026-03-04_x_" },
        { "../../*name*.*ext*", 1, 1, "x_.jpg" },
        { "/abs/*text*", 1, 1, "abs/Big _ cat" },
        { "*title*", 1, 1, ".._Album" },
    };
    for (const auto& row : rows) {
        NameMaskValues values { link, row.number, row.count, context, QDate(2026, 3, 4) };
        EXPECT_EQ(expand(QString::fromUtf8(row.mask), values), QString::fromUtf8(row.path))
            << row.mask;
    }
    // An empty file name falls back to the link's own.
    EXPECT_EQ(expand("*text*", linkOnly(link)), "x_.jpg");
}

TEST(NameMask, LongPathsStayWithin255Bytes)
{
    const QString folder(200, QLatin1Char('d'));
    const QString link = QStringLiteral("http://h/%1/%1/%2.bin").arg(folder, QString(300, 'f'));
    const QString path = expand("*subdirs*/*name*.*ext*", linkOnly(link));
    EXPECT_LE(path.toUtf8().size(), 255);
    EXPECT_TRUE(path.endsWith(".bin"));
}

TEST(NameMask, MasksThatNameNoFileAreRefused)
{
    for (const char* mask : { "", "dir/", "*subdirs*", "*host*/..", "*name*.*extension*", "a*b" }) {
        QString problem;
        EXPECT_FALSE(NameMask::parse(QString::fromUtf8(mask), &problem)) << mask;
        EXPECT_FALSE(problem.isEmpty()) << mask;
    }
}

// What the preferences show while a mask is typed: the path the job would use, every
// folder part made portable when asked.
TEST(NameMask, ExampleIsThePathTheJobGives)
{
    const ListEntry entry { "http://h/dir/pic?id=1", { EntryKind::Link, "", "", "Trip: day 1?" } };
    const struct {
        const char* mask;
        bool portable;
        const char* path;
    } rows[] = {
        { "*title*/*num*-*name*.*ext*", false, "Trip: day 1?/001-index.html" },
        { "*title*/*num*-*name*.*ext*", true, "Trip_ day 1_/001-index.html" },
        { "", true, "index.html" },
        { "*nope*", false, "" },
    };
    for (const auto& row : rows) {
        QString problem;
        EXPECT_EQ(LinkNaming::example(row.mask, entry, row.portable, &problem), row.path)
            << row.mask;
        EXPECT_EQ(problem.isEmpty(), *row.path != 0) << row.mask;
    }
}
