// Entry point of the browser engine module (Qt WebEngine).
#include <QtGlobal>

#include "platform/IBrowserEngine.h"
#include "platform/staticpage/StaticFirstHarvestBrowser.h"
#include "platform/webengine/BrowserProfile.h"
#include "platform/webengine/HarvestCertificates.h"
#include "platform/webengine/ShellWindowRegistry.h"
#include "platform/webengine/WebEngineHarvestBrowser.h"
#include "platform/webengine/window/WebBrowserWindows.h"

namespace
{

class WebEngineBrowserEngine final : public IBrowserEngine
{
public:
    std::unique_ptr<IHarvestBrowser> createHarvestBrowser() override
    {
        // The windows' sign-ins hold for the parser's fetch too: it sends their cookies.
        return std::make_unique<StaticFirstHarvestBrowser>(
            [] { return std::make_unique<WebEngineHarvestBrowser>(BrowserProfile::shared()); },
            StaticFirstHarvestBrowser::engineUserAgent(), QString(),
            BrowserProfile::sharedCookieList());
    }
    std::unique_ptr<IHarvestBrowser> createDetachedHarvestBrowser(
        const QList<QNetworkCookie>& cookies) override
    {
        if (!m_seeded) {
            m_seeded = true;
            if (!cookies.isEmpty())
                BrowserProfile::seedDetached(cookies);
        }
        return std::make_unique<WebEngineHarvestBrowser>(BrowserProfile::detached());
    }
    IShellWindows& shellWindows() override { return ShellWindowRegistry::instance(); }
    IBrowserWindows& browserWindows() override { return m_windows; }
    void setCertificateTrust(const CertificateTrust& trust) override
    {
        HarvestCertificates::setTrust(trust);
    }

private:
    WebBrowserWindows m_windows;
    bool m_seeded = false;
};

} // namespace

extern "C" Q_DECL_EXPORT IBrowserEngine* quillmarch_browser_engine()
{
    static WebEngineBrowserEngine engine;
    return &engine;
}
