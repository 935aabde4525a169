#pragma once

#include <QObject>

class QWidget;

// Keeps a window in the band of windows that stay on top, as the preference asks,
// and takes it out of the band while a dialog of its own is open so the dialog is not
// hidden behind it. A change of band is applied only when the band really changes,
// so there is no flicker.
class TopmostBand final : public QObject
{
    Q_OBJECT
public:
    explicit TopmostBand(QWidget& window);

    bool topmost() const { return m_topmost; }
    void apply(bool topmost);
    // Returning to the preferred band waits while held (a dialog that changes the
    // preference applies the new band itself once it has closed).
    void setHeld(bool held) { m_held = held; }
    void restore(bool preferred);

signals:
    void changed(bool topmost);

private:
    QWidget& m_window;
    bool m_topmost = false;
    bool m_held = false;
};
