#pragma once

#include "viewer/IBrowserWindows.h"

// Opens WebBrowserWindows and finds the last one that shows an HTML page, through the
// process's ShellWindowRegistry.
class WebBrowserWindows final : public IBrowserWindows
{
public:
    IBrowserWindow* createWindow() override;
    IBrowserWindow* lastHtmlWindow() override;
    BrowserSession session() override;
};
