#pragma once

#include <QStringList>

#include "core/IMainView.h"

// An IMainView that keeps the last value of everything the logic set.
class RecordingMainView final : public IMainView
{
public:
    QString status;
    StatusKind kind = StatusKind::Idle;
    QString countText = QStringLiteral("(untouched)");
    int progressMax = -1;
    int progressValue = -1;
    int extentUpdates = 0;
    bool windowEnabled = true;
    bool waitPointer = false;
    bool arrowHourglass = false; // the busy pointer shown is the arrow with an hourglass
    QStringList statusLog;

    void setStatus(StatusKind k, const QString& text) override
    {
        kind = k;
        status = text;
        statusLog.append(text);
    }
    QString Status() const override { return status; }
    StatusKind statusKind() const override { return kind; }
    QString idleStatusText() const override { return QStringLiteral("Idle"); }
    void setProgress(int max, int value) override
    {
        progressMax = max;
        progressValue = value;
    }
    void setCountText(const QString& text) override { countText = text; }
    void SetListExtent() override { ++extentUpdates; }
    void setWindowEnabled(bool enabled) override { windowEnabled = enabled; }
    void setWaitPointer(bool wait) override
    {
        waitPointer = wait;
        arrowHourglass = false;
    }
    void setBusyPointer() override
    {
        waitPointer = true;
        arrowHourglass = true;
    }

    // Idle as every end path leaves the window.
    bool isIdle() const
    {
        return windowEnabled && !waitPointer && status == idleStatusText() && progressValue == 0;
    }
};
