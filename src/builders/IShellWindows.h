#pragma once

#include <QList>
#include <QString>
#include <memory>

#include "builders/IHarvestBrowser.h"

// One open browser window of the program. A handle stays valid after its window closed;
// it then shows no address and collectEntries answers nullopt.
class IShellWindow
{
public:
    virtual ~IShellWindow() = default;
    virtual QString locationUrl() const = 0;
    // The window shows an HTML document (not an image, a PDF or nothing).
    virtual bool isHtmlDocument() const = 0;
    // The entries of the document the window shows, as IHarvestBrowser::collectEntries
    // gives them for the scope (the window is never scrolled: its user sees it).
    virtual void collectEntries(const HarvestScope& scope, IHarvestBrowser::EntriesHandler done)
        = 0;
};

// The program's open browser windows ("ShellWindows"), in the order they were opened.
class IShellWindows
{
public:
    virtual ~IShellWindows() = default;
    virtual QList<std::shared_ptr<IShellWindow>> windows() const = 0;
};
