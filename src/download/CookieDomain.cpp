#include "download/CookieDomain.h"

#include <libpsl.h>

namespace CookieDomain
{

namespace
{

// The newest list on the system (or the library's own), loaded once; null without one.
const psl_ctx_t* suffixList()
{
    static const psl_ctx_t* const list = [] {
        const psl_ctx_t* latest = psl_latest(nullptr);
        return latest ? latest : psl_builtin();
    }();
    return list;
}

QString bare(QString host)
{
    host = host.toLower();
    if (host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);
    while (host.endsWith(u'.'))
        host.chop(1);
    return host;
}

// An IPv6 address, or a host whose last label is a number (an IPv4 address in any of the
// forms a URL may give).
bool isAddress(const QString& host)
{
    if (host.contains(u':'))
        return true;
    const QString last = host.section(u'.', -1);
    bool number = false;
    last.toULongLong(&number, 0);
    return number || (!last.isEmpty() && last.front().isDigit());
}

} // namespace

bool admits(const QString& domain, bool subdomains, const QString& host)
{
    QString cookieDomain = bare(domain);
    const bool domainCookie = subdomains || cookieDomain.startsWith(u'.');
    while (cookieDomain.startsWith(u'.'))
        cookieDomain.remove(0, 1);
    const QString target = bare(host);
    if (cookieDomain.isEmpty() || target.isEmpty())
        return false;
    if (target == cookieDomain)
        return true;
    if (!domainCookie || isAddress(target) || isAddress(cookieDomain))
        return false;
    const psl_ctx_t* list = suffixList();
    if (!list)
        return false;
    return psl_is_cookie_domain_acceptable(
               list, target.toUtf8().constData(), cookieDomain.toUtf8().constData())
        == 1;
}

} // namespace CookieDomain
