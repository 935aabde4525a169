#pragma once

#include <QPointer>

#include "viewer/IBrowserWindow.h"

class WebBrowserWindow;

// A WebBrowserWindow as the link viewer and the tour drive it. It is a child of its
// window and goes with it.
class BrowserWindowHandle final : public IBrowserWindow
{
    Q_OBJECT
public:
    explicit BrowserWindowHandle(WebBrowserWindow* window);

    void Navigate(const QString& url) override;
    bool Visible() const override;
    void setVisible(bool visible) override;
    void showNoActivate() override;
    void bringToFront(bool activate) override;
    void showMaximizedActive() override;
    bool Busy() const override;
    void Stop() override;
    void Quit() override;
    QString LocationURL() const override;

    WebBrowserWindow* window() const { return m_window; }

private:
    QPointer<WebBrowserWindow> m_window;
};
