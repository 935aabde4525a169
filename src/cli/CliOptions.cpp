#include "cli/CliOptions.h"

#include <QFile>

#include "core/HeaderField.h"
#include "core/Version.h"
#include "download/Aria2Job.h"
#include "download/NameMask.h"
#include "download/NetscapeCookies.h"
#include "listops/ListPattern.h"

namespace
{

constexpr int kMaxJobs = 16;

// The commands an option belongs to, as bits.
enum CommandBit : unsigned {
    kHarvest = 1,
    kText = 2,
    kFile = 4,
    kSequence = 8,
    kDownload = 16,
};

struct CommandName {
    const char* name;
    CliOptions::Command command;
    unsigned bit;
};

constexpr CommandName kCommands[] = {
    { "harvest", CliOptions::Command::Harvest, kHarvest },
    { "text", CliOptions::Command::Text, kText },
    { "file", CliOptions::Command::File, kFile },
    { "sequence", CliOptions::Command::Sequence, kSequence },
    { "download", CliOptions::Command::Download, kDownload },
};

struct OptionRule {
    const char* name;
    bool takesValue;
    unsigned commands; // the commands that use it; any other refuses it
};

// Every option and the commands it serves. A new option is a row here, a case in
// applyOption() and its lines in the command's help (and the manual page).
constexpr OptionRule kOptions[] = {
    { "--filter", true, kHarvest },
    { "--no-filters", false, kHarvest },
    { "--exclude-js", false, kHarvest | kText | kFile },
    { "--exclude-mailto", false, kHarvest | kText | kFile },
    { "--save", true, kHarvest | kText | kFile | kSequence },
    { "--match", true, kHarvest | kText | kFile },
    { "--reject", true, kHarvest | kText | kFile },
    { "--format", true, kHarvest | kText | kFile | kDownload },
    { "--timeout", true, kHarvest | kDownload },
    { "--from", true, kHarvest | kDownload },
    { "--dedupe-all", false, kHarvest },
    { "--media", false, kHarvest },
    { "--all", false, kHarvest },
    { "--scroll", false, kHarvest },
    { "--jobs", true, kHarvest | kDownload },
    { "--start", true, kSequence },
    { "--end", true, kSequence },
    { "--select", true, kSequence },
    { "--dir", true, kDownload },
    { "--exists", true, kDownload },
    { "--retries", true, kDownload },
    { "--aria2", true, kDownload },
    { "--aria2-secret", true, kDownload },
    { "--cookies", true, kDownload },
    { "--referer", true, kDownload },
    { "--header", true, kDownload },
    { "--user-agent", true, kDownload },
    { "--content-disposition", false, kDownload },
    { "--name", true, kDownload },
    { "--per-host", true, kDownload },
    { "--limit-rate", true, kDownload },
};

const OptionRule* findOption(QStringView name)
{
    for (const OptionRule& option : kOptions) {
        if (name == QLatin1StringView(option.name))
            return &option;
    }
    return nullptr;
}

const CommandName* findCommand(QStringView name)
{
    for (const CommandName& command : kCommands) {
        if (name == QLatin1StringView(command.name))
            return &command;
    }
    return nullptr;
}

bool parseSelection(const QString& text, int& start, int& length)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 2)
        return false;
    bool okStart = false;
    bool okLength = false;
    start = parts.at(0).toInt(&okStart);
    length = parts.at(1).toInt(&okLength);
    return okStart && okLength && start >= 0 && length > 0;
}

// A rate such as 200K: bytes a second, with K for 1024 and M for 1024 squared; -1 when
// it is not one or above kMaxRate.
qint64 parseRate(const QString& text)
{
    constexpr qint64 kMaxRate = 2047LL * 1024 * 1024;
    QString digits = text.trimmed();
    qint64 unit = 1;
    if (digits.endsWith(QLatin1Char('K'), Qt::CaseInsensitive))
        unit = 1024;
    else if (digits.endsWith(QLatin1Char('M'), Qt::CaseInsensitive))
        unit = 1024 * 1024;
    if (unit != 1)
        digits.chop(1);
    bool ok = false;
    const qint64 value = digits.toLongLong(&ok);
    if (!ok || value < 0 || digits.startsWith(QLatin1Char('+')) || value > kMaxRate / unit)
        return -1;
    return value * unit;
}

