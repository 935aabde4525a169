#include "platform/BrowserEngineLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibrary>
#include <QOpenGLContext>

// Qt Gui's process-wide share context, which the browser engine draws through. Qt sets
// it up while the application starts when asked to; the program starts without it and
// sets it up here, just before the engine loads.
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

#include "platform/IBrowserEngine.h"

namespace
{

IBrowserEngine* g_engine = nullptr;
const QString kModuleName = QStringLiteral("quillmarch-webengine.so");

void ensureGlobalShareContext()
{
    if (qt_gl_global_share_context()
        || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    auto* context = new QOpenGLContext(QCoreApplication::instance());
    context->create(); // may fail without OpenGL; the engine then draws in software
    qt_gl_set_global_share_context(context);
}

// The engine warns when it is loaded after the application started; loading it late is
// deliberate here and the share context it asks for is in place, so that one warning
// is dropped while the module loads.
QtMessageHandler g_previousHandler = nullptr;
void dropLateLoadWarning(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (text.startsWith(QLatin1String("Qt WebEngine seems to be initialized from a plugin")))
        return;
    if (g_previousHandler)
        g_previousHandler(type, context, text);
}

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

IBrowserEngine* BrowserEngineLoader::engine(QString* error)
{
    if (g_engine)
        return g_engine;
    QStringList tried;
    for (const QString& candidate : moduleCandidates(QCoreApplication::applicationDirPath())) {
        const QString path = QFileInfo(candidate).absoluteFilePath();
        tried.append(path);
        if (!QFileInfo::exists(path))
            continue;
        // The module stays loaded for the rest of the process: pages and the engine's
        // threads live inside it.
        ensureGlobalShareContext();
        QLibrary library(path);
        library.setLoadHints(QLibrary::PreventUnloadHint);
        using EntryPoint = IBrowserEngine* (*)();
        g_previousHandler = qInstallMessageHandler(dropLateLoadWarning);
        auto entry = reinterpret_cast<EntryPoint>(library.resolve(kBrowserEngineEntryPoint));
        qInstallMessageHandler(g_previousHandler);
        if (!entry) {
            if (error)
                *error = QStringLiteral("The browser engine module %1 could not be loaded: %2")
                             .arg(path, library.errorString());
            return nullptr;
        }
        g_engine = entry();
        return g_engine;
    }
    if (error)
        *error = QStringLiteral("The browser engine module was not found. Looked for: %1")
                     .arg(tried.join(QStringLiteral(", ")));
    return nullptr;
}

QList<std::shared_ptr<IShellWindow>> LazyShellWindows::windows() const
{
    if (IBrowserEngine* engine = BrowserEngineLoader::loadedEngine())
        return engine->shellWindows().windows();
    return {};
}

IBrowserWindow* LazyBrowserWindows::createWindow()
{
    QString error;
    IBrowserEngine* loaded = BrowserEngineLoader::engine(&error);
    if (!loaded) {
        if (m_onError)
            m_onError(error);
        return nullptr;
    }
    return loaded->browserWindows().createWindow();
}

IBrowserWindow* LazyBrowserWindows::lastHtmlWindow()
{
    if (IBrowserEngine* loaded = BrowserEngineLoader::loadedEngine())
        return loaded->browserWindows().lastHtmlWindow();
    return nullptr;
}
