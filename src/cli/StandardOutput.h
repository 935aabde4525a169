#pragma once

#include <QByteArray>

// Standard output of quillmarch-cli, where a failed write ends the work. A reader that
// went away (EPIPE: `| head -1`) ends the process quietly by SIGPIPE, as the shell's own
// tools do; any other failure (a full disk, /dev/full) is said on standard error and
// ends it with the file system status.
class StandardOutput final
{
public:
    StandardOutput() = delete;

    static constexpr int kWriteFailedStatus = 3;

    // Writes text and flushes it; false once any write has failed (later writes are not
    // tried: the first failure is the one told).
    static bool write(const QByteArray& text);
    static bool failed();
    // Ends the process for the failed write, as described above.
    [[noreturn]] static void endForFailure();
};
