#pragma once

class IBrowserWindow;

// Creates the program's browser windows and finds one to reuse ("ShellWindows").
class IBrowserWindows
{
public:
    virtual ~IBrowserWindows() = default;
    // A new window, hidden until it is shown; null when no browser can be started.
    virtual IBrowserWindow* createWindow() = 0;
    // The most recently opened of the program's windows that shows an HTML document,
    // or null.
    virtual IBrowserWindow* lastHtmlWindow() = 0;
};
