#include "download/DownloadNames.h"

#include <QMimeDatabase>
#include <QStringList>
#include <QUrl>
#include <algorithm>

namespace
{

const QString kIndex = QStringLiteral("index.html");

// Most Linux file systems allow 255 bytes; names are kept a little shorter.
constexpr qsizetype kMaxNameBytes = 240;
constexpr qsizetype kMaxExtensionChars = 16;

// The longest prefix of text whose UTF-8 form fits in bytes, cut between characters.
QString fittingPrefix(const QString& text, qsizetype bytes)
{
    QString out;
    qsizetype used = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype len = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size())
            len = 2;
        const qsizetype size = text.mid(i, len).toUtf8().size();
        if (used + size > bytes)
            break;
        out += text.mid(i, len);
        used += size;
        i += len - 1;
    }
    return out;
}

qsizetype utf8Size(const QString& text)
{
    return text.toUtf8().size();
}

// The extension kept when a name is shortened: from its last ".", when that is short.
QString keptExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 && name.size() - dot <= kMaxExtensionChars ? name.mid(dot) : QString();
}

} // namespace

QString FileNameFromUrl(const QString& link)
{
    const qsizetype slash = link.lastIndexOf(QLatin1Char('/'));
    const QString name = slash < 0 ? link : link.mid(slash + 1);
    if (name.isEmpty() || !name.contains(QLatin1Char('.')))
        return kIndex;
    return name;
}

QString NumberedName(const QString& name, int n)
{
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    const QString number = QLatin1Char('(') + QString::number(n) + QLatin1Char(')');
    QString stem = dot < 0 ? name : name.left(dot);
    QString rest = dot < 0 ? QString() : name.mid(dot);
    qsizetype excess = utf8Size(stem) + utf8Size(number) + utf8Size(rest) - kMaxNameBytes;
    if (excess <= 0)
        return stem + number + rest;

    // Too long: cut the stem, keeping its first character, then the middle of the rest,
    // keeping its extension. The number is never cut, so the result is still a new name.
    const QString first = fittingPrefix(stem, 4);
    const qsizetype stemKeep = std::max(utf8Size(stem) - excess, utf8Size(first));
    excess -= utf8Size(stem) - stemKeep;
    stem = fittingPrefix(stem, stemKeep);
    if (excess > 0) {
        const QString extension = keptExtension(rest);
        const QString middle = rest.left(rest.size() - extension.size());
        rest = fittingPrefix(middle, utf8Size(middle) - excess) + extension;
    }
    return stem + number + rest;
}

QString SafeFileName(const QString& name)
{
    QString safe = name;
    for (QChar& c : safe) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == QLatin1Char('/'))
            c = QLatin1Char('_');
    }
    if (safe.isEmpty() || safe == QLatin1String(".") || safe == QLatin1String(".."))
        return kIndex;
    if (safe.startsWith(QLatin1Char('.'))
        && (safe.endsWith(QLatin1String(".part")) || safe.endsWith(QLatin1String(".part.rec"))))
        safe[0] = QLatin1Char('_');
    if (safe.toUtf8().size() <= kMaxNameBytes)
        return safe;
    QString extension = keptExtension(safe);
    if (extension.size() == safe.size())
        extension.clear();
    const QString stem = safe.left(safe.size() - extension.size());
    return fittingPrefix(stem, kMaxNameBytes - utf8Size(extension)) + extension;
}

QString ServerFileName(const QString& given)
{
    QString name = given.mid(given.lastIndexOf(QLatin1Char('/')) + 1);
    name = name.mid(name.lastIndexOf(QLatin1Char('\\')) + 1);
    qsizetype dots = 0;
    while (dots < name.size() && name.at(dots) == QLatin1Char('.'))
        ++dots;
    name = name.mid(dots);
    return name.isEmpty() ? QString() : SafeFileName(name);
}

QString TypedNameProblem(const QString& name)
{
    if (name.contains(QLatin1Char('/')) || name == QLatin1String(".")
        || name == QLatin1String("..")) {
        return QStringLiteral("\"%1\" cannot be used as a file name: a name may not contain "
                              "\"/\" or be \".\" or \"..\". Please type another name.")
            .arg(name);
    }
    if (name.contains(QChar(0)))
        return QStringLiteral("A file name may not contain a NUL character.");
    return QString();
}

bool LinkNamesFile(const QString& link)
{
    const QString path = QUrl(link).path();
    const QString segment = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const QList<QMimeType> types = QMimeDatabase().mimeTypesForFileName(segment);
    const auto textual = [](const QMimeType& type) {
        const QString name = type.name();
        // A saved web page is multipart; a backup's suffix says nothing of what it holds.
        return type.inherits(QStringLiteral("text/plain"))
            || name.startsWith(QLatin1String("text/"))
            || name.startsWith(QLatin1String("multipart/"))
            || type.inherits(QStringLiteral("multipart/related"))
            || name == QLatin1String("application/x-trash");
    };
    return !types.isEmpty() && std::none_of(types.begin(), types.end(), textual);
}
