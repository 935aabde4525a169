#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QString>
#include <QStringList>

#include "core/Result.h"

// Reads the cookies the browser windows' profile keeps on disk: the engine's SQLite
// "Cookies" database in the profile folder (ProfileFolders::cookieDatabase). The file is
// only ever read, never locked for writing, so a running window is not disturbed; a
// window writes what it learned about half a minute later, and at its end.
//
// The engine stores values in plain text; a value it stored encrypted (a profile made by
// an engine set up to encrypt) cannot be read and is left out, as are expired cookies and
// cookies kept for one embedding site only (partitioned), which are not the site's own.
class ProfileCookieReader final
{
public:
    struct Cookies {
        QList<QNetworkCookie> cookies;
        int encrypted = 0; // left out: their values are encrypted
    };

    // The cookies of the database at path: none when there is no such file (no window
    // ever ran), failed with the reason when the file cannot be read as a cookie database.
    static Result<Cookies> read(const QString& path);
    // The cookies of the browser windows' profile.
    static Result<Cookies> readProfile();

    // Each cookie as a Netscape cookies.txt line (a domain cookie's domain starts with
    // "."); expired ones and ones without a domain or name left out.
    static QStringList netscapeLines(const QList<QNetworkCookie>& cookies);
};
