#include "platform/webengine/window/WebBrowserWindows.h"

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
