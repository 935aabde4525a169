#include "platform/webengine/window/WebBrowserWindows.h"

#include <QWebEngineProfile>

#include "platform/webengine/BrowserProfile.h"
#include "platform/webengine/ShellWindowRegistry.h"
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
    return { WebBrowserWindow::browserProfile()->httpUserAgent(), BrowserProfile::sharedCookies() };
}
