#include "cli/CliOptionTable.h"

#include <QFile>
#include <QFileInfo>
#include <string_view>

#include "cli/ByteCount.h"
#include "core/HeaderField.h"
#include "download/NameMask.h"
#include "download/NetscapeCookies.h"
#include "listops/ListPattern.h"

namespace
{

constexpr int kMaxJobs = 16;
constexpr unsigned kListCommands = kCliHarvest | kCliText | kCliFile;
constexpr unsigned kEveryCommand = kListCommands | kCliSequence | kCliDownload;

using Target = CliOptionTarget;

// The options that only store their value or switch something on.
template <QString CliOptions::*field>
QString store(Target& target, QStringView, const QString& value)
{
    target.options.*field = value;
    return QString();
}

template <bool CliOptions::*field> QString raise(Target& target, QStringView, const QString&)
{
    target.options.*field = true;
    return QString();
}

template <bool CliOptionTarget::*field> QString ask(Target& target, QStringView, const QString&)
{
    target.*field = true;
    return QString();
}

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

// --referer and --user-agent: one header value each, sent as given.
template <QString CliOptions::*field>
QString readHeaderValue(Target& target, QStringView name, const QString& value)
{
    if (const QString why = HeaderField::valueProblem(value); !why.isEmpty())
        return QStringLiteral("%1 cannot be sent: %2.").arg(name, why);
    target.options.*field = value;
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
constexpr CliOptionRow kOptions[] = {
    { "--help", "-h", nullptr, kCliOverview, "Show this text; after a command, the command's help.",
        &ask<&Target::helpAsked> },
    { "--version", "-V", nullptr, kCliOverview, "Show the version.", &ask<&Target::versionAsked> },
    { "--filter", nullptr, "EXT", kCliHarvest,
        "Keep only links whose extension is EXT (repeatable; replaces the\n"
        "stored filters and switches filtering on).",
        &readFilter },
    { "--no-filters", nullptr, nullptr, kCliHarvest, "Do not apply file-type filters.",
        &raise<&CliOptions::noFilters> },
    { "--exclude-js", nullptr, nullptr, kListCommands, "Leave out \"javascript:\" links.",
        &raise<&CliOptions::excludeJs> },
    { "--exclude-mailto", nullptr, nullptr, kListCommands, "Leave out \"mailto\" links.",
        &raise<&CliOptions::excludeMailto> },
    { "--start", nullptr, "N", kCliSequence, "The first number.", &store<&CliOptions::startText> },
    { "--end", nullptr, "M", kCliSequence, "The last number.", &store<&CliOptions::endText> },
    { "--select", nullptr, "OFFSET:LENGTH", kCliSequence,
        "The characters of URL the numbers replace.", &readSelection },
    { "--save", nullptr, "FILE", kListCommands | kCliSequence,
        "Also write the list to FILE in Quillmarch's list format.", &store<&CliOptions::saveFile> },
    { "--match", nullptr, "PATTERN", kListCommands,
        "Keep only entries that match a --match (repeatable). A pattern\n"
        "is a wildcard over the whole address (* any run, ? one\n"
        "character) or /REGEX/ (RE2 syntax: no back-references or\n"
        "look-around; matching time grows only with the address's\n"
        "length); case is ignored.",
        &readPattern },
    { "--reject", nullptr, "PATTERN", kListCommands,
        "Leave out entries that match a --reject (repeatable; wins\n"
        "over --match).",
        &readPattern },
    { "--format", nullptr, "FORMAT", kListCommands,
        "Print plain (one link a line, the default), jsonl (a JSON\n"
        "object a line: url, kind, text, page, title, and depth in a\n"
        "site harvest) or csv (the first five under a header row).\n"
        "--save keeps the list format.",
        &readFormat },
    { "--timeout", nullptr, "SECONDS", kCliHarvest,
        "Give up a page that has not loaded completely after SECONDS\n"
        "(default 120, at most 86400); the links it gave so far are\n"
        "printed, with a warning, and the exit status is 1.",
        &readTimeout },
    { "--settle", nullptr, "MS", kCliHarvest,
        "After the page has loaded, wait MS milliseconds (at most 60000)\n"
        "for links its scripts add, then collect (default 0).",
        &readSettle },
    { "--from", nullptr, "LISTFILE", kCliHarvest,
        "Also take the URLs of LISTFILE, one a line (- reads standard\n"
        "input); blank lines and # comment lines are skipped.",
        &store<&CliOptions::fromFile> },
    { "--dedupe-all", nullptr, nullptr, kCliHarvest,
        "With several pages, print a link only the first time any page\n"
        "gives it (each page drops its own duplicates anyway).",
        &raise<&CliOptions::dedupeAll> },
    { "--jobs", nullptr, "N", kCliHarvest, "Pages loaded at a time, 1 to 16 (default 4).",
        &readJobs },
    { "--media", nullptr, nullptr, kCliHarvest,
        "List the page's media instead of its links: images (the real\n"
        "address of lazy images, the largest srcset candidate), image\n"
        "buttons, video, audio, posters, tracks, embedded objects and\n"
        "CSS backgrounds (::before and ::after too, the largest\n"
        "image-set() candidate), in document order, frames after their\n"
        "parent.",
        &readCollect },
    { "--all", nullptr, nullptr, kCliHarvest, "List links and media.", &readCollect },
    { "--scroll", nullptr, nullptr, kCliHarvest,
        "Scroll each page down step by step first, so content it adds\n"
        "while scrolled is listed too (until its height stops growing,\n"
        "at most 30 steps or 10 seconds).",
        &readScroll },
    { "--linked-full-size", nullptr, nullptr, kCliHarvest,
        "With --media or --all, list a picture inside a link to a\n"
        "picture (a gallery's thumbnail) as the linked picture, the\n"
        "thumbnail kept in its \"thumbnail\" field (the default).",
        &readLinkedFullSize },
    { "--no-linked-full-size", nullptr, nullptr, kCliHarvest,
        "List such thumbnails as they are, and their links as links.", &readLinkedFullSize },
    { "--measure", nullptr, nullptr, kCliHarvest,
        "With --media or --all, measure each picture after the harvest\n"
        "(a ranged request of its first 64 KiB, the page as referrer,\n"
        "at most 4 at a time to one host; sizes are cached under\n"
        "$XDG_CACHE_HOME/quillmarch) and add width, height, size and\n"
        "type to --format jsonl and csv; keep every entry.",
        &raise<&CliOptions::measure> },
    { "--min-width", nullptr, "N", kCliHarvest,
        "Keep only media at least N pixels wide (measures them).", &readMinSide },
    { "--min-height", nullptr, "N", kCliHarvest,
        "Keep only media at least N pixels high (measures them).", &readMinSide },
    { "--min-size", nullptr, "SIZE", kCliHarvest,
        "Keep only media files of at least SIZE bytes; K means 1024, M\n"
        "1024², G 1024³ (e.g. 20K or 1.5M).",
        &readMinSize },
    { "--type", nullptr, "LIST", kCliHarvest,
        "Keep only media of these types, a comma list of jpeg, png,\n"
        "gif, webp, svg, avif and video (the type the file's first\n"
        "bytes show, else its name's). An entry these bounds cannot\n"
        "be checked for (not measurable, a link that is no picture) is\n"
        "left out, and the count of those is told.",
        &readTypes },
    { "--depth", nullptr, "N", kCliHarvest,
        "Harvest a site: also visit the pages the page links to, and\n"
        "theirs, N links away (0 to 1000; 0, the default, is the page\n"
        "alone), breadth first, each page once; every page's entries\n"
        "are listed, each entry once.",
        &readDepth },
    { "--scope", nullptr, "SCOPE", kCliHarvest,
        "The pages a site harvest visits: path (the default: the start\n"
        "page's host, at or below its folder), host, domain (the host\n"
        "and its subdomains) or a pattern as --match takes. Links\n"
        "outside are listed but not visited.",
        &readScope },
    { "--follow", nullptr, "PATTERN", kCliHarvest,
        "Visit only the pages in scope whose address matches PATTERN.", &readFollow },
    { "--next", nullptr, nullptr, kCliHarvest,
        "Follow next-page links (rel=\"next\", \"Next\", \"›\", \"»\" or the\n"
        "following page number) whatever the depth.",
        &readNext },
    { "--max-pages", nullptr, "N", kCliHarvest, "Visit at most N pages (default 1000).",
        &readMaxPages },
    { "--max-time", nullptr, "SECONDS", kCliHarvest,
        "Stop a site harvest after SECONDS; what was found is printed.", &readMaxTime },
    { "--ignore-robots", nullptr, nullptr, kCliHarvest,
        "Do not read the sites' robots.txt (by default its rules for\n"
        "\"quillmarch\", else for \"*\", and its Crawl-delay are kept).",
        &readIgnoreRobots },
    { "--per-host", nullptr, "N", kCliHarvest,
        "Pages of a site harvest loading at once per host, 1 to 16\n"
        "(default 2).",
        &readPerHost },
    { "--continue", nullptr, nullptr, kCliHarvest,
        "Continue the site harvest of the same URL and options that was\n"
        "stopped (Ctrl-C, a limit, a failure), kept under\n"
        "$XDG_CACHE_HOME/quillmarch/crawl: pages read are not read\n"
        "again, and the entries found before are listed too.",
        &raise<&CliOptions::crawlContinue> },
    { "--from", nullptr, "LISTFILE", kCliDownload,
        "Also take the links of LISTFILE, one a line (- reads standard\n"
        "input); blank lines and # comment lines are skipped.",
        &store<&CliOptions::fromFile> },
    { "--dir", nullptr, "DIR", kCliDownload,
        "The destination folder, created when missing (default: the\n"
        "current one).",
        &store<&CliOptions::dir> },
    { "--exists", nullptr, "POLICY", kCliDownload,
        "What to do when a file of the name exists: prompt (ask on the\n"
        "terminal), overwrite, skip or unique (a numbered name).\n"
        "Default: the \"Overwrite Action\" preference.",
        &readExists },
    { "--retries", nullptr, "N", kCliDownload,
        "Tries again after a transient failure, 0 to 10 (default: the\n"
        "\"Retries\" setting, 3).",
        &readRetries },
    { "--aria2", nullptr, "URL", kCliDownload,
        "Hand the links to the aria2 daemon at URL (its JSON-RPC\n"
        "address, e.g. http://127.0.0.1:6800/jsonrpc), which saves them\n"
        "into --dir on its own machine (default: its own folder) by its\n"
        "own rules. A daemon on another machine is reached over https\n"
        "only when a secret or cookies go with the links. --name\n"
        "applies; --exists, --jobs, --per-host, --limit-rate,\n"
        "--retries, --content-disposition and --timeout are refused.\n"
        "With cookies or credential headers, redirects are followed\n"
        "first and the daemon gets the last address with only its\n"
        "own cookies. A reported file outside the folder fails.",
        &store<&CliOptions::aria2Url> },
    { "--aria2-secret", nullptr, "TOKEN", kCliDownload,
        "The daemon's --rpc-secret (any user can read it in the process\n"
        "list: prefer the next option or QUILLMARCH_ARIA2_SECRET).",
        &store<&CliOptions::aria2Secret> },
    { "--aria2-secret-file", nullptr, "FILE", kCliDownload,
        "Read the daemon's secret from the first line of FILE.", &readAria2SecretFile },
    { "--jobs", nullptr, "N", kCliDownload, "Links downloaded at once, 1 to 16 (default 4).",
        &readJobs },
    { "--per-host", nullptr, "M", kCliDownload,
        "Of those, at most M from one host, 1 to 16 (default 4).", &readPerHost },
    { "--limit-rate", nullptr, "RATE", kCliDownload,
        "Receive at most RATE bytes a second in all, shared by the\n"
        "links running at once; K means 1024, M 1024², G 1024³, and\n"
        "the number may have decimals (e.g. 200K or 1.5M).",
        &readRate },
    { "--format", nullptr, "jsonl", kCliDownload,
        "Print one JSON object per link instead: url, path, size,\n"
        "status (saved, skipped or failed) and error.",
        &readFormat },
    { "--timeout", nullptr, "SECONDS", kCliDownload,
        "Give up a transfer when no byte arrives for SECONDS (default\n"
        "60; connecting waits at most SECONDS or 30, the lesser).\n"
        "Unlike harvest's --timeout, a slow but steady transfer is\n"
        "never cut; a server sending under 100 bytes a second over a\n"
        "minute is tried again like a dropped one.",
        &readTimeout },
    { "--session", nullptr, nullptr, kCliHarvest | kCliDownload,
        "Send the cookies of the window's browser profile, so a site\n"
        "signed in to in a browser window is signed in here too (read\n"
        "from the profile, never changed). The window writes a new\n"
        "cookie there within about half a minute and when it closes;\n"
        "until then it lives only in the window's memory, where no\n"
        "other process can read it. With --cookies, both are sent.",
        &raise<&CliOptions::session> },
    { "--engine", nullptr, nullptr, kCliHarvest,
        "Load every page in the browser engine. Without it, a page\n"
        "that cannot change itself (no script, event handler,\n"
        "object, refresh or noscript; for --media also no style\n"
        "sheet), and its same-site frames that cannot either, are\n"
        "read by an HTML parser, which gives the same list much\n"
        "faster.",
        &raise<&CliOptions::engineOnly> },
    { "--cookies", nullptr, "FILE", kCliDownload,
        "Send the cookies of FILE (the Netscape cookies.txt format\n"
        "that curl and wget read and write), each to its own site\n"
        "(never to a public suffix such as .com), on every redirect.",
        &readCookies },
    { "--referer", nullptr, "URL", kCliDownload,
        "Send URL as the Referer, also for the entries of --from.\n"
        "Without it, with --from in JSON lines (the first link\n"
        "line starts with \"{\", as harvest --format jsonl writes),\n"
        "each entry's \"page\" is its referrer.",
        &readHeaderValue<&CliOptions::referer> },
    { "--header", nullptr, "\"Name: value\"", kCliDownload,
        "Send this header line too (repeatable); Authorization and\n"
        "Cookie go to the link's own address only. A line break in\n"
        "this, --referer or --user-agent is a usage error.",
        &readHeader },
    { "--user-agent", nullptr, "TEXT", kCliDownload,
        "Send TEXT as the User-Agent (default \"Quillmarch/VERSION\").",
        &readHeaderValue<&CliOptions::userAgent> },
    { "--content-disposition", nullptr, nullptr, kCliDownload,
        "Use the name the server gives (its last part only,\n"
        "without leading dots, made safe; the file always stays in\n"
        "the folder, and a name another running link holds gets a\n"
        "number).",
        &raise<&CliOptions::contentDisposition> },
    { "--portable-names", nullptr, nullptr, kCliDownload,
        "Make every file and folder name portable, for a memory stick\n"
        "or a shared folder: : * ? \" < > | and \\ become _, and\n"
        "trailing dots and spaces go.",
        &raise<&CliOptions::portableNames> },
    { "--name", nullptr, "MASK", kCliDownload,
        "Name each file by MASK: *name* and *ext* (the link's own\n"
        "name, before and after its last \".\"), *num* (the link's\n"
        "position, 001...), *host*, *subdirs* (the link's folders,\n"
        "created in the folder), *text*, *title*, *date*\n"
        "(YYYY-MM-DD). Default: *name*.*ext*. A folder that is a\n"
        "symbolic link is never entered: the link fails.",
        &readNameMask },
    { "--output", "-O", "FILE", kCliDownload,
        "Save the one link given as FILE (- writes it to standard\n"
        "output once complete, and nothing else goes there).",
        &readOutput },
    { "--quiet", "-q", nullptr, kCliDownload,
        "Print only errors on standard error: no progress, notices or\n"
        "summary.",
        &raise<&CliOptions::quiet> },
    { "--verbose", "-v", nullptr, kCliDownload,
        "Also print each request and response head as sent and received\n"
        "(Authorization and Cookie values masked) and every redirect.",
        &raise<&CliOptions::verbose> },
    { "--ca-certificate", nullptr, "FILE", kCliHarvest | kCliDownload,
        "Trust the certificate authorities of FILE (PEM) instead of the\n"
        "system's, for pages and transfers; default: $SSL_CERT_FILE\n"
        "when set.",
        &readCaFile },
    { "--insecure", nullptr, nullptr, kCliHarvest | kCliDownload,
        "Do not check the server's certificate or name (a warning is\n"
        "printed on every run).",
        &raise<&CliOptions::insecure> },
    { "--timestamping", nullptr, nullptr, kCliDownload,
        "Fetch a link only when its file is newer than the one in the\n"
        "folder (If-Modified-Since); an unchanged file is skipped.\n"
        "Saved files always take the server's Last-Modified time.",
        &raise<&CliOptions::timestamping> },
    { "--user", nullptr, "USER", kCliDownload,
        "Sign in as USER, to the link's own address only (never after\n"
        "a redirect to another one). The password comes from\n"
        "--password-file, else is asked on the terminal (not shown),\n"
        "else from ~/.netrc.",
        &readUser },
    { "--password-file", nullptr, "FILE", kCliDownload,
        "The password of --user: the first line of FILE.", &readPasswordFile },
    { "--no-config", nullptr, nullptr, kEveryCommand,
        "Read no stored settings: run on the defaults (as does\n"
        "QUILLMARCH_NO_CONFIG=1).",
        &raise<&CliOptions::noConfig> },
    { "--help", "-h", nullptr, kEveryCommand, "Show this text.", &ask<&Target::helpAsked> },
};

// The rows of one option must read it alike, and a command's help may list it only once.
constexpr bool rowsAgree()
{
    for (const CliOptionRow& a : kOptions) {
        for (const CliOptionRow& b : kOptions) {
            if (&a == &b || std::string_view(a.name) != std::string_view(b.name))
                continue;
            if (a.apply != b.apply || (a.placeholder == nullptr) != (b.placeholder == nullptr)
                || (a.commands & b.commands) != 0)
                return false;
        }
    }
    return true;
}
static_assert(rowsAgree(), "the rows of an option disagree");

} // namespace

std::span<const CliOptionRow> CliOptionTable::rows()
{
    return kOptions;
}

const CliOptionRow* CliOptionTable::find(QStringView name)
{
    for (const CliOptionRow& option : kOptions) {
        if (name == QLatin1StringView(option.name)
            || (option.alias && name == QLatin1StringView(option.alias)))
            return &option;
    }
    return nullptr;
}

unsigned CliOptionTable::commandsOf(QStringView name)
{
    unsigned commands = 0;
    for (const CliOptionRow& option : kOptions) {
        if (name == QLatin1StringView(option.name))
            commands |= option.commands;
    }
    return commands;
}
