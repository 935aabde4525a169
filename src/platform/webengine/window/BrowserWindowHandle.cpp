#include "platform/webengine/window/BrowserWindowHandle.h"

#include <QWebEnginePage>

#include "platform/webengine/window/WebBrowserWindow.h"

BrowserWindowHandle::BrowserWindowHandle(WebBrowserWindow* window)
    : IBrowserWindow(window)
    , m_window(window)
{
}

void BrowserWindowHandle::Navigate(const QString& url)
{
    if (m_window)
        m_window->navigate(url);
}

bool BrowserWindowHandle::Visible() const
{
    return m_window && m_window->isVisible();
}

void BrowserWindowHandle::setVisible(bool visible)
{
    if (!m_window || visible == m_window->isVisible())
        return;
    if (visible)
        showNoActivate();
    else
        m_window->hide();
}

void BrowserWindowHandle::showNoActivate()
{
    if (!m_window)
        return;
    if (m_window->isMinimized())
        m_window->showNormal();
    else
        m_window->show();
}

void BrowserWindowHandle::bringToFront(bool activate)
{
    if (!m_window)
        return;
    m_window->raise();
    if (activate)
        m_window->activateWindow();
}

void BrowserWindowHandle::showMaximizedActive()
{
    if (!m_window)
        return;
    m_window->showMaximized();
    m_window->raise();
    m_window->activateWindow();
}

bool BrowserWindowHandle::Busy() const
{
    return m_window && m_window->loading();
}

void BrowserWindowHandle::Stop()
{
    if (m_window)
        m_window->stopLoading();
}

void BrowserWindowHandle::Quit()
{
    if (m_window)
        m_window->close();
}

QString BrowserWindowHandle::LocationURL() const
{
    return m_window ? m_window->page()->url().toString() : QString();
}
