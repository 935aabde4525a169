#pragma once

#include <QString>
#include <memory>

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

    // The status property: the text the program reports; the panel shows it unless a
    // toolbar tooltip covers it for a moment.
    QString status() const { return m_status; }
    void setStatus(const QString& text);
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
    int m_value = 0;
    int m_max = 100;
};
