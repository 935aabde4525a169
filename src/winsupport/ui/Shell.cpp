#include "winsupport/ui/Shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QStringListModel>
#include <QUrl>

#include "platform/SqliteRegistryStore.h"
#include "settings/CRegSettings.h"
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

// The typed URLs of this process, shared by every URL box's completer.
struct TypedUrlStore {
    UrlHistory history;
    bool chosen = false; // a store was given, or the user's own was opened
    QPointer<QStringListModel> model;
};

TypedUrlStore& rawTypedUrls()
{
    static TypedUrlStore store;
    return store;
}

TypedUrlStore& typedUrls()
{
    TypedUrlStore& store = rawTypedUrls();
    if (!store.chosen) {
        store.chosen = true;
        store.history = UrlHistory(CRegSettings::forQuillmarch(SqliteRegistryStore::openForUser()));
    }
    return store;
}

QStringListModel* typedUrlModel()
{
    TypedUrlStore& store = typedUrls();
    if (!store.model) {
        store.model = new QStringListModel(store.history.urls(), QCoreApplication::instance());
    }
    return store.model;
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

void AttachAutoComplete(QLineEdit* edit)
{
    if (!edit || qobject_cast<UrlCompleter*>(edit->completer()))
        return;
    edit->setCompleter(new UrlCompleter(typedUrlModel(), edit));
}

void RememberTypedUrl(const QString& url)
{
    TypedUrlStore& store = typedUrls();
    if (!store.history.remember(url))
        return;
    if (store.model)
        store.model->setStringList(store.history.urls());
}

QStringList TypedUrls()
{
    return typedUrls().history.urls();
}

void UseUrlHistoryStore(std::shared_ptr<IRegistryStore> registry)
{
    TypedUrlStore& store = rawTypedUrls();
    store.chosen = true;
    store.history
        = registry ? UrlHistory(CRegSettings::forQuillmarch(std::move(registry))) : UrlHistory();
    if (store.model)
        store.model->setStringList(store.history.urls());
}
