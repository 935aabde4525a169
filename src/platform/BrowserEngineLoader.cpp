#include "platform/BrowserEngineLoader.h"

#include "platform/GlobalShareContext.h"
#include "platform/IBrowserEngine.h"
#include "platform/ProfileCookieReader.h"
#include "platform/RuntimeModule.h"

namespace
{

IBrowserEngine* g_engine = nullptr;

} // namespace

IBrowserEngine* BrowserEngineLoader::loadedEngine()
{
    return g_engine;
}

Result<IBrowserEngine*> BrowserEngineLoader::engine()
{
    if (g_engine)
        return Result<IBrowserEngine*>::ok(g_engine);
    // The engine draws through the share context and checks for it as it loads.
    ensureGlobalShareContext();
    const Result<IBrowserEngine*> loaded
        = RuntimeModule::object<IBrowserEngine>(QStringLiteral("quillmarch-webengine.so"),
            kBrowserEngineEntryPoint, QStringLiteral("The browser engine module"));
    if (loaded)
        g_engine = loaded.value();
    return loaded;
}

QList<std::shared_ptr<IShellWindow>> LazyShellWindows::windows() const
{
    if (IBrowserEngine* engine = BrowserEngineLoader::loadedEngine())
        return engine->shellWindows().windows();
    return {};
}

IBrowserWindow* LazyBrowserWindows::createWindow()
{
    const Result<IBrowserEngine*> loaded = BrowserEngineLoader::engine();
    if (!loaded.isOk()) {
        if (m_onError)
            m_onError(loaded.message());
        return nullptr;
    }
    return loaded.value()->browserWindows().createWindow();
}

IBrowserWindow* LazyBrowserWindows::lastHtmlWindow()
{
    if (IBrowserEngine* loaded = BrowserEngineLoader::loadedEngine())
        return loaded->browserWindows().lastHtmlWindow();
    return nullptr;
}

BrowserSession LazyBrowserWindows::session()
{
    if (IBrowserEngine* loaded = BrowserEngineLoader::loadedEngine())
        return loaded->browserWindows().session();
    // No window yet in this run: the cookies of earlier runs, from the profile's file.
    const Result<ProfileCookieReader::Cookies> stored = ProfileCookieReader::readProfile();
    if (!stored) {
        qWarning("%s", qPrintable(stored.message()));
        return {};
    }
    return { QString(), ProfileCookieReader::netscapeLines(stored.value().cookies) };
}
