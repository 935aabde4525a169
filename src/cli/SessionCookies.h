#pragma once

#include <QList>
#include <QNetworkCookie>
#include <optional>

// The cookies --session sends: those of the window's browser profile, read from its
// folder. Says on standard error when there are none or some cannot be used; nullopt,
// with the reason printed, when the profile's cookies cannot be read.
namespace SessionCookies
{
std::optional<QList<QNetworkCookie>> read();
}
