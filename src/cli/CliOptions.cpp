#include "cli/CliOptions.h"

namespace
{

constexpr int kMaxJobs = 16;

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

} // namespace

CliOptions CliOptions::parse(const QStringList& arguments)
{
    CliOptions options;
    QStringList positional;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        auto value = [&](const QString& name) -> std::optional<QString> {
            if (i + 1 >= arguments.size()) {
                options.error = QStringLiteral("%1 needs a value.").arg(name);
                return std::nullopt;
            }
            return arguments.at(++i);
        };
        if (arg == QLatin1StringView("-h") || arg == QLatin1StringView("--help")) {
            options.command = Command::Help;
            return options;
        } else if (arg == QLatin1StringView("--filter")) {
            const auto v = value(arg);
            if (!v)
                return options;
            QString extension = *v;
            if (extension.startsWith(QLatin1Char('.')))
                extension.remove(0, 1);
            if (extension.isEmpty()) {
                options.error = QStringLiteral("--filter needs an extension.");
                return options;
            }
            options.filters.append(extension);
        } else if (arg == QLatin1StringView("--no-filters")) {
            options.noFilters = true;
        } else if (arg == QLatin1StringView("--exclude-js")) {
            options.excludeJs = true;
        } else if (arg == QLatin1StringView("--exclude-mailto")) {
            options.excludeMailto = true;
        } else if (arg == QLatin1StringView("--save")) {
            const auto v = value(arg);
            if (!v)
                return options;
            options.saveFile = *v;
        } else if (arg == QLatin1StringView("--timeout")) {
            const auto v = value(arg);
            if (!v)
                return options;
            bool ok = false;
            options.timeoutSeconds = v->toInt(&ok);
            options.timeoutGiven = true;
            if (!ok || options.timeoutSeconds <= 0 || options.timeoutSeconds > kMaxTimeoutSeconds) {
                options.error = QStringLiteral("--timeout needs a number of seconds from 1 to %1.")
                                    .arg(kMaxTimeoutSeconds);
                return options;
            }
        } else if (arg == QLatin1StringView("--from")) {
            const auto v = value(arg);
            if (!v)
                return options;
            options.fromFile = *v;
        } else if (arg == QLatin1StringView("--dedupe-all")) {
            options.dedupeAll = true;
        } else if (arg == QLatin1StringView("--jobs")) {
            const auto v = value(arg);
            if (!v)
                return options;
            bool ok = false;
            options.jobs = v->toInt(&ok);
            if (!ok || options.jobs < 1 || options.jobs > kMaxJobs) {
                options.error = QStringLiteral("--jobs needs a number from 1 to %1.").arg(kMaxJobs);
                return options;
            }
        } else if (arg == QLatin1StringView("--start")) {
            const auto v = value(arg);
            if (!v)
                return options;
            options.startText = *v;
        } else if (arg == QLatin1StringView("--end")) {
            const auto v = value(arg);
            if (!v)
                return options;
            options.endText = *v;
        } else if (arg == QLatin1StringView("--select")) {
            const auto v = value(arg);
            if (!v)
                return options;
            if (!parseSelection(*v, options.selectStart, options.selectLength)) {
                options.error = QStringLiteral("--select needs OFFSET:LENGTH, e.g. 23:2.");
                return options;
            }
        } else if (arg == QLatin1StringView("--dir")) {
            const auto v = value(arg);
            if (!v)
                return options;
            options.dir = *v;
        } else if (arg == QLatin1StringView("--exists")) {
            const auto v = value(arg);
            if (!v)
                return options;
            const QStringList policies { QStringLiteral("prompt"), QStringLiteral("overwrite"),
                QStringLiteral("skip"), QStringLiteral("unique") };
            options.exists = static_cast<int>(policies.indexOf(*v));
            if (options.exists < 0) {
                options.error = QStringLiteral("--exists needs prompt, overwrite, skip or unique.");
                return options;
            }
        } else if (arg == QLatin1StringView("--retries")) {
            const auto v = value(arg);
            if (!v)
                return options;
            bool ok = false;
            options.retries = v->toInt(&ok);
            if (!ok || options.retries < 0 || options.retries > 10) {
                options.error = QStringLiteral("--retries needs a number from 0 to 10.");
                return options;
            }
        } else if (arg.startsWith(QLatin1StringView("--"))) {
            options.error = QStringLiteral("Unknown option %1.").arg(arg);
            return options;
        } else {
            positional.append(arg);
        }
    }

    if (positional.isEmpty()) {
        options.error = QStringLiteral("No command given.");
        return options;
    }
    const QString command = positional.takeFirst();
    if (command == QLatin1StringView("harvest"))
        options.command = Command::Harvest;
    else if (command == QLatin1StringView("text"))
        options.command = Command::Text;
    else if (command == QLatin1StringView("file"))
        options.command = Command::File;
    else if (command == QLatin1StringView("sequence"))
        options.command = Command::Sequence;
    else if (command == QLatin1StringView("download"))
        options.command = Command::Download;
    else if (command == QLatin1StringView("help"))
        options.command = Command::Help;
    else {
        options.error = QStringLiteral("Unknown command %1.").arg(command);
        return options;
    }
    if (options.command == Command::Help)
        return options;

    if (options.command == Command::Download) {
        options.urls = positional;
        if (options.urls.isEmpty() && options.fromFile.isEmpty())
            options.error = QStringLiteral("download needs a URL or --from LISTFILE.");
        else if (options.dedupeAll)
            options.error = QStringLiteral("--dedupe-all is for harvest only.");
        return options;
    }
    if (options.command == Command::Harvest) {
        options.urls = positional;
        if (options.urls.isEmpty() && !options.fromFile.isEmpty())
            return options;
    } else if (!options.fromFile.isEmpty() || options.dedupeAll) {
        options.error = QStringLiteral(
            "--from is for harvest and download only; --dedupe-all for harvest only.");
        return options;
    }
    if (positional.size() > 1 && options.command != Command::Harvest) {
        options.error = QStringLiteral("Too many arguments.");
        return options;
    }
    options.argument = positional.value(0);
    if (options.command == Command::Text && options.argument.isEmpty())
        options.argument = QStringLiteral("-");
    if (options.argument.isEmpty()) {
        options.error = options.command == Command::File ? QStringLiteral("No FILE given.")
                                                         : QStringLiteral("No URL given.");
        return options;
    }
    if (options.command == Command::Sequence
        && (options.startText.isEmpty() || options.endText.isEmpty() || options.selectStart < 0)) {
        options.error
            = QStringLiteral("sequence needs --start N, --end M and --select OFFSET:LENGTH.");
        return options;
    }
    return options;
}

