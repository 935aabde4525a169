#include "platform/webengine/window/WebBrowserWindows.h"

#include <QWebEngineProfile>

#include "platform/webengine/ShellWindowRegistry.h"
#include "platform/webengine/window/BrowserCookieMirror.h"
#include "platform/webengine/window/BrowserWindowHandle.h"
#include "platform/webengine/window/WebBrowserWindow.h"

IBrowserWindow* WebBrowserWindows::createWindow()
{
    return (new WebBrowserWindow)->handle();
}

IBrowserWindow* WebBrowserWindows::lastHtmlWindow()
{
    WebBrowserWindow* window
        = WebBrowserWindow::forPage(ShellWindowRegistry::instance().lastHtmlPage());
    return window ? window->handle() : nullptr;
}

BrowserSession WebBrowserWindows::session()
{
    QWebEngineProfile* profile = WebBrowserWindow::browserProfile();
    const auto* mirror = profile->findChild<BrowserCookieMirror*>();
    return { profile->httpUserAgent(), mirror ? mirror->netscapeLines() : QStringList() };
}
