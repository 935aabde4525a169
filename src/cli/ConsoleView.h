#pragma once

#include "core/IMainView.h"

// The main window's status bar and busy state have no counterpart on a console.
class ConsoleView final : public IMainView
{
public:
    void setStatus(StatusKind, const QString&) override { }
    QString Status() const override { return idleStatusText(); }
    StatusKind statusKind() const override { return StatusKind::Idle; }
    QString idleStatusText() const override { return QStringLiteral("Ready"); }
    void setProgress(int, int) override { }
    void setCountText(const QString&) override { }
    void SetListExtent() override { }
    void setWindowEnabled(bool) override { }
    void setWaitPointer(bool) override { }
    void setBusyPointer() override { }
};