// Stores an option's value; the problem when the value is not one the option takes.
QString applyOption(CliOptions& options, QStringView name, const QString& value)
{
    if (name == QLatin1StringView("--filter")) {
        QString extension = value;
        if (extension.startsWith(QLatin1Char('.')))
            extension.remove(0, 1);
        if (extension.isEmpty())
            return QStringLiteral("--filter needs an extension.");
        options.filters.append(extension);
    } else if (name == QLatin1StringView("--no-filters")) {
        options.noFilters = true;
    } else if (name == QLatin1StringView("--exclude-js")) {
        options.excludeJs = true;
    } else if (name == QLatin1StringView("--exclude-mailto")) {
        options.excludeMailto = true;
    } else if (name == QLatin1StringView("--save")) {
        options.saveFile = value;
    } else if (name == QLatin1StringView("--match") || name == QLatin1StringView("--reject")) {
        if (const Result<ListPattern> pattern = ListPattern::parse(value); !pattern)
            return QStringLiteral("%1: %2").arg(name, pattern.message());
        (name == QLatin1StringView("--match") ? options.matchPatterns : options.rejectPatterns)
            .append(value);
    } else if (name == QLatin1StringView("--format")) {
        const std::optional<EntryFormat> format = entryFormatFromName(value);
        if (!format)
            return QStringLiteral("--format needs plain, jsonl or csv.");
        options.format = *format;
        // download prints each link's outcome, as lines or as JSON lines
        options.jsonLines = *format == EntryFormat::JsonLines;
    } else if (name == QLatin1StringView("--timeout")) {
        bool ok = false;
        options.timeoutSeconds = value.toInt(&ok);
        options.timeoutGiven = true;
        if (!ok || options.timeoutSeconds <= 0
            || options.timeoutSeconds > CliOptions::kMaxTimeoutSeconds)
            return QStringLiteral("--timeout needs a number of seconds from 1 to %1.")
                .arg(CliOptions::kMaxTimeoutSeconds);
    } else if (name == QLatin1StringView("--from")) {
        options.fromFile = value;
    } else if (name == QLatin1StringView("--dedupe-all")) {
        options.dedupeAll = true;
    } else if (name == QLatin1StringView("--jobs")) {
        bool ok = false;
        options.jobs = value.toInt(&ok);
        if (!ok || options.jobs < 1 || options.jobs > kMaxJobs)
            return QStringLiteral("--jobs needs a number from 1 to %1.").arg(kMaxJobs);
    } else if (name == QLatin1StringView("--media") || name == QLatin1StringView("--all")) {
        const HarvestCollect collect
            = name == QLatin1StringView("--media") ? HarvestCollect::Media : HarvestCollect::Both;
        if (options.harvest.collect != HarvestCollect::Links && options.harvest.collect != collect)
            return QStringLiteral("--media and --all cannot be combined.");
        options.harvest.collect = collect;
    } else if (name == QLatin1StringView("--scroll")) {
        options.harvest.scroll = true;
    } else if (name == QLatin1StringView("--start")) {
        options.startText = value;
    } else if (name == QLatin1StringView("--end")) {
        options.endText = value;
    } else if (name == QLatin1StringView("--select")) {
        if (!parseSelection(value, options.selectStart, options.selectLength))
            return QStringLiteral("--select needs OFFSET:LENGTH, e.g. 23:2.");
    } else if (name == QLatin1StringView("--dir")) {
        options.dir = value;
    } else if (name == QLatin1StringView("--exists")) {
        const QStringList policies { QStringLiteral("prompt"), QStringLiteral("overwrite"),
            QStringLiteral("skip"), QStringLiteral("unique") };
        options.exists = overwriteActionAt(static_cast<int>(policies.indexOf(value)));
        if (!options.exists)
            return QStringLiteral("--exists needs prompt, overwrite, skip or unique.");
    } else if (name == QLatin1StringView("--retries")) {
        bool ok = false;
        options.retries = value.toInt(&ok);
        if (!ok || options.retries < 0 || options.retries > 10)
            return QStringLiteral("--retries needs a number from 0 to 10.");
    } else if (name == QLatin1StringView("--aria2")) {
        options.aria2Url = value;
    } else if (name == QLatin1StringView("--aria2-secret")) {
        options.aria2Secret = value;
    } else if (name == QLatin1StringView("--cookies")) {
        QFile file(value);
        if (!file.open(QIODevice::ReadOnly))
            return QStringLiteral("--cookies cannot read %1: %2.").arg(value, file.errorString());
        QString problem;
        const std::optional<QStringList> cookies = NetscapeCookies::parse(file.readAll(), &problem);
        if (!cookies)
            return QStringLiteral("--cookies needs a cookies.txt file in the Netscape format; "
                                  "in %1 %2.")
                .arg(value, problem);
        options.cookies = *cookies;
    } else if (name == QLatin1StringView("--referer")) {
        if (const QString why = HeaderField::valueProblem(value); !why.isEmpty())
            return QStringLiteral("--referer cannot be sent: %1.").arg(why);
        options.referer = value;
    } else if (name == QLatin1StringView("--header")) {
        if (const QString why = HeaderField::lineProblem(value); !why.isEmpty())
            return QStringLiteral("--header needs \"Name: value\" on one line: %1.").arg(why);
        options.headers.append(value);
    } else if (name == QLatin1StringView("--user-agent")) {
        if (const QString why = HeaderField::valueProblem(value); !why.isEmpty())
            return QStringLiteral("--user-agent cannot be sent: %1.").arg(why);
        options.userAgent = value;
    } else if (name == QLatin1StringView("--content-disposition")) {
        options.contentDisposition = true;
    } else if (name == QLatin1StringView("--name")) {
        QString problem;
        if (!NameMask::parse(value, &problem))
            return QStringLiteral("--name: %1").arg(problem);
        options.nameMask = value;
    } else if (name == QLatin1StringView("--per-host")) {
        bool ok = false;
        options.perHost = value.toInt(&ok);
        if (!ok || options.perHost < 1 || options.perHost > kMaxJobs)
            return QStringLiteral("--per-host needs a number from 1 to %1.").arg(kMaxJobs);
    } else if (name == QLatin1StringView("--limit-rate")) {
        options.rateLimit = parseRate(value);
        if (options.rateLimit < 0)
            return QStringLiteral(
                "--limit-rate needs bytes a second, K or M after the number for 1024 or 1024², "
                "at most 2047M (e.g. 200K).");
    }
    return QString();
}

