// A bare Qt Widgets window with a list and a status bar: the peer against which the
// program's start-up time and idle wake-ups are measured.
#include <QApplication>
#include <QListView>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QStringListModel>

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
    window.statusBar()->showMessage(QStringLiteral("Ready"));
    window.resize(560, 420);
    FirstPaintProbe::attachIfRequested(&window);
    window.show();
    return app.exec();
}
