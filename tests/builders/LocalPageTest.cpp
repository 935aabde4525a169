#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

#include "builders/LocalPage.h"

TEST(LocalPageTest, TellsLocalPagesFromWebAddresses)
{
    QTemporaryDir dir;
    const auto make = [&](const QString& name, const QByteArray& content) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    };
    make("page.html", "plain words");
    make("a,b #1.HTM", "");
    make("saved", "\xEF\xBB\xBF\n  <!DOCTYPE html><title>t</title>");
    make("frag", "<p>para");
    make("notes.txt", "<pre>not a page</pre>");
    make("para", "<paragraph>");
    QDir(dir.path()).mkdir("folder");
    const QString d = dir.path();

    using K = LocalPage::Kind;
    const struct {
        QString address;
        K kind;
        QString path; // relative to the folder
    } rows[] = {
        { "http://h/page.html", K::NotLocal, "" },
        { "example.com", K::NotLocal, "" },
        { "page.html", K::Html, "page.html" },
        { d + "/a,b #1.HTM", K::Html, "a,b #1.HTM" },
        { QUrl::fromLocalFile(d + "/saved").toString(), K::Html, "saved" },
        { "FILE://" + d + "/frag", K::Html, "frag" },
        { "notes.txt", K::NotHtml, "notes.txt" },
        { "para", K::NotHtml, "para" },
        { "./folder", K::NotHtml, "folder" },
        { "./gone.html", K::Missing, "gone.html" },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.address.toStdString());
        const LocalPage::Check check = LocalPage::check(row.address, d);
        EXPECT_EQ(check.kind, row.kind);
        if (row.kind == K::NotLocal)
            continue;
        EXPECT_EQ(check.path, d + '/' + row.path);
        if (row.kind == K::Html) {
            EXPECT_EQ(QUrl(check.fileUrl).toLocalFile(), check.path);
        }
    }
}
