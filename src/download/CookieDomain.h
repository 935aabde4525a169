#pragma once

#include <QString>

// Which hosts a cookie may go to, by the domain rules of RFC 6265: a host-only cookie
// goes to its own host; a domain cookie to its domain and the names below it, unless
// that domain is a public suffix (such as "com" or "co.uk"), which would hand it to
// every site under it; an address (IPv4 or IPv6) matches only itself. The public
// suffixes come from the system's list (libpsl); without a list every cookie is taken
// as host-only.
namespace CookieDomain
{

// Whether a cookie written for domain (a leading "." or subdomains set: a domain cookie)
// may be sent to host. Case is ignored; host may be in brackets (an IPv6 address).
bool admits(const QString& domain, bool subdomains, const QString& host);

} // namespace CookieDomain
