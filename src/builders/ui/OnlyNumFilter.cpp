#include "builders/ui/OnlyNumFilter.h"

#include <QKeyEvent>

#include "builders/SequenceBuilder.h"

OnlyNumFilter::OnlyNumFilter(QObject* parent)
    : QObject(parent)
{
}

bool OnlyNumFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return false;
    default:
        break;
    }
    const QString text = key->text();
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (SequenceBuilder::OnlyNum(c.unicode()) == 0)
            return true;
    }
    return false;
}
