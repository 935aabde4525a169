#include "app/ui/TopmostBand.h"

#include <QWidget>
#include <QWindow>

TopmostBand::TopmostBand(QWidget& window)
    : QObject(&window)
    , m_window(window)
{
}

void TopmostBand::apply(bool topmost)
{
    if (topmost == m_topmost)
        return;
    m_topmost = topmost;
    emit changed(topmost);
    if (QWindow* w = m_window.windowHandle())
        w->setFlag(Qt::WindowStaysOnTopHint, topmost);
    else
        m_window.setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
}

void TopmostBand::restore(bool preferred)
{
    if (!m_held)
        apply(preferred);
}
