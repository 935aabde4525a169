#include "download/DownloadNames.h"

namespace
{

const QString kIndex = QStringLiteral("index.html");

// Most Linux file systems allow 255 bytes; numbering adds "(n)" to a name later, so
// names are kept a little shorter.
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
    const QString number = QStringLiteral("(%1)").arg(n);
    if (dot < 0)
        return name + number;
    return name.left(dot) + number + name.mid(dot);
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
    if (safe.toUtf8().size() <= kMaxNameBytes)
        return safe;
    const qsizetype dot = safe.lastIndexOf(QLatin1Char('.'));
    const QString extension
        = dot > 0 && safe.size() - dot <= kMaxExtensionChars ? safe.mid(dot) : QString();
    const QString stem = extension.isEmpty() ? safe : safe.left(dot);
    return fittingPrefix(stem, kMaxNameBytes - extension.toUtf8().size()) + extension;
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
