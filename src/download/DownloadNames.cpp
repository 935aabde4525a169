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

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// The byte "%XX" at text[i] stands for, or -1 when there is no escape there.
int escapedByte(const QString& text, qsizetype i)
{
    if (i + 2 >= text.size() || text.at(i) != QLatin1Char('%'))
        return -1;
    const int high = hexValue(text.at(i + 1));
    const int low = hexValue(text.at(i + 2));
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// The length of the well-formed UTF-8 character at bytes[i] (no overlong forms,
// surrogates or values past U+10FFFF), or 0 when there is none.
qsizetype utf8CharLength(const QByteArray& bytes, qsizetype i)
{
    const auto at = [&](qsizetype k) { return static_cast<unsigned char>(bytes.at(k)); };
    const unsigned char lead = at(i);
    qsizetype length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xbf;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        low = lead == 0xe0 ? 0xa0 : 0x80;
        high = lead == 0xed ? 0x9f : 0xbf;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        low = lead == 0xf0 ? 0x90 : 0x80;
        high = lead == 0xf4 ? 0x8f : 0xbf;
    } else {
        return 0;
    }
    if (i + length > bytes.size() || at(i + 1) < low || at(i + 1) > high)
        return 0;
    for (qsizetype k = i + 2; k < i + length; ++k) {
        if (at(k) < 0x80 || at(k) > 0xbf)
            return 0;
    }
    return length;
}

// A run of escapes ("%C3%BC%FF"), decoded where its bytes allow.
QString decodedRun(const QString& run)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < run.size(); i += 3)
        bytes.append(static_cast<char>(escapedByte(run, i)));
    QString out;
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype length = utf8CharLength(bytes, i);
        const bool kept = length == 0 || bytes.at(i) == '/' || bytes.at(i) == '\0';
        if (kept) {
            out += run.mid(i * 3, 3);
            ++i;
        } else {
            out += QString::fromUtf8(bytes.mid(i, length));
            i += length;
        }
    }
    return out;
}

} // namespace

QString DecodedPathPart(const QString& part)
{
    QString out;
    qsizetype i = 0;
    while (i < part.size()) {
        qsizetype end = i;
        while (escapedByte(part, end) >= 0)
            end += 3;
        if (end > i) {
            out += decodedRun(part.mid(i, end - i));
            i = end;
        } else {
            out += part.at(i++);
        }
    }
    return out;
}

QString TypeExtension(const QString& contentType)
{
    if (contentType.isEmpty())
        return QString();
    const QMimeType type = QMimeDatabase().mimeTypeForName(contentType);
    if (!type.isValid() || type.inherits(QStringLiteral("text/html"))
        || type.inherits(QStringLiteral("application/xhtml+xml")))
        return QString();
    return type.preferredSuffix();
}

QString PortableName(const QString& part)
{
    static const QString refused = QStringLiteral(":*?\"<>|\\");
    QString portable = part;
    for (QChar& c : portable) {
        if (refused.contains(c))
            c = QLatin1Char('_');
    }
    while (portable.endsWith(QLatin1Char('.')) || portable.endsWith(QLatin1Char(' ')))
        portable.chop(1);
    return portable.isEmpty() ? QStringLiteral("_") : portable;
}

QString PortablePath(const QString& path)
{
    QStringList parts = path.split(QLatin1Char('/'));
    for (QString& part : parts)
        part = PortableName(part);
    return parts.join(QLatin1Char('/'));
}

QString FileNameFromUrl(const QString& link, const QString& contentType)
{
    // The query and fragment are no part of the file's name; "?" comes before "#".
    QString path = link.left(link.indexOf(QLatin1Char('#')));
    path = path.left(path.indexOf(QLatin1Char('?')));
    const QString name = DecodedPathPart(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
    if (!name.isEmpty() && name.contains(QLatin1Char('.')))
        return name;
    const QString extension = TypeExtension(contentType);
    if (extension.isEmpty())
        return kIndex;
    return (name.isEmpty() ? QStringLiteral("index") : name) + QLatin1Char('.') + extension;
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
