#include "platform/ProfileCookieReader.h"

#include <QDateTime>
#include <QFileInfo>
#include <QUrl>
#include <sqlite3.h>

#include "download/NetscapeCookies.h"
#include "platform/ProfileFolders.h"
#include "platform/SqliteCalls.h"
#include "platform/SqliteStatement.h"

namespace
{

// The engine counts time in microseconds since 1601-01-01 UTC.
constexpr qint64 kEpochDelta = 11644473600LL;
// A window's engine holds the file open; a read waits this long for its write to end.
constexpr int kBusyTimeoutMs = 2000;

// One query over the database at path opened read-only with the URI parameters given;
// rc tells how it ended.
Result<ProfileCookieReader::Cookies> query(const QString& path, const char* parameters, int& rc)
{
    const QByteArray uri = QUrl::fromLocalFile(path).toEncoded() + parameters;
    sqlite3* db = nullptr;
    rc = sqlite3_open_v2(uri.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    if (rc != SQLITE_OK) {
        const QString why = SqliteCalls::errorText(db, rc);
        sqlite3_close(db);
        return Result<ProfileCookieReader::Cookies>::failed(why);
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    ProfileCookieReader::Cookies found;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    QString why;
    {
        SqliteStatement st(db,
            "SELECT host_key, name, value, length(encrypted_value), path, expires_utc, "
            "has_expires, is_secure, is_httponly, top_frame_site_key FROM cookies");
        while (st.ok() && (rc = st.step()) == SQLITE_ROW) {
            if (!st.text(9).isEmpty())
                continue; // partitioned: sent only inside one embedding site
            const QByteArray value = st.text(2).toUtf8();
            if (value.isEmpty() && st.number(3) > 0) {
                ++found.encrypted;
                continue;
            }
            QNetworkCookie cookie(st.text(1).toUtf8(), value);
            cookie.setDomain(st.text(0));
            cookie.setPath(st.text(4));
            cookie.setSecure(st.number(7) != 0);
            cookie.setHttpOnly(st.number(8) != 0);
            const qint64 expires = st.number(5);
            if (st.number(6) != 0 && expires != 0) {
                const qint64 seconds = expires / 1000000 - kEpochDelta;
                if (seconds <= now)
                    continue;
                cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC));
            }
            found.cookies.append(cookie);
        }
        if (!st.ok())
            rc = st.prepareResult();
        if (rc != SQLITE_DONE)
            why = SqliteCalls::errorText(db, rc);
    }
    sqlite3_close(db);
    if (!why.isEmpty())
        return Result<ProfileCookieReader::Cookies>::failed(why);
    rc = SQLITE_OK;
    return Result<ProfileCookieReader::Cookies>::ok(std::move(found));
}

} // namespace

Result<ProfileCookieReader::Cookies> ProfileCookieReader::read(const QString& path)
{
    if (!QFileInfo::exists(path))
        return Result<Cookies>::ok({});
    int rc = SQLITE_OK;
    Result<Cookies> cookies = query(path, "?mode=ro", rc);
    // A lock held past the wait, or a journal only a writer may roll back: the file is
    // read as it stands, without locks.
    if (SqliteCalls::isLock(rc) || (rc & 0xff) == SQLITE_READONLY)
        cookies = query(path, "?mode=ro&immutable=1", rc);
    if (!cookies)
        return Result<Cookies>::failed(
            QStringLiteral("cannot read the cookies of %1: %2").arg(path, cookies.message()));
    return cookies;
}

Result<ProfileCookieReader::Cookies> ProfileCookieReader::readProfile()
{
    return read(ProfileFolders::cookieDatabase());
}

QStringList ProfileCookieReader::netscapeLines(const QList<QNetworkCookie>& cookies)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QStringList lines;
    for (const QNetworkCookie& cookie : cookies) {
        if (cookie.domain().isEmpty() || cookie.name().isEmpty()
            || (!cookie.isSessionCookie() && cookie.expirationDate() < now))
            continue;
        lines.append(NetscapeCookies::line(cookie.domain(), cookie.path(), cookie.isSecure(),
            cookie.isHttpOnly(),
            cookie.isSessionCookie() ? 0 : cookie.expirationDate().toSecsSinceEpoch(),
            cookie.name(), cookie.value()));
    }
    return lines;
}
