#include "download/NameMask.h"

#include <QUrl>
#include <algorithm>

#include "download/DownloadNames.h"

const QString NameMask::kDefault = QStringLiteral("*name*.*ext*");

namespace
{

const QStringList kPlaceholders { QStringLiteral("name"), QStringLiteral("ext"),
    QStringLiteral("num"), QStringLiteral("host"), QStringLiteral("subdirs"),
    QStringLiteral("text"), QStringLiteral("title"), QStringLiteral("date") };

constexpr qsizetype kMaxPathBytes = 255;

// A value as one part of a name: no "/" and no control characters.
QString safeValue(const QString& value)
{
    QString safe = value;
    for (QChar& c : safe) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == QLatin1Char('/'))
            c = QLatin1Char('_');
    }
    return safe;
}

bool isDots(const QString& part)
{
    return part == QLatin1String(".") || part == QLatin1String("..");
}

// The folders of the link's path, each decoded as the file name is and made safe; none
// empty or dots. Split before decoding, so an encoded "/" never starts a new folder.
QString subdirsOf(const QString& link)
{
    QStringList folders = QUrl(link).path(QUrl::FullyEncoded).split(QLatin1Char('/'));
    folders.removeLast();
    QStringList kept;
    for (const QString& encoded : folders) {
        const QString folder = DecodedPathPart(encoded);
        if (!folder.isEmpty() && !isDots(folder))
            kept.append(safeValue(folder));
    }
    return kept.join(QLatin1Char('/'));
}

} // namespace

std::optional<NameMask> NameMask::parse(const QString& mask, QString* problem)
{
    NameMask result;
    qsizetype i = 0;
    while (i < mask.size()) {
        const qsizetype star = mask.indexOf(QLatin1Char('*'), i);
        if (star < 0) {
            result.m_pieces.append({ mask.mid(i), QString() });
            break;
        }
        if (star > i)
            result.m_pieces.append({ mask.mid(i, star - i), QString() });
        const qsizetype end = mask.indexOf(QLatin1Char('*'), star + 1);
        const QString word = end < 0 ? QString() : mask.mid(star + 1, end - star - 1);
        if (!kPlaceholders.contains(word)) {
            *problem = QStringLiteral("\"%1\" is not a placeholder; use *name*, *ext*, *num*, "
                                      "*host*, *subdirs*, *text*, *title* or *date*.")
                           .arg(end < 0 ? mask.mid(star) : mask.mid(star, end - star + 1));
            return std::nullopt;
        }
        result.m_pieces.append({ QString(), word });
        i = end + 1;
    }
    // The last part, after the last "/", must be able to name a file.
    QString last;
    for (auto it = result.m_pieces.crbegin(); it != result.m_pieces.crend(); ++it) {
        const qsizetype slash = it->literal.lastIndexOf(QLatin1Char('/'));
        if (slash >= 0) {
            last.prepend(it->literal.mid(slash + 1));
            break;
        }
        last.prepend(it->placeholder == QLatin1String("subdirs")
                ? QString()
                : (it->placeholder.isEmpty() ? it->literal : QStringLiteral("*")));
    }
    if (last.isEmpty() || isDots(last)) {
        *problem = QStringLiteral("\"%1\" names no file.").arg(mask);
        return std::nullopt;
    }
    return result;
}

QString NameMask::expand(const NameMaskValues& values) const
{
    const QString own = SafeFileName(FileNameFromUrl(values.link, values.contentType));
    const qsizetype dot = own.lastIndexOf(QLatin1Char('.'));
    const QString name = dot < 0 ? own : own.left(dot);
    const QString ext = dot < 0 ? QString() : own.mid(dot + 1);
    const int width = std::max(3, static_cast<int>(QString::number(values.count).size()));

    QString path;
    for (qsizetype i = 0; i < m_pieces.size(); ++i) {
        const Piece& piece = m_pieces.at(i);
        if (piece.placeholder.isEmpty()) {
            QString literal = piece.literal;
            // "a.*ext*" of a name without a dot gives "a", not "a.".
            const bool extNext
                = i + 1 < m_pieces.size() && m_pieces.at(i + 1).placeholder == QLatin1String("ext");
            if (extNext && dot < 0 && literal.endsWith(QLatin1Char('.')))
                literal.chop(1);
            path += literal;
        } else if (piece.placeholder == QLatin1String("name")) {
            path += name;
        } else if (piece.placeholder == QLatin1String("ext")) {
            path += ext;
        } else if (piece.placeholder == QLatin1String("num")) {
            path += QStringLiteral("%1").arg(values.number, width, 10, QLatin1Char('0'));
        } else if (piece.placeholder == QLatin1String("host")) {
            path += safeValue(QUrl(values.link).host());
        } else if (piece.placeholder == QLatin1String("subdirs")) {
            path += subdirsOf(values.link);
        } else if (piece.placeholder == QLatin1String("text")) {
            path += safeValue(values.context.text.simplified());
        } else if (piece.placeholder == QLatin1String("title")) {
            path += safeValue(values.context.title.simplified());
        } else if (piece.placeholder == QLatin1String("date")) {
            path += values.date.toString(QStringLiteral("yyyy-MM-dd"));
        }
    }

    QStringList parts = path.split(QLatin1Char('/'));
    QString file = parts.takeLast();
    file = file.isEmpty() || isDots(file) ? own : SafeFileName(file);
    QStringList folders;
    for (const QString& part : parts) {
        if (!part.isEmpty() && !isDots(part))
            folders.append(SafeFileName(part));
    }
    // Within 255 bytes: the outermost folders go first.
    auto bytes = [&] {
        return (folders.join(QLatin1Char('/')) + QLatin1Char('/') + file).toUtf8().size();
    };
    while (!folders.isEmpty() && bytes() > kMaxPathBytes)
        folders.removeFirst();
    folders.append(file);
    return folders.join(QLatin1Char('/'));
}
