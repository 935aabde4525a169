#pragma once

#include <QObject>

class QWidget;

// For start-up measurements: when QUILLMARCH_EXIT_WHEN_SHOWN is set, quits the
// application as soon as the window has painted for the first time, so a benchmark can
// time launch-to-first-paint as a whole process run.
class FirstPaintProbe final : public QObject
{
public:
    static void attachIfRequested(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};
