#pragma once

#include <QWebEngineUrlRequestInterceptor>

// Keeps a hidden harvest page from fetching what can never add a link: images, style
// sheets, fonts, media, icons, pings and prefetches. Documents, frames, scripts and the
// requests scripts make still load, so the page's links come out as a browser builds
// them. Set on each harvest page, never on the profile, so the program's own browser
// windows load everything.
class HarvestRequestFilter final : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

    static bool blocks(QWebEngineUrlRequestInfo::ResourceType type);
};
