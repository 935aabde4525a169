#pragma once

#include <QString>
#include <QStringList>

class IBrowserWindow;

// What the program's browser windows present to sites: their User-Agent and the
// cookies their profile holds, as Netscape cookies.txt lines. Downloads started in the
// main window send the same, so a site the user signed in to in a browser window gives
// them what it shows there.
struct BrowserSession {
    QString userAgent; // empty: none known
    QStringList cookies;
};

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
    // The windows' session as it is now, with the cookies stored by earlier runs.
    virtual BrowserSession session() { return {}; }
};
