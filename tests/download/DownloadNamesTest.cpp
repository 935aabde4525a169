#include <gtest/gtest.h>

#include "download/DownloadNames.h"
#include "support/QtPrinters.h"

TEST(DownloadNames, FileNameFromUrl)
{
    const struct {
        const char* link;
        const char* name;
    } rows[] = {
        { "http://host/a/b.zip", "b.zip" },
        { "http://host/dir/", "index.html" },
        { "http://host/dir/readme", "index.html" },
        { "http://www.example.org", "www.example.org" },
        { "http://host/page.php?id=1", "page.php?id=1" },
        { "http://host/a/..", ".." },
    };
    for (const auto& row : rows)
        EXPECT_EQ(FileNameFromUrl(QString::fromUtf8(row.link)), QString::fromUtf8(row.name))
            << row.link;
}

TEST(DownloadNames, NumberedNameAtTheFirstDot)
{
    EXPECT_EQ(NumberedName("photo.jpg", 1), "photo(1).jpg");
    EXPECT_EQ(NumberedName("archive.tar.gz", 2), "archive(2).tar.gz");
    EXPECT_EQ(NumberedName("my.file.txt", 1), "my(1).file.txt");
    EXPECT_EQ(NumberedName(".hidden", 3), "(3).hidden");
}

TEST(DownloadNames, SafeFileNameNeverLeavesTheFolder)
{
    const QString longStem(300, QLatin1Char('x'));
    const struct {
        QString in;
        QString out;
    } rows[] = {
        { "", "index.html" },
        { ".", "index.html" },
        { "..", "index.html" },
        { "a\nb\x01.txt", "a_b_.txt" },
        { "a/b.txt", "a_b.txt" },
        { "ok.zip", "ok.zip" },
        { longStem + ".tar", QString(240 - 4, QLatin1Char('x')) + ".tar" },
        { QString(200, QChar(0x00e9)) + ".jpg", QString(118, QChar(0x00e9)) + ".jpg" },
    };
    for (const auto& row : rows)
        EXPECT_EQ(SafeFileName(row.in), row.out) << row.in.left(20).toStdString();
}

TEST(DownloadNames, TypedNameProblem)
{
    EXPECT_TRUE(TypedNameProblem("new.txt").isEmpty());
    for (const char* bad : { "a/b.txt", ".", "..", "/etc/passwd" })
        EXPECT_FALSE(TypedNameProblem(QString::fromUtf8(bad)).isEmpty()) << bad;
}
