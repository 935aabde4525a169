#pragma once

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTextDocumentFragment>

// The help book as one plain text: every page's words, lower case, with runs of white
// space as one space, so a caption can be looked up whatever the page's markup.
namespace HelpBookText
{

inline QString normalized(QString text)
{
    text.replace(QChar(0x00A0), QLatin1Char(' '));
    return text.simplified().toLower();
}

inline QString read(const QString& folder)
{
    QString all;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({ QStringLiteral("*.html") }, QDir::Files)) {
        QFile page(dir.filePath(name));
        if (page.open(QIODevice::ReadOnly))
            all += QTextDocumentFragment::fromHtml(QString::fromUtf8(page.readAll())).toPlainText()
                + QLatin1Char('\n');
    }
    return normalized(all);
}

// A caption as the book writes it: without its accelerator mark, the dots of a command
// that opens a dialog, or a closing colon or full stop.
inline QString caption(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("&(?=[^&])")));
    text.remove(QRegularExpression(QStringLiteral("(\\.\\.\\.|[:.])$")));
    return normalized(text);
}

// The captions the book does not mention.
inline QStringList missing(const QString& book, const QStringList& captions)
{
    QStringList absent;
    for (const QString& c : captions)
        if (!c.isEmpty() && !book.contains(caption(c)))
            absent << c;
    return absent;
}

} // namespace HelpBookText
