#include "cli/SessionCookies.h"

#include "cli/ConsoleText.h"
#include "platform/ProfileCookieReader.h"

namespace SessionCookies
{

std::optional<QList<QNetworkCookie>> read()
{
    const Result<ProfileCookieReader::Cookies> stored = ProfileCookieReader::readProfile();
    if (!stored) {
        ConsoleText::printError(QStringLiteral("Error: --session %1.").arg(stored.message()));
        return std::nullopt;
    }
    if (stored.value().encrypted > 0)
        ConsoleText::printError(
            QStringLiteral("Warning: --session leaves out %1 cookies whose values the profile "
                           "keeps encrypted.")
                .arg(stored.value().encrypted));
    if (stored.value().cookies.isEmpty())
        ConsoleText::printError(
            QStringLiteral("Warning: --session found no cookies in the browser profile (a "
                           "window writes them within about half a minute and when it closes)."));
    return stored.value().cookies;
}

} // namespace SessionCookies