QString CliOptions::usage()
{
    return QStringLiteral(R"(Usage: quillmarch-cli COMMAND [OPTIONS]

Builds a link list without a window and prints it on standard output, one entry a
line. The list follows the same rules as the Quillmarch window, with your stored
file-type filters and exclusion preferences unless options override them.

Commands:
  harvest URL...     Load the page in a hidden browser (no display needed) and list
                     the links of the page and of all its frames, without duplicates.
                     With several URLs (or --from), the pages load a few at a time and
                     each page's links are printed in the order the pages were given.
  text [FILE|-]      Take the lines of a text (standard input when FILE is - or
                     missing) that begin like a link. Lines may end in LF, CR LF or
                     CR. Reading stops when the list is full.
  file FILE          Read a list file (one link a line).
                     Text that is not valid UTF-8 is read as Windows-1252; binary
                     data is refused.
  sequence URL --start N --end M --select OFFSET:LENGTH
                     Number a run of URLs: the LENGTH characters of URL from OFFSET
                     (characters counted from 0) are replaced by each number from N
                     to M, padded with zeros to the width of N as written (--start 001).
  download [URL...] [--from LISTFILE]
                     Save the target of each link (and of each line of LISTFILE, "-"
                     for standard input) into a folder, one after the other, with
                     the window's rules: the name after the link's last "/"
                     (index.html when it has no "."), a hidden partial file renamed into
                     place only when complete, failed transfers tried again.
                     Prints one line per saved file: its path, a tab and its size.
                     Ctrl-C stops (exit status 130); the partly received file is
                     kept hidden beside its record and the next download of the
                     same link into the folder resumes it.

Options:
  --filter EXT       Keep only links whose extension is EXT (repeatable; replaces the
                     stored filters and switches filtering on). harvest only.
  --no-filters       Do not apply file-type filters. harvest only.
  --exclude-js       Leave out "javascript:" links.
  --exclude-mailto   Leave out "mailto" links.
  --save FILE        Also write the list to FILE in Quillmarch's list format.
  --timeout SECONDS  harvest: give up a page that has not loaded completely after
                     SECONDS (default 120, at most 86400). download: give up a
                     transfer after SECONDS with no byte received (default 60;
                     connecting waits at most 30); a server sending under 100
                     bytes a second over a minute is tried again like a dropped one.
  --from LISTFILE    Also take the URLs of LISTFILE, one a line (- reads standard
                     input); blank lines are skipped. harvest and download.
  --dedupe-all       With several pages, print a link only the first time any page
                     gives it (each page drops its own duplicates anyway).
  --jobs N           Pages loaded at a time, 1 to 16 (default 4).
  --dir DIR          download: the destination folder (default: the current one).
  --exists POLICY    download: what to do when a file of the name exists: prompt
                     (ask on the terminal), overwrite, skip or unique (a numbered
                     name). Default: the "Overwrite Action" preference.
  --retries N        download: tries again after a transient failure, 0 to 10
                     (default: the "Retries" setting, 3).
  -h, --help         Show this text.

Messages go to standard error; with several pages each message begins with its
page's URL. Exit status: 0 success, 1 the list could not be built (navigation error,
not an HTML page, no links found or none left after the filters and exclusions,
bad file, save failed; with several pages: any page) or a download failed, 2 wrong
usage.
)");
}
