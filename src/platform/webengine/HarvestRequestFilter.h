#pragma once

#include <QWebEngineUrlRequestInterceptor>
#include <atomic>

// Keeps a hidden harvest page from fetching what can never add an entry: images, style
// sheets (unless media are collected: they name CSS backgrounds), fonts, media, icons,
// pings and prefetches. Documents, frames, scripts and the
// requests scripts make still load, so the page's links come out as a browser builds
// them. Set on each harvest page, never on the profile, so the program's own browser
// windows load everything.
class HarvestRequestFilter final : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

    void setLoadStyleSheets(bool load) { m_loadStyleSheets = load; }

    static bool blocks(QWebEngineUrlRequestInfo::ResourceType type, bool loadStyleSheets = false);

private:
    std::atomic<bool> m_loadStyleSheets { false };
};
