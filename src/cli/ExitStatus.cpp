#include "cli/ExitStatus.h"

int ExitStatus::of(FailureKind kind)
{
    switch (kind) {
    case FailureKind::FileSystem:
        return kFileSystem;
    case FailureKind::Network:
        return kNetwork;
    case FailureKind::Tls:
        return kTls;
    case FailureKind::Authentication:
        return kAuthentication;
    case FailureKind::Server:
        return kServer;
    case FailureKind::Other:
        break;
    }
    return kGeneric;
}

void ExitStatus::add(int status)
{
    if (status != kOk && (m_status == kOk || status < m_status))
        m_status = status;
}
