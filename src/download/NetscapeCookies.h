#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// Cookies in the Netscape cookies.txt format that curl and wget read and write: one
// cookie a line, seven fields separated by tabs (domain, subdomains TRUE/FALSE, path,
// secure TRUE/FALSE, expiry in seconds since 1970 with 0 for a session cookie, name,
// value); "#" starts a comment except in "#HttpOnly_" before the domain.
namespace NetscapeCookies
{

// The cookie lines of text, or nullopt with problem set (naming the line) when a line
// is not in the format or the text has neither a cookie nor the format's header line.
std::optional<QStringList> parse(const QByteArray& text, QString* problem);

// One cookie as a line. domain starting with "." applies to its subdomains too.
QString line(const QString& domain, const QString& path, bool secure, bool httpOnly, qint64 expiry,
    const QByteArray& name, const QByteArray& value);

// The value of the Cookie header a request for url carries: the cookies of lines whose
// domain (by CookieDomain's rules), path and secure flag admit it and that have not
// expired, "name=value" joined by "; ". Lines whose cookie could not stand in a header
// line are left out. Empty when none applies. Both the direct download (on every request
// of a redirect chain) and the aria2 hand-off send what this gives.
QString headerFor(const QStringList& lines, const QString& url);

// Why one of lines cannot be sent (a name that is not a token, a value with a line break
// or NUL), naming the cookie; empty when every one can.
QString sendProblem(const QStringList& lines);

} // namespace NetscapeCookies
