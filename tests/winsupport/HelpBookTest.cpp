#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <QUrl>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

// Reads every page of the help book in the source tree as XHTML and checks that the book
// holds together: each page parses, has a title, and every link inside the book reaches
// an existing page and an existing anchor on it.
namespace
{

struct Page {
    QString title;
    QSet<QString> anchors;
    QStringList links; // href values as written
    QString parseError;
};

QString bookFolder()
{
    return QStringLiteral(QM_SOURCE_DIR) + QStringLiteral("/help/");
}

Page readPage(const QString& path)
{
    Page page;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        page.parseError = QStringLiteral("cannot open");
        return page;
    }
    QXmlStreamReader xml(&file);
    bool inTitle = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QXmlStreamAttributes attributes = xml.attributes();
            if (attributes.hasAttribute(QStringLiteral("id")))
                page.anchors.insert(attributes.value(QStringLiteral("id")).toString());
            if (xml.name() == QLatin1String("a") && attributes.hasAttribute(QStringLiteral("name")))
                page.anchors.insert(attributes.value(QStringLiteral("name")).toString());
            if (attributes.hasAttribute(QStringLiteral("href")))
                page.links.append(attributes.value(QStringLiteral("href")).toString());
            inTitle = xml.name() == QLatin1String("title");
        } else if (xml.isCharacters() && inTitle) {
            page.title += xml.text();
        } else if (xml.isEndElement()) {
            inTitle = false;
        }
    }
    if (xml.hasError())
        page.parseError
            = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
    return page;
}

QMap<QString, Page> readBook()
{
    QMap<QString, Page> book;
    const QStringList names
        = QDir(bookFolder()).entryList({ QStringLiteral("*.html") }, QDir::Files);
    for (const QString& name : names)
        book.insert(name, readPage(bookFolder() + name));
    // The tour ships in a folder of its own.
    const QString tour = QStringLiteral("QuillmarchTour/tour1.shtml");
    if (QFile::exists(bookFolder() + tour))
        book.insert(tour, readPage(bookFolder() + tour));
    return book;
}

bool leavesTheBook(const QUrl& url)
{
    return !url.scheme().isEmpty();
}

// A link's page as a name of the book: its path from the book's folder.
QString targetOf(const QString& from, const QUrl& url)
{
    if (url.path().isEmpty())
        return from;
    const QString folder = QFileInfo(from).path();
    return QDir::cleanPath(folder == QLatin1String(".") ? url.path() : folder + '/' + url.path());
}

} // namespace

TEST(HelpBook, EveryPageParsesAndHasATitle)
{
    const QMap<QString, Page> book = readBook();
    ASSERT_TRUE(book.contains(QStringLiteral("index.html")));
    ASSERT_GE(book.size(), 10);
    for (auto it = book.cbegin(); it != book.cend(); ++it) {
        EXPECT_TRUE(it->parseError.isEmpty())
            << it.key().toStdString() << ": " << it->parseError.toStdString();
        EXPECT_FALSE(it->title.trimmed().isEmpty()) << it.key().toStdString();
    }
}

TEST(HelpBook, EveryInternalLinkReachesAnExistingPageAndAnchor)
{
    const QMap<QString, Page> book = readBook();
    for (auto it = book.cbegin(); it != book.cend(); ++it) {
        for (const QString& href : it->links) {
            const QUrl url(href);
            if (leavesTheBook(url))
                continue;
            const QString target = targetOf(it.key(), url);
            if (target.endsWith(QLatin1String(".css"))) {
                EXPECT_TRUE(QFile::exists(bookFolder() + target))
                    << it.key().toStdString() << " -> " << href.toStdString();
                continue;
            }
            ASSERT_TRUE(book.contains(target))
                << it.key().toStdString() << " -> " << href.toStdString();
            if (url.hasFragment()) {
                EXPECT_TRUE(book[target].anchors.contains(url.fragment()))
                    << it.key().toStdString() << " -> " << href.toStdString();
            }
        }
    }
}

TEST(HelpBook, EveryPageIsReachableFromTheContents)
{
    const QMap<QString, Page> book = readBook();
    QSet<QString> reached { QStringLiteral("index.html") };
    QStringList queue { QStringLiteral("index.html") };
    while (!queue.isEmpty()) {
        const QString name = queue.takeFirst();
        for (const QString& href : book.value(name).links) {
            const QUrl url(href);
            const QString target = url.path().isEmpty() ? QString() : targetOf(name, url);
            if (leavesTheBook(url) || target.isEmpty() || !book.contains(target)
                || reached.contains(target))
                continue;
            reached.insert(target);
            queue.append(target);
        }
    }
    for (auto it = book.cbegin(); it != book.cend(); ++it)
        EXPECT_TRUE(reached.contains(it.key()))
            << it.key().toStdString() << " is not linked from the contents";
}
