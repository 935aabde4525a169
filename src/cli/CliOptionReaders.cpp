#include "cli/CliOptionReaders.h"

#include <QFile>
#include <QFileInfo>
#include <optional>

#include "cli/ByteCount.h"
#include "download/NameMask.h"
#include "download/NetscapeCookies.h"
#include "listops/ListPattern.h"

namespace CliOptionReaders
{

namespace
{

constexpr int kMaxJobs = 16;

} // namespace

// A whole number from low to high into number (set even when it is out of range).
bool readNumber(const QString& value, int& number, int low, int high)
{
    bool ok = false;
    number = value.toInt(&ok);
    return ok && number >= low && number <= high;
}

QString readFilter(Target& target, QStringView, const QString& value)
{
    QString extension = value;
    if (extension.startsWith(QLatin1Char('.')))
        extension.remove(0, 1);
    if (extension.isEmpty())
        return QStringLiteral("--filter needs an extension.");
    target.options.filters.append(extension);
    return QString();
}

QString readPattern(Target& target, QStringView name, const QString& value)
{
    if (const Result<ListPattern> pattern = ListPattern::parse(value); !pattern)
        return QStringLiteral("%1: %2").arg(name, pattern.message());
    CliOptions& options = target.options;
    (name == QLatin1StringView("--match") ? options.matchPatterns : options.rejectPatterns)
        .append(value);
    return QString();
}

QString readFormat(Target& target, QStringView, const QString& value)
{
    const std::optional<EntryFormat> format = entryFormatFromName(value);
    if (!format)
        return QStringLiteral("--format needs plain, jsonl or csv.");
    target.options.format = *format;
    // download prints each link's outcome, as lines or as JSON lines
    target.options.jsonLines = *format == EntryFormat::JsonLines;
    return QString();
}

QString readTimeout(Target& target, QStringView, const QString& value)
{
    target.options.timeoutGiven = true;
    if (!readNumber(value, target.options.timeoutSeconds, 1, CliOptions::kMaxTimeoutSeconds))
        return QStringLiteral("--timeout needs a number of seconds from 1 to %1.")
            .arg(CliOptions::kMaxTimeoutSeconds);
    return QString();
}

QString readSettle(Target& target, QStringView, const QString& value)
{
    if (!readNumber(value, target.options.settleMs, 0, CliOptions::kMaxSettleMs))
        return QStringLiteral("--settle needs a number of milliseconds from 0 to %1.")
            .arg(CliOptions::kMaxSettleMs);
    return QString();
}

QString readJobs(Target& target, QStringView, const QString& value)
{
    if (!readNumber(value, target.options.jobs, 1, kMaxJobs))
        return QStringLiteral("--jobs needs a number from 1 to %1.").arg(kMaxJobs);
    return QString();
}

// download's links per host and a site harvest's pages per host alike.
QString readPerHost(Target& target, QStringView, const QString& value)
{
    if (!readNumber(value, target.options.perHost, 1, kMaxJobs))
        return QStringLiteral("--per-host needs a number from 1 to %1.").arg(kMaxJobs);
    target.options.crawl.perHost = target.options.perHost;
    return QString();
}

QString readDepth(Target& target, QStringView, const QString& value)
{
    if (!readNumber(value, target.options.crawl.depth, 0, 1000))
        return QStringLiteral("--depth needs a number from 0 to 1000.");
    return QString();
}

QString readScope(Target& target, QStringView, const QString& value)
{
    CrawlOptions& crawl = target.options.crawl;
    const QString name = value.toLower();
    if (name == QLatin1String("path"))
        crawl.scope = CrawlScopeKind::Path;
    else if (name == QLatin1String("host"))
        crawl.scope = CrawlScopeKind::Host;
    else if (name == QLatin1String("domain"))
        crawl.scope = CrawlScopeKind::Domain;
    else if (const Result<ListPattern> pattern = ListPattern::parse(value); !pattern)
        return QStringLiteral("--scope needs path, host, domain or a pattern: %1")
            .arg(pattern.message());
    else {
        crawl.scope = CrawlScopeKind::Pattern;
        crawl.scopePattern = value;
    }
    return QString();
}

QString readFollow(Target& target, QStringView, const QString& value)
{
    if (const Result<ListPattern> pattern = ListPattern::parse(value); !pattern)
        return QStringLiteral("--follow: %1").arg(pattern.message());
    target.options.crawl.follow = value;
    return QString();
}

QString readNext(Target& target, QStringView, const QString&)
{
    target.options.crawl.nextPages = true;
    return QString();
}

QString readMaxPages(Target& target, QStringView, const QString& value)
{
    if (!readNumber(value, target.options.crawl.maxPages, 1, 10000000))
        return QStringLiteral("--max-pages needs a number from 1 to 10000000.");
    return QString();
}

QString readMaxTime(Target& target, QStringView, const QString& value)
{
    if (!readNumber(value, target.options.crawl.maxSeconds, 1, CliOptions::kMaxTimeoutSeconds))
        return QStringLiteral("--max-time needs a number of seconds from 1 to %1.")
            .arg(CliOptions::kMaxTimeoutSeconds);
    return QString();
}

QString readIgnoreRobots(Target& target, QStringView, const QString&)
{
    target.options.crawl.robots = false;
    return QString();
}

QString readRetries(Target& target, QStringView, const QString& value)
{
    if (!readNumber(value, target.options.retries, 0, 10))
        return QStringLiteral("--retries needs a number from 0 to 10.");
    return QString();
}

// --media and --all each choose what a page gives; they exclude each other.
QString readCollect(Target& target, QStringView name, const QString&)
{
    HarvestScope& harvest = target.options.harvest;
    const HarvestCollect collect
        = name == QLatin1StringView("--media") ? HarvestCollect::Media : HarvestCollect::Both;
    if (harvest.collect != HarvestCollect::Links && harvest.collect != collect)
        return QStringLiteral("--media and --all cannot be combined.");
    harvest.collect = collect;
    return QString();
}

QString readScroll(Target& target, QStringView, const QString&)
{
    target.options.harvest.scroll = true;
    return QString();
}

// --linked-full-size and --no-linked-full-size: the last one given wins.
QString readLinkedFullSize(Target& target, QStringView name, const QString&)
{
    target.options.harvest.linkedFullSize = name == QLatin1StringView("--linked-full-size");
    return QString();
}

// --min-width and --min-height: pixels, 0 (no bound) to 1000000.
QString readMinSide(Target& target, QStringView name, const QString& value)
{
    CliOptions& options = target.options;
    int& side = name == QLatin1StringView("--min-width") ? options.mediaBounds.minWidth
                                                         : options.mediaBounds.minHeight;
    options.measure = true;
    if (!readNumber(value, side, 0, 1000000))
        return QStringLiteral("%1 needs a number of pixels from 0 to 1000000.").arg(name);
    return QString();
}

QString readMinSize(Target& target, QStringView, const QString& value)
{
    constexpr qint64 kMaxSize = 1024LL * 1024 * 1024 * 1024;
    target.options.measure = true;
    const std::optional<qint64> size = ByteCount::parse(value, kMaxSize);
    if (!size)
        return QStringLiteral("--min-size needs bytes, a number with K, M or G after it for "
                              "1024, 1024² or 1024³ (e.g. 20K or 1.5M).");
    target.options.mediaBounds.minFileSize = *size;
    return QString();
}

// --type jpeg,png: the names the picture view uses; repeatable, the lists add up.
QString readTypes(Target& target, QStringView, const QString& value)
{
    target.options.measure = true;
    const QStringList names = value.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (names.isEmpty())
        return QStringLiteral("--type needs a list of types.");
    for (const QString& name : names) {
        const std::optional<PictureType> type = pictureTypeFromName(name.trimmed());
        if (!type || *type == PictureType::Bmp)
            return QStringLiteral("--type: unknown type %1; the types are jpeg, png, gif, webp, "
                                  "svg, avif and video.")
                .arg(name.trimmed());
        if (!target.options.mediaBounds.types.contains(*type))
            target.options.mediaBounds.types.append(*type);
    }
    return QString();
}

QString readSelection(Target& target, QStringView, const QString& value)
{
    const QStringList parts = value.split(QLatin1Char(':'));
    bool okStart = false;
    bool okLength = false;
    if (parts.size() == 2) {
        target.options.selectStart = parts.at(0).toInt(&okStart);
        target.options.selectLength = parts.at(1).toInt(&okLength);
    }
    if (!okStart || !okLength || target.options.selectStart < 0 || target.options.selectLength <= 0)
        return QStringLiteral("--select needs OFFSET:LENGTH, e.g. 23:2.");
    return QString();
}

QString readExists(Target& target, QStringView, const QString& value)
{
    const QStringList policies { QStringLiteral("prompt"), QStringLiteral("overwrite"),
        QStringLiteral("skip"), QStringLiteral("unique") };
    target.options.exists = overwriteActionAt(static_cast<int>(policies.indexOf(value)));
    if (!target.options.exists)
        return QStringLiteral("--exists needs prompt, overwrite, skip or unique.");
    return QString();
}

QString readCookies(Target& target, QStringView, const QString& value)
{
    QFile file(value);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("--cookies cannot read %1: %2.").arg(value, file.errorString());
    QString problem;
    const std::optional<QStringList> cookies = NetscapeCookies::parse(file.readAll(), &problem);
    if (!cookies)
        return QStringLiteral("--cookies needs a cookies.txt file in the Netscape format; "
                              "in %1 %2.")
            .arg(value, problem);
    target.options.cookies = *cookies;
    return QString();
}

QString readHeader(Target& target, QStringView, const QString& value)
{
    if (const QString why = HeaderField::lineProblem(value); !why.isEmpty())
        return QStringLiteral("--header needs \"Name: value\" on one line: %1.").arg(why);
    target.options.headers.append(value);
    return QString();
}

QString readNameMask(Target& target, QStringView, const QString& value)
{
    QString problem;
    if (!NameMask::parse(value, &problem))
        return QStringLiteral("--name: %1").arg(problem);
    target.options.nameMask = value;
    return QString();
}

// The first line of a file that holds a secret (a password, a token), without its line
// end; the file is read, never shown.
std::optional<QString> firstLine(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return std::nullopt;
    }
    QByteArray line = file.readLine(64 * 1024);
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (line.isEmpty()) {
        *error = QStringLiteral("its first line is empty");
        return std::nullopt;
    }
    return QString::fromUtf8(line);
}

