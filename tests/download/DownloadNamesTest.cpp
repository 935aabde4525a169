#include <gtest/gtest.h>

#include "download/DownloadNames.h"
#include "download/NetscapeCookies.h"
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
        { "http://host/a/..", ".." },
        // The query and fragment are not part of the name.
        { "http://host/page.php?id=1", "page.php" },
        { "http://host/photo.png?size=large&v=2", "photo.png" },
        { "http://host/a.png#x", "a.png" },
        { "http://host/a.png?q=1#x.y", "a.png" },
        { "http://host/dl?file=a/b.zip", "index.html" },
        { "http://host/dir/?a.b", "index.html" },
        { "http://host/readme#part.2", "index.html" },
        // Escapes that spell UTF-8 are decoded, others kept as written.
        { "http://host/a%20b.txt", "a b.txt" },
        { "http://host/a b.txt", "a b.txt" },
        { "http://host/%C3%BCn%C3%AF.txt", "\u00fcn\u00ef.txt" },
        { "http://host/%c3%bcn.txt", "\u00fcn.txt" },
        { "http://host/%F0%9F%98%80.png", "\U0001F600.png" },
        { "http://host/readme%2Etxt", "readme.txt" },
        { "http://host/a%FFb%C3.txt", "a%FFb%C3.txt" },
        { "http://host/%C3%28.txt", "%C3(.txt" },
        { "http://host/%C0%AF.txt", "%C0%AF.txt" }, // overlong "/"
        { "http://host/%ED%A0%80.txt", "%ED%A0%80.txt" }, // surrogate
        { "http://host/a%2Fb.txt", "a%2Fb.txt" },
        { "http://host/a%00b.txt", "a%00b.txt" },
        { "http://host/a%2.txt", "a%2.txt" },
        { "http://host/a%3Fb.txt?c", "a?b.txt" },
    };
    for (const auto& row : rows)
        EXPECT_EQ(FileNameFromUrl(QString::fromUtf8(row.link)), QString::fromUtf8(row.name))
            << row.link;
}

// A link without a named file takes the extension of the type the server gives, unless
// that is a web page or has none.
TEST(DownloadNames, FileNameFromUrlWithTheServersType)
{
    const struct {
        const char* link;
        const char* type;
        const char* name;
    } rows[] = {
        { "http://host/image?id=5", "image/jpeg", "image.jpg" },
        { "http://host/dir/", "application/pdf", "index.pdf" },
        { "http://host/dir/", "text/html", "index.html" },
        { "http://host/page", "application/xhtml+xml", "index.html" },
        { "http://host/image?id=5", "no/such-type", "index.html" },
        { "http://host/photo.png", "image/jpeg", "photo.png" },
    };
    for (const auto& row : rows)
        EXPECT_EQ(FileNameFromUrl(row.link, row.type), QString::fromUtf8(row.name)) << row.link;
}

TEST(DownloadNames, PortableNameAvoidsWhatOtherSystemsRefuse)
{
    const struct {
        const char* part;
        const char* portable;
    } rows[] = {
        { "Summer: \"best\" <photos>?", "Summer_ _best_ _photos__" },
        { "a*b|c\\d", "a_b_c_d" },
        { "notes. . ", "notes" },
        { "...", "_" },
        { "plain.jpg", "plain.jpg" },
    };
    for (const auto& row : rows)
        EXPECT_EQ(PortableName(QString::fromUtf8(row.part)), QString::fromUtf8(row.portable))
            << row.part;
}

TEST(DownloadNames, NumberedNameAtTheFirstDot)
{
    EXPECT_EQ(NumberedName("photo.jpg", 1), "photo(1).jpg");
    EXPECT_EQ(NumberedName("archive.tar.gz", 2), "archive(2).tar.gz");
    EXPECT_EQ(NumberedName("my.file.txt", 1), "my(1).file.txt");
    EXPECT_EQ(NumberedName(".hidden", 3), "(3).hidden");
}

