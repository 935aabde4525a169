#pragma once

#include <QStringList>
#include <string>
#include <vector>

// Cookies a server sets while a transfer follows its redirects.
namespace ServerCookies
{

// The cookies of a response's Set-Cookie values as Netscape cookies.txt lines, each kept
// only where RFC 6265 lets the address that answered (url) set it: no Domain makes it
// its host's alone; a Domain must be that host or a parent of it that is not a public
// suffix, and an address host takes no Domain but itself. A cookie already expired, or
// whose name or value could not stand in a header line, is dropped.
QStringList lines(const std::vector<std::string>& setCookies, const QString& url);

} // namespace ServerCookies