QString readPasswordFile(Target& target, QStringView name, const QString& value)
{
    QString error;
    target.options.password = firstLine(value, &error);
    return target.options.password
        ? QString()
        : QStringLiteral("%1 cannot read %2: %3.").arg(name, value, error);
}

QString readAria2SecretFile(Target& target, QStringView name, const QString& value)
{
    QString error;
    const std::optional<QString> secret = firstLine(value, &error);
    if (!secret)
        return QStringLiteral("%1 cannot read %2: %3.").arg(name, value, error);
    target.options.aria2Secret = *secret;
    return QString();
}

// A value that goes to the server as a credential must fit a header.
QString readUser(Target& target, QStringView name, const QString& value)
{
    if (value.isEmpty() || !HeaderField::valueProblem(value).isEmpty()
        || value.contains(QLatin1Char(':')))
        return QStringLiteral("%1 needs a user name without \":\" or line breaks.").arg(name);
    target.options.user = value;
    return QString();
}

QString readOutput(Target& target, QStringView name, const QString& value)
{
    if (value.isEmpty())
        return QStringLiteral("%1 needs a file name or - for standard output.").arg(name);
    target.options.output = value;
    return QString();
}

QString readCaFile(Target& target, QStringView name, const QString& value)
{
    if (!QFileInfo(value).isFile())
        return QStringLiteral("%1: %2 is not a readable file.").arg(name, value);
    target.options.caFile = QFileInfo(value).absoluteFilePath();
    return QString();
}

// A rate such as 200K or 1.5M: bytes a second (ByteCount).
QString readRate(Target& target, QStringView, const QString& value)
{
    constexpr qint64 kMaxRate = 2047LL * 1024 * 1024;
    const std::optional<qint64> rate = ByteCount::parse(value, kMaxRate);
    if (!rate)
        return QStringLiteral(
            "--limit-rate needs bytes a second, a number with K, M or G after it for 1024, "
            "1024² or 1024³, at most 2047M (e.g. 200K or 1.5M).");
    target.options.rateLimit = *rate;
    return QString();
}

// Every option, in the order the help of each command lists its rows. A new option is
// a row here and its lines in the manual page.
} // namespace CliOptionReaders
