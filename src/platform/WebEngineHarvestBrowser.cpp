#include "platform/WebEngineHarvestBrowser.h"

#include <QWebEnginePage>
#include <QWebEngineProfile>

WebEngineHarvestBrowser::WebEngineHarvestBrowser(QObject* parent) : QObject(parent) {}
WebEngineHarvestBrowser::~WebEngineHarvestBrowser() = default;
void WebEngineHarvestBrowser::setDocumentCompleteHandler(std::function<void()> handler)
{
    m_onComplete = std::move(handler);
}
void WebEngineHarvestBrowser::setNavigateErrorHandler(std::function<void(qint32)> handler)
{
    m_onError = std::move(handler);
}
void WebEngineHarvestBrowser::setProgressHandler(std::function<void(int, int)> handler)
{
    m_onProgress = std::move(handler);
}
void WebEngineHarvestBrowser::navigate(const QString&) {}
void WebEngineHarvestBrowser::stop() {}
void WebEngineHarvestBrowser::collectLinks(LinksHandler) {}
QWebEnginePage* WebEngineHarvestBrowser::page() const { return m_page; }
qint32 WebEngineHarvestBrowser::statusCodeFor(QWebEngineLoadingInfo::ErrorDomain, int code)
{
    return code;
}
QString WebEngineHarvestBrowser::recurseFramesScript() { return {}; }
void WebEngineHarvestBrowser::collectLinksFrom(QWebEnginePage*, LinksHandler) {}
QWebEngineProfile* WebEngineHarvestBrowser::harvestProfile() { return nullptr; }
void WebEngineHarvestBrowser::onLoadingChanged(const QWebEngineLoadingInfo&) {}
