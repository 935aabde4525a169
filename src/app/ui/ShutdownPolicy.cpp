#include "app/ui/ShutdownPolicy.h"

#include <QApplication>
#include <QWidget>

#include "core/IUserPrompt.h"
#include "core/WindowState.h"
#include "viewer/IBrowserWindow.h"
#include "viewer/LinkViewer.h"

QList<QObject*> ShutdownPolicy::askAboutBrowserWindows(
    const WindowState& window, LinkViewer& viewer, IUserPrompt& prompt)
{
    QList<QObject*> keep;
    if (window.openedone) {
        const PromptAnswer answer
            = prompt.message(PromptIcon::Question, QStringLiteral("Close Browser Window?"),
                QStringLiteral("Quillmarch openend a web browser window while it was "
                               "running and it is still open. Do you wish to close it "
                               "as well?"),
                PromptButtons::YesNo);
        if (answer == PromptAnswer::Yes) {
            viewer.quitWindows();
        } else {
            for (IBrowserWindow* browser : { viewer.WebBrowser1(), viewer.webbrowser3() }) {
                if (browser)
                    keep.append(browser->parent());
            }
        }
    }
    return keep;
}

void ShutdownPolicy::closeOthers(QWidget& mainWindow, const QList<QObject*>& keep)
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != &mainWindow && w->isVisible() && !keep.contains(w))
            w->close();
    }
}
