#include "download/NetscapeCookies.h"

#include <QDateTime>
#include <QUrl>

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
    const QString host = target.host().toLower();
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
        QString domain = f.at(0).toLower();
        const bool subdomains = f.at(1) == QLatin1String("TRUE") || domain.startsWith(u'.');
        if (domain.startsWith(u'.'))
            domain.remove(0, 1);
        const bool domainMatches
            = host == domain || (subdomains && host.endsWith(QLatin1Char('.') + domain));
        const QString& cookiePath = f.at(2);
        const bool pathMatches = path.startsWith(cookiePath)
            && (cookiePath.endsWith(u'/') || path.size() == cookiePath.size()
                || path.at(cookiePath.size()) == u'/');
        const bool secureOk = f.at(3) != QLatin1String("TRUE") || https;
        const qint64 expiry = f.at(4).toLongLong();
        if (domainMatches && pathMatches && secureOk && (expiry == 0 || expiry > now))
            pairs.append(f.at(5) + QLatin1Char('=') + f.mid(6).join(QLatin1Char('\t')));
    }
    return pairs.join(QStringLiteral("; "));
}

} // namespace NetscapeCookies
