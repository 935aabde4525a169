#include "winsupport/ui/Shell.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
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

// Hands url to xdg-open without waiting for it, as it may keep running for as long as
// the program it starts. xdg-open exits with 3 when a tool it needs is missing and with 4
// when no program is set up for the address: nothing was opened then, and noHandler is
// called (unless context, when one was given, is gone by then).
bool openWithXdg(const QUrl& url, QObject* context, std::function<void()> noHandler)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (program.isEmpty())
        return false;
    auto* process = new QProcess;
    process->setProgram(program);
    process->setArguments({ url.toString(QUrl::FullyEncoded) });
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    const QPointer<QObject> guard(context);
    const bool hasContext = context != nullptr;
    auto report = [guard, hasContext, noHandler] {
        if (noHandler && (!hasContext || guard))
            noHandler();
    };
    QObject::connect(process, &QProcess::finished, process,
        [process, report](int code, QProcess::ExitStatus status) {
            if (status == QProcess::NormalExit && (code == 3 || code == 4))
                report();
            process->deleteLater();
        });
    QObject::connect(process, &QProcess::errorOccurred, process,
        [process, report](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart)
                return;
            report();
            process->deleteLater();
        });
    process->start();
    return true;
}

bool openWithDesktop(const QUrl& url, QObject* context, std::function<void()> noHandler)
{
    if (opener())
        return opener()(url);
    return openWithXdg(url, context, std::move(noHandler));
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

int OpenWithShell(QWidget* owner, const QString& target, std::function<void()> noHandlerLater)
{
    const QUrl url = openableUrl(target);
    if (url.isEmpty())
        return kShellNoHandler;
    return openWithDesktop(url, owner, std::move(noHandlerLater)) ? kShellOpened : kShellNoHandler;
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
