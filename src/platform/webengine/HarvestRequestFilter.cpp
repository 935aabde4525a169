#include "platform/webengine/HarvestRequestFilter.h"

#include <QWebEngineUrlRequestInfo>

bool HarvestRequestFilter::blocks(QWebEngineUrlRequestInfo::ResourceType type, bool loadStyleSheets)
{
    switch (type) {
    case QWebEngineUrlRequestInfo::ResourceTypeStylesheet:
        return !loadStyleSheets;
    case QWebEngineUrlRequestInfo::ResourceTypeImage:
    case QWebEngineUrlRequestInfo::ResourceTypeFontResource:
    case QWebEngineUrlRequestInfo::ResourceTypeMedia:
    case QWebEngineUrlRequestInfo::ResourceTypeFavicon:
    case QWebEngineUrlRequestInfo::ResourceTypePing:
    case QWebEngineUrlRequestInfo::ResourceTypePrefetch:
    case QWebEngineUrlRequestInfo::ResourceTypeCspReport:
        return true;
    default:
        return false;
    }
}

void HarvestRequestFilter::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    if (blocks(info.resourceType(), m_loadStyleSheets))
        info.block(true);
}