TEST(DownloadNames, NumberedLongNamesAreShortenedBeforeNumbering)
{
    const QString e = QString(QChar(0x00e9)); // two bytes in UTF-8
    const QString g = QString::fromUtf8("\U0001F600"); // four bytes, a surrogate pair
    const struct {
        QString name;
        int n;
        QString numbered;
    } rows[] = {
        { QString(234, 'x') + ".txt", 1, QString(233, 'x') + "(1).txt" }, // 238 bytes
        { QString(235, 'x') + ".txt", 1, QString(233, 'x') + "(1).txt" },
        { QString(236, 'x') + ".txt", 12, QString(232, 'x') + "(12).txt" },
        { QString(240, 'x'), 1, QString(237, 'x') + "(1)" },
        { e.repeated(117) + ".jpg", 1, e.repeated(116) + "(1).jpg" },
        { QString(59, QChar('a')) + g.repeated(44) + ".gz", 3,
            QString(59, 'a') + g.repeated(43) + "(3).gz" },
        { "a." + QString(234, 'y') + ".txt", 1, "a(1)." + QString(231, 'y') + ".txt" },
        { "a." + QString(238, 'y'), 1, "a(1)." + QString(235, 'y') },
        { e + "." + e.repeated(117) + ".txt", 1, e + "(1)." + e.repeated(115) + ".txt" },
    };
    for (const auto& row : rows) {
        const QString numbered = NumberedName(row.name, row.n);
        EXPECT_EQ(numbered, row.numbered) << row.name.size();
        EXPECT_LE(numbered.toUtf8().size(), 240) << row.name.size();
        EXPECT_EQ(SafeFileName(numbered), numbered) << row.name.size();
    }
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
        // Never the name of a partial file or its record.
        { ".a.bin.part", "_a.bin.part" },
        { ".a.bin~2.part", "_a.bin~2.part" },
        { ".a.bin.part.rec", "_a.bin.part.rec" },
        { ".profile", ".profile" },
    };
    for (const auto& row : rows)
        EXPECT_EQ(SafeFileName(row.in), row.out) << row.in.left(20).toStdString();
}

TEST(DownloadNames, ServerFileNameIsAVisibleNameInTheFolder)
{
    const struct {
        const char* given;
        const char* name;
    } rows[] = {
        { "report.pdf", "report.pdf" },
        { ".a.bin.part", "a.bin.part" },
        { "../../.bashrc", "bashrc" },
        { "C:\\x\\..profile", "profile" },
        { "...", "" },
    };
    for (const auto& row : rows)
        EXPECT_EQ(ServerFileName(QString::fromUtf8(row.given)), QString::fromUtf8(row.name))
            << row.given;
}

// A web page in answer to a link is refused only where the name promises something else.
TEST(DownloadNames, LinkNamesFileOnlyForTypesThatAreNoText)
{
    const struct {
        const char* link;
        bool namesFile;
    } rows[] = {
        { "https://en.example.org/wiki/Node.js", false },
        { "http://h/page.xhtml", false },
        { "http://h/doc.mhtml", false },
        { "http://h/saved.html.bak", false },
        { "http://h/feed.json?x=1.zip", false },
        { "http://h/index.php", false },
        { "http://h/plain", false },
        { "http://h/unknown.qqq", false },
        { "http://h/a.zip", true },
        { "http://h/a.tar.gz", true },
        { "http://h/photo.JPG", true },
        { "http://h/song.mp3", true },
        { "http://h/film.mkv", true },
        { "http://h/paper.pdf", true },
        { "http://h/setup.exe", true },
    };
    for (const auto& row : rows)
        EXPECT_EQ(LinkNamesFile(QString::fromUtf8(row.link)), row.namesFile) << row.link;
}

TEST(DownloadNames, TypedNameProblem)
{
    EXPECT_TRUE(TypedNameProblem("new.txt").isEmpty());
    for (const char* bad : { "a/b.txt", ".", "..", "/etc/passwd" })
        EXPECT_FALSE(TypedNameProblem(QString::fromUtf8(bad)).isEmpty()) << bad;
}

TEST(NetscapeCookies, HeaderForTakesTheCookiesAnAddressAdmits)
{
    const QStringList jar {
        NetscapeCookies::line(".example.org", "/", false, false, 0, "all", "1"),
        NetscapeCookies::line("shop.example.org", "/cart", false, true, 0, "cart", "2"),
        NetscapeCookies::line("example.org", "/", true, false, 0, "secure", "3"),
        NetscapeCookies::line("example.org", "/", false, false, 1, "expired", "4"),
        NetscapeCookies::line("other.net", "/", false, false, 0, "other", "5"),
    };
    const struct {
        const char* url;
        const char* header;
    } rows[] = {
        { "http://example.org/x", "all=1" },
        { "https://example.org/x", "all=1; secure=3" },
        { "http://shop.example.org/cart/item", "all=1; cart=2" },
        { "http://shop.example.org/cartoon", "all=1" },
        { "http://evilexample.org/", "" },
        { "http://other.net/", "other=5" },
    };
    for (const auto& row : rows)
        EXPECT_EQ(NetscapeCookies::headerFor(jar, row.url), QString::fromUtf8(row.header))
            << row.url;
}
