#pragma once

#include <QString>
#include <memory>

#include "core/StatusKind.h"

class CProgressBarEx;
class ProgressPanel;
class QLabel;
class QStatusBar;

// The main window's status bar ("sbStatusBar"): the status panel ("pnlStatus") and the
// count panel ("pnlProgress"), which draws the progress bar while a value is shown.
class MainStatusBar final
{
public:
    explicit MainStatusBar(QStatusBar* bar);
    ~MainStatusBar();

    // The status property: the text the program reports and what it reports; the panel
    // shows the text unless a toolbar tooltip covers it for a moment.
    QString status() const { return m_status; }
    StatusKind statusKind() const { return m_kind; }
    void setStatus(StatusKind kind, const QString& text);
    void showHover(const QString& text);
    QString panelText() const;

    int progress() const { return m_value; }
    int progressMax() const { return m_max; }
    void setProgress(int max, int value);

    QString countText() const;
    void setCountText(const QString& text);

private:
    QLabel* m_pnlStatus = nullptr;
    ProgressPanel* m_pnlProgress = nullptr;
    std::unique_ptr<CProgressBarEx> m_pbar;
    QString m_status;
    StatusKind m_kind = StatusKind::Idle;
    int m_value = 0;
    int m_max = 100;
};
