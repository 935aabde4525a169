// Entry point of the browser engine module (Qt WebEngine).
#include <QtGlobal>

#include "platform/IBrowserEngine.h"
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
        return std::make_unique<WebEngineHarvestBrowser>();
    }
    IShellWindows& shellWindows() override { return ShellWindowRegistry::instance(); }
    IBrowserWindows& browserWindows() override { return m_windows; }
    void setCertificateTrust(const CertificateTrust& trust) override
    {
        HarvestCertificates::setTrust(trust);
    }

private:
    WebBrowserWindows m_windows;
};

} // namespace

extern "C" Q_DECL_EXPORT IBrowserEngine* quillmarch_browser_engine()
{
    static WebEngineBrowserEngine engine;
    return &engine;
}
