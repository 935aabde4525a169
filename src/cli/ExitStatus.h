#pragma once

#include "core/FailureKind.h"

// The exit status of quillmarch-cli, by the kind of what went wrong (the numbers wget
// uses where it has one). When several kinds occur, the lowest non-zero status wins, as
// in wget: a generic failure outranks a network one, a network one a server error.
class ExitStatus final
{
public:
    static constexpr int kOk = 0;
    static constexpr int kGeneric = 1;
    static constexpr int kUsage = 2;
    static constexpr int kFileSystem = 3;
    static constexpr int kNetwork = 4;
    static constexpr int kTls = 5;
    static constexpr int kAuthentication = 6;
    static constexpr int kServer = 8;
    static constexpr int kInterrupted = 130;

    static int of(FailureKind kind);

    // Takes one more outcome's status into account (0 changes nothing).
    void add(int status);
    void addFailure(FailureKind kind) { add(of(kind)); }
    int value() const { return m_status; }

private:
    int m_status = kOk;
};
