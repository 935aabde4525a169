#include "download/NetscapeCookies.h"

#include <QDateTime>
#include <QUrl>

#include "core/HeaderField.h"
#include "download/CookieDomain.h"

namespace NetscapeCookies
{

namespace
{

const QByteArray kHttpOnly = "#HttpOnly_";

bool isFlag(const QByteArray& field)
{
    return field == "TRUE" || field == "FALSE";
}

} // namespace

std::optional<QStringList> parse(const QByteArray& text, QString* problem)
{
    QStringList cookies;
    bool header = false;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines.at(i);
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        if (line.startsWith('#') && !line.startsWith(kHttpOnly)) {
            header = header || line.contains("HTTP Cookie File");
            continue;
        }
        const QList<QByteArray> fields = line.split('\t');
        bool expiryOk = false;
        if (fields.size() == 7)
            fields.at(4).toLongLong(&expiryOk);
        if (fields.size() != 7 || !isFlag(fields.at(1)) || !isFlag(fields.at(3)) || !expiryOk
            || fields.at(0).size() <= (line.startsWith(kHttpOnly) ? kHttpOnly.size() : 0)
            || fields.at(5).isEmpty()) {
            *problem = QStringLiteral("line %1 is not a cookie in the Netscape format (seven "
                                      "fields separated by tabs)")
                           .arg(i + 1);
            return std::nullopt;
        }
        // A cookie becomes part of a Cookie header line: its name must be a token and
        // neither part may end that line.
        const QString name = QString::fromUtf8(fields.at(5));
        const QString value = QString::fromUtf8(fields.at(6));
        if (!HeaderField::isToken(name) || !HeaderField::valueProblem(value).isEmpty()) {
            *problem = QStringLiteral("line %1 is a cookie whose %2")
                           .arg(QString::number(i + 1),
                               HeaderField::isToken(name)
                                   ? QStringLiteral("value cannot be sent: ")
                                       + HeaderField::valueProblem(value)
                                   : QStringLiteral("name is not a token of letters, digits "
                                                    "and !#$%&'*+-.^_`|~"));
            return std::nullopt;
        }
        cookies.append(QString::fromUtf8(line));
    }
    if (cookies.isEmpty() && !header) {
        *problem = QStringLiteral("it holds no cookie and no \"# Netscape HTTP Cookie File\" line");
        return std::nullopt;
    }
    return cookies;
}

QString line(const QString& domain, const QString& path, bool secure, bool httpOnly, qint64 expiry,
    const QByteArray& name, const QByteArray& value)
{
    const QString flag
        = domain.startsWith(QLatin1Char('.')) ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    return QStringLiteral("%1%2\t%3\t%4\t%5\t%6\t%7\t%8")
        .arg(httpOnly ? QString::fromLatin1(kHttpOnly) : QString(), domain, flag,
            path.isEmpty() ? QStringLiteral("/") : path,
            secure ? QStringLiteral("TRUE") : QStringLiteral("FALSE"), QString::number(expiry),
            QString::fromUtf8(name), QString::fromUtf8(value));
}

QString headerFor(const QStringList& lines, const QString& url)
{
    const QUrl target(url);
    const QString host = target.host(QUrl::FullyEncoded);
    const QString path = target.path().isEmpty() ? QStringLiteral("/") : target.path();
    const bool https = target.scheme() == QLatin1String("https");
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    QStringList pairs;
    for (QString line : lines) {
        if (line.startsWith(QLatin1String(kHttpOnly)))
            line.remove(0, kHttpOnly.size());
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() < 7)
            continue;
        const bool domainMatches
            = CookieDomain::admits(f.at(0), f.at(1) == QLatin1String("TRUE"), host);
        const QString& cookiePath = f.at(2);
        const bool pathMatches = path.startsWith(cookiePath)
            && (cookiePath.endsWith(u'/') || path.size() == cookiePath.size()
                || path.at(cookiePath.size()) == u'/');
        const bool secureOk = f.at(3) != QLatin1String("TRUE") || https;
        const qint64 expiry = f.at(4).toLongLong();
        const QString value = f.mid(6).join(QLatin1Char('\t'));
        const bool sendable
            = HeaderField::isToken(f.at(5)) && HeaderField::valueProblem(value).isEmpty();
        if (domainMatches && pathMatches && secureOk && sendable && (expiry == 0 || expiry > now))
            pairs.append(f.at(5) + QLatin1Char('=') + value);
    }
    return pairs.join(QStringLiteral("; "));
}

QString sendProblem(const QStringList& lines)
{
    for (QString line : lines) {
        if (line.startsWith(QLatin1String(kHttpOnly)))
            line.remove(0, kHttpOnly.size());
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() < 7)
            return QStringLiteral("a cookie line is not in the Netscape format");
        if (!HeaderField::isToken(f.at(5)))
            return QStringLiteral("the cookie name \"%1\" is not a token").arg(f.at(5));
        if (const QString why = HeaderField::valueProblem(f.mid(6).join(QLatin1Char('\t')));
            !why.isEmpty())
            return QStringLiteral("the value of the cookie %1 cannot be sent: %2")
                .arg(f.at(5), why);
    }
    return {};
}

} // namespace NetscapeCookies
