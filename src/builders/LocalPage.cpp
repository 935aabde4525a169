#include "builders/LocalPage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QRegularExpression>
#include <QUrl>

namespace
{

// An address that begins with a scheme ("http:", "mailto:", "c:") is not a bare name.
bool hasScheme(const QString& address)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    return scheme.match(address).hasMatch();
}

} // namespace

LocalPage::Check LocalPage::check(const QString& address, const QString& baseFolder)
{
    const QString base = baseFolder.isEmpty() ? QDir::currentPath() : baseFolder;
    QString path;
    bool named = true; // the address says it is a file, so a missing one is reported
    if (address.startsWith(QLatin1StringView("file:"), Qt::CaseInsensitive)) {
        path = QUrl(address).toLocalFile();
    } else if (address.startsWith(QLatin1StringView("~/"))) {
        path = QDir::homePath() + address.mid(1);
    } else if (address.startsWith(QLatin1Char('/')) || address.startsWith(QLatin1StringView("./"))
        || address.startsWith(QLatin1StringView("../"))) {
        path = QDir(base).absoluteFilePath(address);
    } else if (!address.isEmpty() && !hasScheme(address)
        && QFileInfo(QDir(base).absoluteFilePath(address)).isFile()) {
        path = QDir(base).absoluteFilePath(address);
    } else {
        named = false;
    }
    if (!named)
        return {};

    Check result;
    result.path = QDir::cleanPath(path);
    const QFileInfo info(result.path);
    if (result.path.isEmpty() || !info.exists()) {
        result.kind = Kind::Missing;
        return result;
    }
    if (!info.isFile()) {
        result.kind = Kind::NotHtml;
        return result;
    }
    QFile file(result.path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.kind = Kind::Unreadable;
        return result;
    }
    const QString suffix = info.suffix().toLower();
    const bool html = suffix == QLatin1StringView("html") || suffix == QLatin1StringView("htm")
        || startsLikeHtml(file);
    result.kind = html ? Kind::Html : Kind::NotHtml;
    if (html)
        result.fileUrl = QUrl::fromLocalFile(result.path).toString(QUrl::FullyEncoded);
    return result;
}

// The first bytes, after a byte order mark and white space, are one of the tags that
// begin HTML documents (followed by a space or ">"), or a comment.
bool LocalPage::startsLikeHtml(QIODevice& file)
{
    QByteArray head = file.read(1024);
    if (head.startsWith("\xEF\xBB\xBF"))
        head.remove(0, 3);
    head = head.trimmed().toLower();
    if (head.startsWith("<!--"))
        return true;
    static const char* const tags[] = { "<!doctype html", "<html", "<head", "<body", "<script",
        "<title", "<style", "<iframe", "<table", "<div", "<p", "<a", "<h1", "<br", "<b", "<font" };
    for (const char* tag : tags) {
        if (!head.startsWith(tag))
            continue;
        const qsizetype end = qstrlen(tag);
        if (head.size() > end && (head.at(end) == '>' || QChar::isSpace(head.at(end))))
            return true;
    }
    return false;
}

QString LocalPage::problemMessage(const Check& check)
{
    if (check.kind == Kind::Missing)
        return QStringLiteral("Quillmarch cannot build a list from this URL. The file \"%1\" does "
                              "not exist.")
            .arg(QDir::toNativeSeparators(check.path));
    return QStringLiteral("Quillmarch cannot build a list from this URL. The file \"%1\" cannot "
                          "be read.")
        .arg(QDir::toNativeSeparators(check.path));
}
