#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "core/HarvestScope.h"
#include "core/OverwriteAction.h"
#include "crawl/CrawlOptions.h"
#include "listops/EntryFormat.h"
#include "pictures/PictureCriteria.h"

// The command line of quillmarch-cli, parsed. Parsing never exits: a mistake leaves
// error set, and the caller prints it with usageHint().
struct CliOptions {
    enum class Command { None, Help, Version, Harvest, Text, File, Sequence, Download };

    Command command = Command::None;
    // The command's name as typed ("download"); for Help, the command whose help is asked
    // (empty: the overview).
    QString commandName;
    QString argument; // URL, FILE or "-" (standard input) depending on the command
    QStringList
        urls; // harvest, download: every URL given, in order (harvest: argument is the first)
    QString fromFile; // --from LISTFILE: more URLs, one a line ("-": standard input)
    bool dedupeAll = false; // --dedupe-all: one list across the pages of a harvest
    HarvestScope harvest; // --media, --all: what a page gives; --scroll
    int jobs = 4; // --jobs N: pages harvested, or links downloaded, at a time
    bool session = false; // --session: the cookies of the window's browser profile
    bool engineOnly = false; // --engine: every page loads in the browser engine
    // --min-width N, --min-height N, --min-size SIZE, --type LIST: the media kept, by
    // what measuring them finds (only these bounds of the criteria are set).
    PictureCriteria mediaBounds;
    bool measure = false; // --measure or any bound: the media are measured after the harvest

    QStringList filters; // --filter EXT, repeatable: replaces the stored filter set
    bool noFilters = false; // --no-filters
    bool excludeJs = false; // --exclude-js
    bool excludeMailto = false; // --exclude-mailto
    QString saveFile; // --save FILE
    QStringList matchPatterns; // --match PATTERN, repeatable: keep entries matching any
    QStringList rejectPatterns; // --reject PATTERN, repeatable: drop entries matching any
    EntryFormat format = EntryFormat::Plain; // --format plain|jsonl|csv: what is printed
    // --timeout SECONDS: harvest, a page's whole load; download, the longest wait for a
    // byte. At most a day, so its milliseconds fit a timer. timeoutGiven tells a value
    // typed from the default, which differs between the two.
    static constexpr int kMaxTimeoutSeconds = 86400;
    int timeoutSeconds = 120;
    bool timeoutGiven = false;
    // --settle MS: harvest, the wait after the load event for links a script adds later.
    static constexpr int kMaxSettleMs = 60000;
    int settleMs = 0;
    // harvest of a site: --depth, --scope, --follow, --next, --max-pages, --max-time,
    // --ignore-robots, --per-host (crawl.perHost; download's perHost is below)
    CrawlOptions crawl;
    bool crawlContinue = false; // --continue: the kept state of the same site harvest

    // sequence
    QString startText;
    QString endText;
    int selectStart = -1;
    int selectLength = -1;

    // download (with urls and fromFile above)
    QString dir; // --dir DIR, the current folder when empty
    std::optional<OverwriteAction> exists; // --exists; none: the stored preference
    int retries = -1; // --retries N; -1 stored
    QString aria2Url; // --aria2 URL: an aria2 daemon's JSON-RPC address makes the transfers
    // that daemon's --rpc-secret: --aria2-secret TOKEN, the first line of
    // --aria2-secret-file FILE, or $QUILLMARCH_ARIA2_SECRET
    QString aria2Secret;
    QStringList cookies; // --cookies FILE: its cookie lines (Netscape format)
    QString referer; // --referer URL
    QStringList headers; // --header "Name: value", repeatable
    QString userAgent; // --user-agent TEXT; empty: "Quillmarch/VERSION"
    bool contentDisposition = false; // --content-disposition: the server's names
    bool portableNames = false; // --portable-names: names other systems accept
    QString nameMask; // --name MASK; empty: the link's own name
    int perHost = 4; // --per-host M: of the links downloaded at a time, at most M per host
    qint64 rateLimit = 0; // --limit-rate RATE in bytes a second, shared; 0 none
    bool jsonLines = false; // --format jsonl: one JSON object per link on standard output
    bool quiet = false; // -q, --quiet: errors only on standard error
    bool verbose = false; // -v, --verbose: every request and response head too
    QString output; // -O, --output FILE: the one link's file ("-": standard output)
    QString caFile; // --ca-certificate FILE; empty: $SSL_CERT_FILE, else the system's
    bool insecure = false; // --insecure: certificates are not checked
    bool timestamping = false; // --timestamping: an unchanged file is not fetched again
    QString user; // --user USER
    // --password-file FILE: its first line; without it, asked on a terminal, else ~/.netrc
    std::optional<QString> password;
    bool noConfig = false; // --no-config (or QUILLMARCH_NO_CONFIG=1): stored settings unread

    // The options given, by their long names, in order.
    QStringList given;

    QString error;

    // Several pages in one harvest: more than one URL, or a list file.
    bool manyPages() const { return urls.size() > 1 || !fromFile.isEmpty(); }
    // A site harvest: pages beyond the one given are followed.
    bool crawls() const { return crawl.depth > 0 || crawl.nextPages || crawlContinue; }

    static CliOptions parse(const QStringList& arguments);
    // The overview (empty command) or one command's help; empty for an unknown command.
    static QString help(const QString& command = QString());
    // The hint printed under a usage error: where the help of the command (or the
    // overview, when no command was recognised) is.
    QString usageHint() const;
    static QString versionText();
};