// The checks that need the whole command line: arguments and required options.
// The download options the aria2 daemon cannot apply as asked: it writes the files by
// its own rules and runs the links as it is configured to.
constexpr const char* kNotForAria2[] = { "--exists", "--jobs", "--per-host", "--limit-rate",
    "--retries", "--content-disposition", "--timeout" };

QString checkArguments(CliOptions& options, QStringList positional, const QStringList& given)
{
    using Command = CliOptions::Command;
    if (options.command == Command::Download) {
        options.urls = positional;
        if (options.urls.isEmpty() && options.fromFile.isEmpty())
            return QStringLiteral("download needs a URL or --from LISTFILE.");
        if (options.format == EntryFormat::Csv)
            return QStringLiteral("--format for download needs plain or jsonl.");
        if (options.aria2Url.isEmpty())
            return options.aria2Secret.isEmpty()
                ? QString()
                : QStringLiteral("--aria2-secret needs --aria2 URL.");
        for (const char* name : kNotForAria2) {
            if (given.contains(QLatin1StringView(name)))
                return QStringLiteral("%1 does not apply with --aria2: the daemon saves the "
                                      "files by its own settings.")
                    .arg(QLatin1StringView(name));
        }
        const QString refused = Aria2Job::refusal({ options.aria2Url, options.aria2Secret });
        return refused.isEmpty() ? QString() : QStringLiteral("--aria2: ") + refused;
    }
    if (options.command == Command::Harvest) {
        options.urls = positional;
        if (options.urls.isEmpty() && !options.fromFile.isEmpty())
            return QString();
    }
    if (positional.size() > 1 && options.command != Command::Harvest)
        return QStringLiteral("Too many arguments.");
    options.argument = positional.value(0);
    if (options.command == Command::Text && options.argument.isEmpty())
        options.argument = QStringLiteral("-");
    if (options.argument.isEmpty())
        return options.command == Command::File ? QStringLiteral("No FILE given.")
                                                : QStringLiteral("No URL given.");
    if (options.command == Command::Sequence
        && (options.startText.isEmpty() || options.endText.isEmpty() || options.selectStart < 0))
        return QStringLiteral("sequence needs --start N, --end M and --select OFFSET:LENGTH.");
    return QString();
}

} // namespace

