#include "winsupport/ui/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QLineEdit>
#include <QStringListModel>
#include <QUrl>

#include "winsupport/UrlHistory.h"
#include "winsupport/ui/UrlCompleter.h"

namespace
{

ShellOpener& opener()
{
    static ShellOpener current;
    return current;
}

bool openWithDesktop(const QUrl& url)
{
    if (opener())
        return opener()(url);
    return QDesktopServices::openUrl(url);
}

// The address a target stands for, or an empty URL when it may not be opened.
QUrl openableUrl(const QString& target)
{
    const QString text = target.trimmed();
    if (text.isEmpty())
        return {};
    if (text.startsWith(QLatin1Char('/'))) {
        const QFileInfo info(text);
        return info.isDir() ? QUrl::fromLocalFile(info.absoluteFilePath()) : QUrl();
    }
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        return {};
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("file")) {
        const QFileInfo info(url.toLocalFile());
        return info.isDir() ? url : QUrl();
    }
    static const QStringList webSchemes { QStringLiteral("http"), QStringLiteral("https"),
        QStringLiteral("ftp"), QStringLiteral("ftps") };
    if (webSchemes.contains(scheme))
        return url.host().isEmpty() ? QUrl() : url;
    if (scheme == QLatin1String("mailto"))
        return url.path().isEmpty() ? QUrl() : url;
    return {};
}

} // namespace

int OpenWithShell(QWidget* owner, const QString& target)
{
    Q_UNUSED(owner);
    const QUrl url = openableUrl(target);
    if (url.isEmpty())
        return kShellNoHandler;
    return openWithDesktop(url) ? kShellOpened : kShellNoHandler;
}

void setShellOpener(ShellOpener replacement)
{
    opener() = std::move(replacement);
}

void AttachAutoComplete(QLineEdit* edit, UrlHistory& history)
{
    if (!edit || qobject_cast<UrlCompleter*>(edit->completer()))
        return;
    // The edit owns the model: the completer deletes a model it owns when it switches
    // to the file-system model.
    auto* urls = new QStringListModel(history.urls(), edit);
    auto* completer = new UrlCompleter(urls, edit);
    QObject::connect(&history, &UrlHistory::changed, urls,
        [urls, &history] { urls->setStringList(history.urls()); });
    edit->setCompleter(completer);
}
