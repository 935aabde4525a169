#include "cli/CliOptionTable.h"

#include <string_view>

#include "cli/CliOptionReaders.h"

namespace
{

using namespace CliOptionReaders;

constexpr unsigned kListCommands = kCliHarvest | kCliText | kCliFile;
constexpr unsigned kEveryCommand = kListCommands | kCliSequence | kCliDownload;
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
