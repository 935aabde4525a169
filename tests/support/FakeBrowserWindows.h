#pragma once

#include <QList>
#include <QPointer>
#include <QStringList>

#include "viewer/IBrowserWindow.h"
#include "viewer/IBrowserWindows.h"

// A browser window for tests: records what it was told and reports the events a test
// drives with startLoad / finishLoad / closeByUser.
class FakeBrowserWindow final : public IBrowserWindow
{
public:
    QStringList navigated;
    bool visible = false;
    bool busy = false;
    int stops = 0;
    int raises = 0;
    int activations = 0;
    bool maximized = false;

    void Navigate(const QString& url) override
    {
        navigated.append(url);
        busy = true;
    }
    bool Visible() const override { return visible; }
    void setVisible(bool on) override { visible = on; }
    void showNoActivate() override { visible = true; }
    void bringToFront(bool activate) override
    {
        ++raises;
        activations += activate ? 1 : 0;
    }
    void showMaximizedActive() override
    {
        visible = true;
        maximized = true;
    }
    bool Busy() const override { return busy; }
    void Stop() override
    {
        ++stops;
        busy = false;
    }
    void Quit() override { closeByUser(); }
    QString LocationURL() const override { return navigated.value(navigated.size() - 1); }

    void startLoad() { emit BeforeNavigate2(); }
    void finishLoad()
    {
        busy = false;
        emit DocumentComplete();
    }
    void closeByUser()
    {
        emit OnQuit();
        deleteLater();
    }
};

// Hands out FakeBrowserWindows; htmlWindow is what the reuse search finds.
class FakeBrowserWindows final : public IBrowserWindows
{
public:
    QList<QPointer<FakeBrowserWindow>> created;
    QPointer<FakeBrowserWindow> htmlWindow;

    IBrowserWindow* createWindow() override
    {
        auto* window = new FakeBrowserWindow;
        created.append(window);
        return window;
    }
    IBrowserWindow* lastHtmlWindow() override { return htmlWindow; }

    FakeBrowserWindow* last() const { return created.isEmpty() ? nullptr : created.last().data(); }
    ~FakeBrowserWindows() override
    {
        for (const QPointer<FakeBrowserWindow>& w : created)
            delete w.data();
        delete htmlWindow.data();
    }
};
