#include "builders/ui/SelectionKeepingLineEdit.h"

#include <QFocusEvent>
#include <QPalette>

SelectionKeepingLineEdit::SelectionKeepingLineEdit(QWidget* parent)
    : QLineEdit(parent)
{
    // Draw the selection of the unfocused edit in the focused colours, so the part
    // chosen to count stays plain to see while the numbers are picked.
    QPalette p = palette();
    p.setColor(
        QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText,
        p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);
}

void SelectionKeepingLineEdit::focusOutEvent(QFocusEvent* event)
{
    const int start = selectionStart();
    const int length = selectionLength();
    QLineEdit::focusOutEvent(event);
    if (start >= 0 && length > 0)
        setSelection(start, length);
    // Switching to another window or opening a popup is not leaving the box.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        emit focusLost();
}
