#pragma once

#include <QList>
#include <QNetworkCookie>
#include <memory>

#include "compose/Services.h"
#include "core/CertificateTrust.h"

// The command-line tool's services over the settings store: the same pieces as the
// window's, with the transfers linked into the tool (see CommandLineServices.cpp), and
// harvest browsers over a memory-only profile holding sessionCookies (with staticPages,
// pages that cannot change themselves are read by a parser). No typed URLs and
// no link receiver: the tool has no URL boxes and takes no links sent to a running
// window. trust: the certificates the transfers accept.
Services commandLineServices(std::shared_ptr<IRegistryStore> store,
    const CertificateTrust& trust = {}, const QList<QNetworkCookie>& sessionCookies = {},
    bool staticPages = false);
