#include <QApplication>
#include <QCoreApplication>
#include <cstdio>
#include <unistd.h>

#include "cli/CliOptions.h"
#include "cli/CliRunner.h"
#include "cli/ConsoleText.h"
#include "cli/DownloadCommand.h"
#include "cli/StandardOutput.h"

namespace
{

// Standard error carries the tool's own messages for scripts to read; Qt's and the
// browser engine's diagnostics appear only when QUILLMARCH_CLI_DEBUG is set.
void quietMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtCriticalMsg && type != QtFatalMsg)
        return;
    const QByteArray text = ConsoleText::lines(message);
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stderr);
}

// The browser engine's switches for this run.
QByteArray engineFlags(int argc, char** argv)
{
    // The hidden page is the work the user waits for: its renderer keeps the normal
    // priority that Chromium takes away from pages nobody sees.
    QByteArray flags = "--disable-gpu --disable-background-networking --disable-component-update"
                       " --disable-renderer-backgrounding";
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CliOptions options = CliOptions::parse(arguments);
    if (options.command != CliOptions::Command::Harvest)
        return flags;
    if (options.manyPages()) {
        // One renderer process serves every page of a site: starting a process for
        // each page costs more than the page itself.
        flags += " --process-per-site";
    } else if (qgetenv("QTWEBENGINE_DISABLE_SANDBOX") == "1") {
        // One page needs one renderer: started on its own, with no zygote processes
        // to wait for first (without the sandbox they protect nothing).
        flags += " --no-zygote";
    }
    return flags;
}

} // namespace

// quillmarch-cli: builds a link list without a window and prints it, or downloads.
int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CliOptions early = CliOptions::parse(arguments);
    // Help, the version and usage errors need no application object.
    if (early.command == CliOptions::Command::Help
        || early.command == CliOptions::Command::Version) {
        const QByteArray text
            = (early.command == CliOptions::Command::Help ? CliOptions::help(early.commandName)
                                                          : CliOptions::versionText())
                  .toUtf8();
        if (!StandardOutput::write(text))
            StandardOutput::endForFailure();
        return 0;
    }
    if (!early.error.isEmpty()) {
        ConsoleText::printError(early.error + QLatin1Char('\n') + early.usageHint());
        return 2;
    }
    if (early.command == CliOptions::Command::Download) {
        // Downloads need no graphics at all: start as fast as possible.
        if (qEnvironmentVariableIsEmpty("QUILLMARCH_CLI_DEBUG"))
            qInstallMessageHandler(quietMessageHandler);
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("quillmarch-cli"));
        return DownloadCommand(CliOptions::parse(QCoreApplication::arguments())).run();
    }

    if (qEnvironmentVariableIsEmpty("QUILLMARCH_CLI_DEBUG"))
        qInstallMessageHandler(quietMessageHandler);
    // The hidden browser needs no display: draw off screen unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Chromium refuses its sandbox as root (containers, CI); run without it there.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The engine's own log lines (certificate checks, GPU probing) go to standard error
    // from every one of its processes: only fatal ones unless debugging. The user's own
    // switches come last, so they win over these.
    QByteArray flags = engineFlags(argc, argv);
    if (qEnvironmentVariableIsEmpty("QUILLMARCH_CLI_DEBUG"))
        flags += " --log-level=3";
    if (const QByteArray own = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"); !own.isEmpty())
        flags += ' ' + own;
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    // A QApplication: the hidden page gets its window size from a view (a widget).
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmarch-cli"));

    // The words as given: QApplication takes the ones it reads itself out of
    // QCoreApplication::arguments(), "--session" (with the word after it) among them.
    const CliOptions options = CliOptions::parse(arguments);
    CliRunner runner(options);
    return runner.run();
}
