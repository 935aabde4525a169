#include "app/ui/FirstPaintProbe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

void FirstPaintProbe::attachIfRequested(QWidget* window)
{
    if (!qEnvironmentVariableIsSet("QUILLMARCH_EXIT_WHEN_SHOWN"))
        return;
    window->installEventFilter(new FirstPaintProbe(window));
}

bool FirstPaintProbe::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint) {
        watched->removeEventFilter(this);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
    return false;
}
