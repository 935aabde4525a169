#include "cli/CliCommandTable.h"

namespace
{

using Command = CliOptions::Command;

constexpr CliCommandRow kCommands[] = {
    { "harvest", Command::Harvest, kCliHarvest, "URL...", "[OPTIONS] URL...",
        "List the links of web pages, loaded in a hidden browser.",
        R"(Load each page in a hidden browser (no display needed) and list the links of the
page and of all its frames, without duplicates (with --media its images, video,
audio, CSS backgrounds and embedded objects instead; with --all both). With several URLs (or --from), the
pages load a few at a time and each page's links are printed in the order the pages
were given; each message then names its page's URL. A URL may also be a page on
this machine (a file: URL or a path): its web links are listed, its links to local
files are not. With --depth, --next or --continue, the links of the one page given are
followed to further pages of its site, breadth first: every page's entries are listed,
each once, and a summary line with each failed page ends the run on standard error.
)",
        R"(A failed page names its cause (host not found, connection refused, certificate
not trusted, the server's answer such as "401 Unauthorized"). A page that reaches
--timeout gives the links found so far, with a warning. Ctrl-C stops.

Exit status: 0 listed, 1 the list could not be built (not an HTML page, no links
found or none left after the filters and exclusions, a page that reached --timeout)
or not saved, 2 wrong usage, 3 standard output could not be written, 4 network
failure (host not found, connection refused, no answer in time), 5 TLS failure
(certificate not trusted), 6 authentication wanted (401, 407), 8 the server
answered with another error, 130 interrupted. With several pages failing in
different ways, the lowest of these numbers (other than 0) is the status.
)" },
    { "text", Command::Text, kCliText, "[FILE|-]", "[OPTIONS] [FILE|-]",
        "List the lines of a text that begin like a link.",
        R"(Take the lines of a text (standard input when FILE is - or missing) that begin like
a link. Lines may end in LF, CR LF or CR.
)",
        R"(Exit status: 0 listed, 1 no links, unreadable or binary input, or not saved,
2 wrong usage, 3 standard output could not be written.
)" },
    { "file", Command::File, kCliFile, "FILE|-", "[OPTIONS] FILE|-",
        "Read a list file (one link a line).",
        R"(Read a list file (one link a line; standard input when FILE is -). Text that is
not valid UTF-8 is read as Windows-1252; binary data is refused.
)",
        R"(Exit status: 0 listed, 1 bad or unreadable file, no links, or not saved, 2 wrong
usage, 3 standard output could not be written.
)" },
    { "sequence", Command::Sequence, kCliSequence, "URL",
        "URL --start N --end M --select OFFSET:LENGTH", "Number a run of URLs.",
        R"(Number a run of URLs: the LENGTH characters of URL from OFFSET (characters counted
from 0) are replaced by each number from N to M (counting down when N is greater),
padded with zeros to the width of N as written (--start 001).
)",
        R"(Exit status: 0 listed, 1 the numbers or the selection do not fit, or not saved,
2 wrong usage, 3 standard output could not be written.
)" },
    { "download", Command::Download, kCliDownload, "[URL...]", "[OPTIONS] [URL...]",
        "Save the target of each link into a folder.",
        R"(Save the target of each link (and of each line of --from LISTFILE) into a folder,
several at once, with the window's rules: the name after the last "/" of the
link's path, without its query or fragment and with %-escapes of UTF-8 decoded
(index.html when it has no "."), a hidden partial file renamed into place only
when complete, failed transfers tried again. Prints one line per saved file: its
path, a tab and its size, and at the end how many were saved, skipped and failed
on standard error. Ctrl-C stops (exit status 130); the partly received file
is kept hidden beside its record, and the next download of the same link into the
folder resumes it.
)",
        R"(A link whose name promises a file that is not text (an archive, picture, sound,
video, PDF, program and the like) but gets a web page back (a sign-in page, say)
fails; nothing is saved under the file's name. Only http, https, ftp and ftps
links are fetched.

Of the stored preferences it follows exactly these, each replaced by its option
when given: "Overwrite Action" (--exists; "ask" without a terminal skips the
file), "Retries" (--retries), "File Name Mask" (--name), "Use Server Names"
(--content-disposition) and "Rate Limit" (--limit-rate).

On a terminal the progress is redrawn in place on standard error: a line per
running transfer and a total line; to a file or pipe, a total line every 5 s.

Exit status: 0 every file saved (or skipped), 1 a download
failed otherwise, 2 wrong usage, 3 a file (or standard output) could not be
written, 4 network failure (host not found, connection refused, no answer in
time), 5 TLS failure (certificate not trusted), 6 authentication wanted (401,
407), 8 the server answered with another error (404, 500, ...), 130 interrupted.
When links fail in different ways, the lowest of these numbers (other than 0) is
the status.
)" },
};

} // namespace

std::span<const CliCommandRow> CliCommandTable::rows()
{
    return kCommands;
}

const CliCommandRow* CliCommandTable::find(QStringView name)
{
    for (const CliCommandRow& command : kCommands) {
        if (name == QLatin1StringView(command.name))
            return &command;
    }
    return nullptr;
}