CliOptions CliOptions::parse(const QStringList& arguments)
{
    CliOptions options;
    QStringList positional;
    QStringList given; // the options given, checked against the command at the end
    bool helpAsked = false;
    bool versionAsked = false;
    bool optionsEnded = false;
    auto fail = [&](const QString& problem) {
        if (options.error.isEmpty())
            options.error = problem;
    };
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (optionsEnded || arg == QLatin1StringView("-") || !arg.startsWith(QLatin1Char('-'))) {
            positional.append(arg);
            continue;
        }
        if (arg == QLatin1StringView("--")) {
            optionsEnded = true;
        } else if (arg == QLatin1StringView("-h") || arg == QLatin1StringView("--help")) {
            helpAsked = true;
        } else if (arg == QLatin1StringView("-V") || arg == QLatin1StringView("--version")) {
            versionAsked = true;
        } else {
            // --name=value or --name value.
            const qsizetype equals = arg.startsWith(QLatin1StringView("--"))
                ? arg.indexOf(QLatin1Char('='))
                : qsizetype(-1);
            const QString name = equals < 0 ? arg : arg.left(equals);
            const OptionRule* option = findOption(name);
            if (!option) {
                fail(QStringLiteral("Unknown option %1.").arg(name));
                continue;
            }
            QString value;
            if (!option->takesValue) {
                if (equals >= 0)
                    fail(QStringLiteral("%1 takes no value.").arg(name));
            } else if (equals >= 0) {
                value = arg.mid(equals + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments.at(++i);
            } else {
                fail(QStringLiteral("%1 needs a value.").arg(name));
                continue;
            }
            given.append(name);
            if (const QString problem = applyOption(options, name, value); !problem.isEmpty())
                fail(problem);
        }
    }

    // "help COMMAND" asks for that command's help, as "COMMAND --help" does.
    if (!positional.isEmpty() && positional.first() == QLatin1StringView("help")) {
        helpAsked = true;
        positional.removeFirst();
    }
    const CommandName* command = positional.isEmpty() ? nullptr : findCommand(positional.first());
    if (command)
        options.commandName = QString::fromLatin1(command->name);
    if (helpAsked && (command || positional.isEmpty())) {
        options.command = Command::Help;
        options.error.clear();
        return options;
    }
    if (versionAsked && positional.isEmpty() && options.error.isEmpty()) {
        options.command = Command::Version;
        return options;
    }
    if (positional.isEmpty()) {
        fail(QStringLiteral("No command given."));
        return options;
    }
    if (!command) {
        options.error = QStringLiteral("Unknown command %1.").arg(positional.first());
        return options;
    }
    positional.removeFirst();
    options.command = command->command;
    if (!options.error.isEmpty())
        return options;
    for (const QString& name : given) {
        if (!(findOption(name)->commands & command->bit)) {
            options.error
                = QStringLiteral("%1 is not an option of %2.").arg(name, options.commandName);
            return options;
        }
    }
    options.error = checkArguments(options, positional, given);
    return options;
}

QString CliOptions::usageHint() const
{
    return commandName.isEmpty()
        ? QStringLiteral("Try 'quillmarch-cli --help'.")
        : QStringLiteral("Try 'quillmarch-cli %1 --help'.").arg(commandName);
}

QString CliOptions::versionText()
{
    return QStringLiteral("quillmarch-cli %1\n").arg(QLatin1StringView(kQuillmarchVersion));
}

// The help lines of the options that choose and print the entries of harvest, text and
// file.
static const QString kListOutputHelp = QStringLiteral(
    R"(  --match PATTERN    Keep only entries that match a --match (repeatable). A pattern
                     is a wildcard over the whole address (* any run, ? one
                     character) or /REGEX/ (RE2 syntax: no back-references or
                     look-around; matching time grows only with the address's
                     length); case is ignored.
  --reject PATTERN   Leave out entries that match a --reject (repeatable; wins
                     over --match).
  --format FORMAT    Print plain (one link a line, the default), jsonl (a JSON
                     object a line: url, kind, text, page, title) or csv (those
                     five columns under a header row). --save keeps the list format.
)");

