#include "platform/webengine/HarvestRequestFilter.h"

#include <QWebEngineUrlRequestInfo>

bool HarvestRequestFilter::blocks(QWebEngineUrlRequestInfo::ResourceType type)
{
    switch (type) {
    case QWebEngineUrlRequestInfo::ResourceTypeImage:
    case QWebEngineUrlRequestInfo::ResourceTypeStylesheet:
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
    if (blocks(info.resourceType()))
        info.block(true);
}
