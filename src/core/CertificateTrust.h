#pragma once

#include <QString>

// Which server certificates the process accepts, for its transfers and its harvest pages
// alike: those a certificate authority of caFile (PEM) signed instead of the system's
// (empty: the system's), or any at all when insecure.
struct CertificateTrust {
    QString caFile;
    bool insecure = false;
};
