#pragma once

#include <QList>

class IUserPrompt;
class LinkViewer;
class QObject;
class QWidget;
struct WindowState;

// What closing the main window does to the program's other windows. Leaving asks
// whether the browser windows the program opened close too. They belong to this
// process: "No" keeps them open, and the program ends when the last of them is closed.
// Every other window of the program closes with the main window.
class ShutdownPolicy final
{
public:
    ShutdownPolicy() = delete;

    // Asks about the browser windows when one was opened; the windows to keep open.
    static QList<QObject*> askAboutBrowserWindows(
        const WindowState& window, LinkViewer& viewer, IUserPrompt& prompt);
    // Closes every visible top-level window but the main window and those kept.
    static void closeOthers(QWidget& mainWindow, const QList<QObject*>& keep);
};
