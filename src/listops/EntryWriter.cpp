#include "listops/EntryWriter.h"

#include <QStringList>
#include <iterator>

#include "listops/EntryJsonLines.h"
#include "listops/LinkList.h"
#include "listops/ListFileWriter.h"

namespace
{

// Entries are encoded and written in blocks of about this many bytes.
constexpr qsizetype BlockSize = 256 * 1024;

} // namespace

namespace
{

const struct {
    const char* filter;
    EntryFormat format;
} kExports[] = {
    { "CSV (*.csv)|*.csv", EntryFormat::Csv },
    { "JSON lines (*.jsonl)|*.jsonl", EntryFormat::JsonLines },
    { "aria2 input file (*.txt)|*.txt", EntryFormat::Aria2 },
};

} // namespace

QString EntryWriter::exportFilter()
{
    QStringList filters;
    for (const auto& entry : kExports)
        filters.append(QLatin1StringView(entry.filter));
    return filters.join(QLatin1Char('|'));
}

EntryFormat EntryWriter::exportFormatAt(int filterIndex)
{
    return filterIndex >= 0 && filterIndex < static_cast<int>(std::size(kExports))
        ? kExports[filterIndex].format
        : EntryFormat::Csv;
}

QByteArray EntryWriter::header(EntryFormat format, bool measured)
{
    if (format != EntryFormat::Csv)
        return QByteArray();
    return measured ? QByteArrayLiteral("url,kind,text,page,title,width,height,size,type\r\n")
                    : QByteArrayLiteral("url,kind,text,page,title\r\n");
}

QByteArray EntryWriter::csvField(const QString& field)
{
    const bool needsQuotes = field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"'))
        || field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r'));
    if (!needsQuotes)
        return field.toUtf8();
    QString quoted = field;
    quoted.replace(QLatin1Char('"'), QLatin1StringView("\"\""));
    return '"' + quoted.toUtf8() + '"';
}

QByteArray EntryWriter::aria2Value(const QString& value)
{
    QByteArray out = value.toUtf8();
    out.replace('\t', "%09").replace('\n', "%0A").replace('\r', "%0D");
    qsizetype lead = 0;
    while (lead < out.size() && (out.at(lead) == ' ' || out.at(lead) == '#')) {
        const QByteArray code = out.at(lead) == ' ' ? "%20" : "%23";
        out.replace(lead, 1, code);
        lead += code.size();
    }
    return out;
}

QByteArray EntryWriter::encode(
    EntryFormat format, const ListEntry& entry, const EntryMeasure* measure)
{
    switch (format) {
    case EntryFormat::Plain:
        return entry.url.toUtf8() + '\n';
    case EntryFormat::JsonLines:
        return EntryJsonLines::encode(entry, measure);
    case EntryFormat::Csv: {
        const EntryContext& c = entry.context;
        QByteArray row = csvField(entry.url) + ',' + csvField(entryKindName(c.kind)) + ','
            + csvField(c.text) + ',' + csvField(c.page) + ',' + csvField(c.title);
        if (measure) {
            const auto number = [](qint64 n) { return n >= 0 ? QByteArray::number(n) : ""; };
            row += ',' + number(measure->width) + ',' + number(measure->height) + ','
                + number(measure->size) + ',' + csvField(measure->type);
        }
        return row + "\r\n";
    }
    case EntryFormat::Aria2: {
        QByteArray lines = aria2Value(entry.url) + '\n';
        if (!entry.context.page.isEmpty())
            lines += "  referer=" + aria2Value(entry.context.page) + '\n';
        return lines;
    }
    }
    return QByteArray();
}

Result<> EntryWriter::save(const QString& path, EntryFormat format, const LinkList& list)
{
    ListFileWriter writer(path);
    if (const Result<> opened = writer.open(); !opened)
        return opened;
    QByteArray block = header(format);
    for (int i = 0; i < list.count(); ++i) {
        block += encode(format, list.entryAt(i));
        if (block.size() >= BlockSize) {
            if (const Result<> written = writer.writeBytes(block); !written)
                return written;
            block.clear();
        }
    }
    if (const Result<> written = writer.writeBytes(block); !written)
        return written;
    return writer.commit();
}
