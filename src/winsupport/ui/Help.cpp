#include "winsupport/ui/Help.h"

#include <QApplication>
#include <QMainWindow>
#include <QPointer>

#include "winsupport/ShellPaths.h"
#include "winsupport/ui/HelpViewer.h"

namespace
{

struct HelpTopic {
    int topic;
    const char* page;
};

// The topics the program's dialogs ask for, and where each lives in the help book.
constexpr HelpTopic kTopics[] = {
    { 0, "index.html" },
    { 6, "preferences.html#topic6" },
    { 17, "sequential.html#topic17" },
    { 19, "slideshow.html#topic19" },
};

QPointer<HelpViewer>& viewer()
{
    static QPointer<HelpViewer> open;
    return open;
}

} // namespace

QString helpTopicPage(int topic)
{
    for (const HelpTopic& entry : kTopics) {
        if (entry.topic == topic)
            return QString::fromLatin1(entry.page);
    }
    return QString::fromLatin1(kTopics[0].page);
}

HelpViewer* openHelpViewer()
{
    return viewer();
}

void showHelp(QWidget* owner, int topic)
{
    QPointer<HelpViewer>& open = viewer();
    if (!open) {
        const QString appDir = QCoreApplication::applicationDirPath();
        open = new HelpViewer(helpBookFolder(appDir), helpBookCandidates(appDir));
    }
    // The help belongs to the program's main window, the outermost owner of the asking
    // window, so it opens above that window even when it stays on top.
    QWidget* mainWindow = owner;
    while (mainWindow && mainWindow->parentWidget())
        mainWindow = mainWindow->parentWidget();
    if (auto* main = qobject_cast<QMainWindow*>(mainWindow); main && main != open)
        open->setOwner(main);
    // Asked from a modal dialog, the window must not be blocked by that dialog.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != open)
        open->stayUsableOver(modal);
    open->followOwnerBand();
    open->showPage(helpTopicPage(topic));
    if (open->isMinimized())
        open->showNormal();
    open->placeOnScreen(modal && modal != open ? modal : nullptr);
    open->show();
    open->raise();
    open->activateWindow();
}
