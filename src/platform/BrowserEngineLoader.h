#pragma once

#include <QString>

#include <functional>

#include "builders/IShellWindows.h"
#include "core/Result.h"
#include "viewer/IBrowserWindows.h"

class IBrowserEngine;

// Loads the browser engine module on first use and keeps it for the process's life.
class BrowserEngineLoader final
{
public:
    BrowserEngineLoader() = delete;

    // The engine, loading it when needed; failed with a clear message when the module is
    // missing or unusable.
    static Result<IBrowserEngine*> engine();
    // The engine when it was loaded already, without loading it.
    static IBrowserEngine* loadedEngine();
};

// The program's open browser windows. Until the engine is loaded the program has none,
// so asking does not load it.
class LazyShellWindows final : public IShellWindows
{
public:
    QList<std::shared_ptr<IShellWindow>> windows() const override;
};

// The program's browser windows, loading the engine with the first one. When the engine
// cannot be loaded, onError gets the reason and no window is made. Before the engine is
// loaded, the session's cookies are read from the profile's file (ProfileCookieReader).
class LazyBrowserWindows final : public IBrowserWindows
{
public:
    explicit LazyBrowserWindows(std::function<void(const QString&)> onError)
        : m_onError(std::move(onError))
    {
    }
    IBrowserWindow* createWindow() override;
    IBrowserWindow* lastHtmlWindow() override;
    BrowserSession session() override;

private:
    std::function<void(const QString&)> m_onError;
};
