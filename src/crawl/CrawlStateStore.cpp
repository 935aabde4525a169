#include "crawl/CrawlStateStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QStandardPaths>
#include <algorithm>

#include "listops/EntryJsonLines.h"

namespace
{

const QString kQueued = QStringLiteral("queued");
const QString kDone = QStringLiteral("done");
const QString kEntries = QStringLiteral("entries.jsonl");
const QString kFailures = QStringLiteral("failures");

// The whole lines of a file; a last line without its line end was cut short.
QList<QByteArray> wholeLines(const QString& path)
{
    QFile file(path);
    QList<QByteArray> lines;
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        if (!line.endsWith('\n'))
            break;
        line.chop(1);
        lines.append(line);
    }
    return lines;
}

QString scopeName(const CrawlOptions& options)
{
    switch (options.scope) {
    case CrawlScopeKind::Path:
        return QStringLiteral("path");
    case CrawlScopeKind::Host:
        return QStringLiteral("host");
    case CrawlScopeKind::Domain:
        return QStringLiteral("domain");
    case CrawlScopeKind::Pattern:
        return QStringLiteral("pattern ") + options.scopePattern;
    }
    return {};
}

} // namespace

QString CrawlStateStore::defaultRoot()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
        .filePath(QStringLiteral("quillmarch/crawl"));
}

QString CrawlStateStore::folderFor(
    const QString& root, const QString& startUrl, const CrawlOptions& options)
{
    // The limits and the pages at once are left out: a harvest stopped at its limit
    // continues with a higher one.
    const QStringList parts { CrawlFrontier::key(startUrl), QString::number(options.depth),
        scopeName(options), options.follow, options.nextPages ? QStringLiteral("next") : QString(),
        options.robots ? QStringLiteral("robots") : QString() };
    const QByteArray hash = QCryptographicHash::hash(
        parts.join(QLatin1Char('\n')).toUtf8(), QCryptographicHash::Sha256);
    return QDir(root).filePath(QString::fromLatin1(hash.toHex().left(32)));
}

CrawlStateStore::CrawlStateStore(QString folder)
    : m_folder(std::move(folder))
{
}

bool CrawlStateStore::exists() const
{
    return QFile::exists(QDir(m_folder).filePath(kQueued));
}

CrawlSavedState CrawlStateStore::read() const
{
    const QDir dir(m_folder);
    CrawlSavedState state;
    for (const QByteArray& line : wholeLines(dir.filePath(kDone)))
        state.done.insert(QString::fromUtf8(line));
    state.visited = static_cast<int>(state.done.size());
    for (const QByteArray& line : wholeLines(dir.filePath(kQueued))) {
        const qsizetype space = line.indexOf(' ');
        if (space <= 0)
            continue;
        state.queued.append({ QString::fromUtf8(line.mid(space + 1)), line.left(space).toInt() });
    }
    for (const QByteArray& line : wholeLines(dir.filePath(kEntries))) {
        Result<ListEntry> entry = EntryJsonLines::parse(line);
        if (entry)
            state.entries.append(std::move(entry).value());
    }
    for (const QByteArray& line : wholeLines(dir.filePath(kFailures))) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() == 3)
            state.failures.append({ QString::fromUtf8(fields[0]), QString::fromUtf8(fields[2]),
                static_cast<FailureKind>(
                    std::clamp(fields[1].toInt(), 0, static_cast<int>(FailureKind::Server))) });
    }
    return state;
}

Result<> CrawlStateStore::open(bool fresh)
{
    if (!QDir().mkpath(m_folder))
        return Result<>::failed(QStringLiteral("cannot create %1").arg(m_folder));
    const QDir dir(m_folder);
    const QIODevice::OpenMode mode
        = QIODevice::WriteOnly | (fresh ? QIODevice::Truncate : QIODevice::Append);
    for (auto [file, name] : { std::pair { &m_queued, kQueued }, std::pair { &m_done, kDone },
             std::pair { &m_entries, kEntries }, std::pair { &m_failures, kFailures } }) {
        file->setFileName(dir.filePath(name));
        if (!file->open(mode))
            return Result<>::failed(
                QStringLiteral("cannot write %1: %2").arg(file->fileName(), file->errorString()));
    }
    return Result<>::ok();
}

void CrawlStateStore::append(QFile& file, const QByteArray& lines)
{
    if (!file.isOpen() || lines.isEmpty())
        return;
    file.write(lines);
    file.flush();
}

void CrawlStateStore::queued(const QList<CrawlVisit>& visits)
{
    QByteArray lines;
    for (const CrawlVisit& visit : visits)
        lines += QByteArray::number(visit.depth) + ' ' + visit.url.toUtf8() + '\n';
    append(m_queued, lines);
}

void CrawlStateStore::done(const QString& key)
{
    append(m_done, key.toUtf8() + '\n');
}

void CrawlStateStore::entries(const ListEntries& found)
{
    QByteArray lines;
    for (const ListEntry& entry : found)
        lines += EntryJsonLines::encode(entry);
    append(m_entries, lines);
}

void CrawlStateStore::failed(const CrawlFailure& failure)
{
    // A reason is one line; a page address holds no tab or line end once encoded.
    QString reason = failure.reason;
    reason.replace(QLatin1Char('\n'), QLatin1Char(' '))
        .replace(QLatin1Char('\t'), QLatin1Char(' '));
    append(m_failures,
        failure.page.toUtf8() + '\t' + QByteArray::number(static_cast<int>(failure.kind)) + '\t'
            + reason.toUtf8() + '\n');
}

void CrawlStateStore::remove()
{
    for (QFile* file : { &m_queued, &m_done, &m_entries, &m_failures })
        file->close();
    QDir(m_folder).removeRecursively();
}
