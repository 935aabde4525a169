#include "listops/EntryJsonLines.h"

#include <QIODevice>
#include <QJsonDocument>
#include <QJsonObject>

QByteArray EntryJsonLines::encode(const ListEntry& entry, const EntryMeasure* measure)
{
    QJsonObject object {
        { QStringLiteral("url"), entry.url },
        { QStringLiteral("kind"), entryKindName(entry.context.kind) },
        { QStringLiteral("text"), entry.context.text },
        { QStringLiteral("page"), entry.context.page },
        { QStringLiteral("title"), entry.context.title },
    };
    if (!entry.context.thumbnail.isEmpty())
        object.insert(QStringLiteral("thumbnail"), entry.context.thumbnail);
    if (measure) {
        const auto number = [](qint64 n) { return n >= 0 ? QJsonValue(n) : QJsonValue(); };
        object.insert(QStringLiteral("width"), number(measure->width));
        object.insert(QStringLiteral("height"), number(measure->height));
        object.insert(QStringLiteral("size"), number(measure->size));
        object.insert(QStringLiteral("type"),
            measure->type.isEmpty() ? QJsonValue() : QJsonValue(measure->type));
    }
    if (entry.context.depth >= 0)
        object.insert(QStringLiteral("depth"), entry.context.depth);
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

Result<ListEntry> EntryJsonLines::parse(QByteArrayView line)
{
    while (!line.isEmpty() && (line.back() == '\n' || line.back() == '\r'))
        line.chop(1);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError)
        return Result<ListEntry>::failed(QStringLiteral("not JSON (%1)").arg(error.errorString()));
    if (!document.isObject())
        return Result<ListEntry>::failed(QStringLiteral("not a JSON object"));
    const QJsonObject object = document.object();

    ListEntry entry;
    const QJsonValue url = object.value(QLatin1StringView("url"));
    if (!url.isString() || url.toString().isEmpty())
        return Result<ListEntry>::failed(QStringLiteral("no \"url\""));
    entry.url = url.toString();

    const QJsonValue kind = object.value(QLatin1StringView("kind"));
    if (!kind.isUndefined()) {
        const std::optional<EntryKind> known
            = kind.isString() ? entryKindFromName(kind.toString()) : std::nullopt;
        if (!known)
            return Result<ListEntry>::failed(QStringLiteral("unknown \"kind\""));
        entry.context.kind = *known;
    }
    const struct {
        const char* name;
        QString* field;
    } texts[] = {
        { "text", &entry.context.text },
        { "page", &entry.context.page },
        { "title", &entry.context.title },
        { "thumbnail", &entry.context.thumbnail },
    };
    for (const auto& text : texts) {
        const QJsonValue value = object.value(QLatin1StringView(text.name));
        if (value.isUndefined() || value.isNull())
            continue;
        if (!value.isString())
            return Result<ListEntry>::failed(
                QStringLiteral("\"%1\" is not a string").arg(QLatin1StringView(text.name)));
        *text.field = value.toString();
    }
    const QJsonValue depth = object.value(QLatin1StringView("depth"));
    if (!depth.isUndefined() && !depth.isNull()) {
        if (!depth.isDouble() || depth.toInt(-1) < 0)
            return Result<ListEntry>::failed(QStringLiteral("\"depth\" is not a count"));
        entry.context.depth = depth.toInt();
    }
    return Result<ListEntry>::ok(std::move(entry));
}

EntryJsonLines::EntryJsonLines(QIODevice& device)
    : m_device(device)
{
}

std::optional<Result<ListEntry>> EntryJsonLines::next()
{
    for (;;) {
        QByteArray line = m_device.readLine(MaxLineBytes + 1);
        if (line.isEmpty())
            return std::nullopt;
        ++m_lineNumber;
        if (line.size() > MaxLineBytes && !line.endsWith('\n')) {
            // The rest of the line is passed over in bounded pieces.
            while (!line.endsWith('\n')) {
                line = m_device.readLine(MaxLineBytes + 1);
                if (line.isEmpty())
                    break;
            }
            return Result<ListEntry>::failed(QStringLiteral("line %1: longer than %2 bytes")
                                                 .arg(m_lineNumber)
                                                 .arg(MaxLineBytes));
        }
        if (line.trimmed().isEmpty())
            continue;
        Result<ListEntry> entry = parse(line);
        if (!entry)
            return Result<ListEntry>::failed(
                QStringLiteral("line %1: %2").arg(m_lineNumber).arg(entry.message()));
        return entry;
    }
}
