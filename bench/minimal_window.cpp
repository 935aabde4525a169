// A bare Qt Widgets window with a menu, a toolbar of eleven buttons drawn from the same
// SVG icons, a list and a status bar: the peer against which the program's start-up time
// and idle wake-ups are measured.
#include <QApplication>
#include <QListView>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QStringListModel>
#include <QToolBar>

#include "app/ui/FirstPaintProbe.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Minimal"));
    QStringListModel model;
    auto* list = new QListView(&window);
    list->setModel(&model);
    window.setCentralWidget(list);
    window.menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("&Exit"));
    QToolBar* toolbar = window.addToolBar(QStringLiteral("Toolbar"));
    for (const char* icon : { "insert-link", "edit-paste", "document-open", "view-list-ordered",
             "go-previous", "go-next", "view-reveal", "media-playback-start", "document-save",
             "view-restore", "help-browser" })
        toolbar->addAction(
            QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(icon))), QLatin1String(icon));
    window.statusBar()->showMessage(QStringLiteral("Ready"));
    window.resize(560, 420);
    FirstPaintProbe::attachIfRequested(&window);
    window.show();
    return app.exec();
}