QString CliOptions::help(const QString& command)
{
    if (command.isEmpty())
        return QStringLiteral(R"(Usage: quillmarch-cli COMMAND [OPTIONS] [ARGUMENTS]

Builds a link list without a window and prints it on standard output, one entry a
line, or downloads the targets of links. The list follows the same rules as the
Quillmarch window, with your stored file-type filters and exclusion preferences
unless options override them.

Commands:
  harvest URL...     List the links of web pages, loaded in a hidden browser.
  text [FILE|-]      List the lines of a text that begin like a link.
  file FILE          Read a list file (one link a line).
  sequence URL       Number a run of URLs.
  download [URL...]  Save the target of each link into a folder.
  help [COMMAND]     Show this text, or a command's help.

Options:
  -h, --help         Show this text; after a command, the command's help.
  -V, --version      Show the version.

Options take their value as "--opt value" or "--opt=value"; "--" ends the
options. 'quillmarch-cli COMMAND --help' lists a command's options.

Messages go to standard error, each line beginning with "quillmarch-cli: ".
Exit status: 0 success, 1 the list could not be built or saved, or a download
failed, 2 wrong usage.
)");
    if (command == QLatin1StringView("harvest"))
        return QStringLiteral(R"(Usage: quillmarch-cli harvest [OPTIONS] URL...

Load each page in a hidden browser (no display needed) and list the links of the
page and of all its frames, without duplicates (with --media its images, video,
audio, CSS backgrounds and embedded objects instead; with --all both). With several URLs (or --from), the
pages load a few at a time and each page's links are printed in the order the pages
were given; each message then names its page's URL. A URL may also be a page on
this machine (a file: URL or a path): its web links are listed, its links to local
files are not.

Options:
  --filter EXT       Keep only links whose extension is EXT (repeatable; replaces the
                     stored filters and switches filtering on).
  --no-filters       Do not apply file-type filters.
  --exclude-js       Leave out "javascript:" links.
  --exclude-mailto   Leave out "mailto" links.
  --save FILE        Also write the list to FILE in Quillmarch's list format.
)") + kListOutputHelp
            + QStringLiteral(
                R"(  --timeout SECONDS  Give up a page that has not loaded completely after SECONDS
                     (default 120, at most 86400).
  --from LISTFILE    Also take the URLs of LISTFILE, one a line (- reads standard
                     input); blank lines are skipped.
  --dedupe-all       With several pages, print a link only the first time any page
                     gives it (each page drops its own duplicates anyway).
  --jobs N           Pages loaded at a time, 1 to 16 (default 4).
  --media            List the page's media instead of its links: images (the real
                     address of lazy images, the largest srcset candidate), video,
                     audio, posters, tracks, embedded objects and CSS backgrounds,
                     in document order, frames after their parent.
  --all              List links and media.
  --scroll           Scroll each page down step by step first, so content it adds
                     while scrolled is listed too (until its height stops growing,
                     at most 30 steps or 10 seconds).
  -h, --help         Show this text.

Exit status: 0 listed, 1 the list could not be built (navigation error, not an
HTML page, no links found or none left after the filters and exclusions; with
several pages: any page) or not saved, 2 wrong usage.
)");
    if (command == QLatin1StringView("text"))
        return QStringLiteral(R"(Usage: quillmarch-cli text [OPTIONS] [FILE|-]

Take the lines of a text (standard input when FILE is - or missing) that begin like
a link. Lines may end in LF, CR LF or CR. Reading stops when the list is full.

Options:
  --exclude-js       Leave out "javascript:" links.
  --exclude-mailto   Leave out "mailto" links.
  --save FILE        Also write the list to FILE in Quillmarch's list format.
)") + kListOutputHelp
            + QStringLiteral(R"(  -h, --help         Show this text.

Exit status: 0 listed, 1 no links, unreadable or binary input, or not saved,
2 wrong usage.
)");
    if (command == QLatin1StringView("file"))
        return QStringLiteral(R"(Usage: quillmarch-cli file [OPTIONS] FILE

Read a list file (one link a line). Text that is not valid UTF-8 is read as
Windows-1252; binary data is refused.

Options:
  --exclude-js       Leave out "javascript:" links.
  --exclude-mailto   Leave out "mailto" links.
  --save FILE        Also write the list to FILE in Quillmarch's list format.
)") + kListOutputHelp
            + QStringLiteral(R"(  -h, --help         Show this text.

Exit status: 0 listed, 1 bad or unreadable file, no links, or not saved, 2 wrong
usage.
)");
    if (command == QLatin1StringView("sequence"))
        return QStringLiteral(
            R"(Usage: quillmarch-cli sequence URL --start N --end M --select OFFSET:LENGTH

Number a run of URLs: the LENGTH characters of URL from OFFSET (characters counted
from 0) are replaced by each number from N to M, padded with zeros to the width of N
as written (--start 001).

Options:
  --start N          The first number.
  --end M            The last number.
  --select OFFSET:LENGTH
                     The characters of URL the numbers replace.
  --save FILE        Also write the list to FILE in Quillmarch's list format.
  -h, --help         Show this text.

Exit status: 0 listed, 1 the numbers or the selection do not fit, or not saved,
2 wrong usage.
)");
    if (command == QLatin1StringView("download"))
        return QStringLiteral(R"(Usage: quillmarch-cli download [OPTIONS] [URL...]

Save the target of each link (and of each line of --from LISTFILE) into a folder,
several at once, with the window's rules: the name after the link's last "/"
(index.html when it has no "."), a hidden partial file renamed into place only
when complete, failed transfers tried again. Prints one line per saved file: its
path, a tab and its size, and at the end how many were saved, skipped and failed
on standard error. Ctrl-C stops (exit status 130); the partly received file
is kept hidden beside its record, and the next download of the same link into the
folder resumes it.

Options:
  --from LISTFILE    Also take the links of LISTFILE, one a line (- reads standard
                     input); blank lines are skipped.
  --dir DIR          The destination folder, created when missing (default: the
                     current one).
  --exists POLICY    What to do when a file of the name exists: prompt (ask on the
                     terminal), overwrite, skip or unique (a numbered name).
                     Default: the "Overwrite Action" preference.
  --retries N        Tries again after a transient failure, 0 to 10 (default: the
                     "Retries" setting, 3).
  --aria2 URL        Hand the links to the aria2 daemon at URL (its JSON-RPC
                     address, e.g. http://127.0.0.1:6800/jsonrpc), which saves them
                     into --dir on its own machine (default: its own folder) by its
                     own rules. A daemon on another machine is reached over https
                     only when a secret or cookies go with the links. --name
                     applies; --exists, --jobs, --per-host, --limit-rate,
                     --retries, --content-disposition and --timeout are refused.
                     With cookies or credential headers, redirects are followed
                     first and the daemon gets the last address with only its
                     own cookies. A reported file outside the folder fails.
  --aria2-secret TOKEN
                     The daemon's --rpc-secret.
  --jobs N           Links downloaded at once, 1 to 16 (default 4).
  --per-host M       Of those, at most M from one host, 1 to 16 (default 4).
  --limit-rate RATE  Receive at most RATE bytes a second in all, shared by the
                     links running at once; K means 1024, M 1024² (e.g. 200K).
  --format jsonl     Print one JSON object per link instead: url, path, size,
                     status (saved, skipped or failed) and error.
  --timeout SECONDS  Give up a transfer when no byte arrives for SECONDS (default
                     60; connecting waits at most SECONDS or 30, the lesser).
                     Unlike harvest's --timeout, a slow but steady transfer is
                     never cut; a server sending under 100 bytes a second over a
                     minute is tried again like a dropped one.
  --cookies FILE     Send the cookies of FILE (the Netscape cookies.txt format
                     that curl and wget read and write), each to its own site
                     (never to a public suffix such as .com), on every redirect.
  --referer URL      Send URL as the Referer, also for the entries of --from.
                     Without it, with --from in JSON lines (the first non-blank
                     line starts with "{", as harvest --format jsonl writes),
                     each entry's "page" is its referrer.
  --header "Name: value"
                     Send this header line too (repeatable); Authorization and
                     Cookie go to the link's own address only. A line break in
                     this, --referer or --user-agent is a usage error.
  --user-agent TEXT  Send TEXT as the User-Agent (default "Quillmarch/VERSION").
  --content-disposition
                     Use the name the server gives (its last part only,
                     without leading dots, made safe; the file always stays in
                     the folder, and a name another running link holds gets a
                     number).
  --name MASK        Name each file by MASK: *name* and *ext* (the link's own
                     name, before and after its last "."), *num* (the link's
                     position, 001...), *host*, *subdirs* (the link's folders,
                     created in the folder), *text*, *title*, *date*
                     (YYYY-MM-DD). Default: *name*.*ext*. A folder that is a
                     symbolic link is never entered: the link fails.
  -h, --help         Show this text.

A link whose name promises a file that is not text (an archive, picture, sound,
video, PDF, program and the like) but gets a web page back (a sign-in page, say)
fails; nothing is saved under the file's name.

Exit status: 0 every file saved (or skipped by --exists skip), 1 a download
failed, 2 wrong usage, 130 interrupted.
)");
    return QString();
}
