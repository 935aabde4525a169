#include "platform/BrowserEngineLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#include "platform/GlobalShareContext.h"
#include "platform/IBrowserEngine.h"

namespace
{

IBrowserEngine* g_engine = nullptr;
const QString kModuleName = QStringLiteral("quillmarch-webengine.so");

} // namespace

QStringList BrowserEngineLoader::moduleCandidates(const QString& appDir)
{
    const QDir dir(appDir);
    return { dir.filePath(kModuleName), dir.filePath(QStringLiteral("../") + kModuleName),
        dir.filePath(QStringLiteral("../lib/quillmarch/") + kModuleName) };
}

IBrowserEngine* BrowserEngineLoader::loadedEngine()
{
    return g_engine;
}

Result<IBrowserEngine*> BrowserEngineLoader::engine()
{
    if (g_engine)
        return Result<IBrowserEngine*>::ok(g_engine);
    QStringList tried;
    for (const QString& candidate : moduleCandidates(QCoreApplication::applicationDirPath())) {
        const QString path = QFileInfo(candidate).absoluteFilePath();
        tried.append(path);
        if (!QFileInfo::exists(path))
            continue;
        // The engine draws through the share context and checks for it as it loads.
        ensureGlobalShareContext();
        // The module stays loaded for the rest of the process: pages and the engine's
        // threads live inside it.
        QLibrary library(path);
        library.setLoadHints(QLibrary::PreventUnloadHint);
        using EntryPoint = IBrowserEngine* (*)();
        auto entry = reinterpret_cast<EntryPoint>(library.resolve(kBrowserEngineEntryPoint));
        if (!entry)
            return Result<IBrowserEngine*>::failed(
                QStringLiteral("The browser engine module %1 could not be loaded: %2")
                    .arg(path, library.errorString()));
        g_engine = entry();
        return Result<IBrowserEngine*>::ok(g_engine);
    }
    return Result<IBrowserEngine*>::failed(
        QStringLiteral("The browser engine module was not found. Looked for: %1")
            .arg(tried.join(QStringLiteral(", "))));
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
