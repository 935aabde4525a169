#include "app/ui/Application.h"

#include <QApplication>
#include <QPointer>
#include <QStringList>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <unistd.h>

#include "app/ui/FirstPaintProbe.h"
#include "app/ui/Form1.h"
#include "builders/ClipboardBuilder.h"
#include "compose/WindowServices.h"
#include "core/IUserPrompt.h"
#include "core/Version.h"
#include "platform/LinkReceiver.h"
#include "platform/SqliteRegistryStore.h"

namespace
{

const char* const kUsage
    = "Usage: quillmarch [TEXT...]\n"
      "       quillmarch --send-link URL\n"
      "\n"
      "Starts Quillmarch. Any TEXT given is taken whole (the arguments joined by one\n"
      "space) and built into the link list like clipboard text: lines end at LF, CR LF\n"
      "or CR, and every line that begins with http, ftp, mailto: or javascript: becomes\n"
      "an entry, e.g. quillmarch \"$(cat links.txt)\". Several arguments that are each\n"
      "a link (links dropped on the launcher) become one entry each.\n"
      "When Quillmarch is already running, the TEXT goes to it (asking first whether to\n"
      "append when its list is not empty), or without TEXT its window comes forward;\n"
      "then this start ends.\n"
      "\n"
      "  --send-link URL  hand URL to the Quillmarch already running, which builds a list\n"
      "                   from that page's links; exits 0 when it was delivered, 1\n"
      "                   when no Quillmarch runs or too many links are waiting\n"
      "  -h, --help       show this text\n"
      "  -V, --version    show the version\n"
      "\n"
      "Quillmarch needs a display; quillmarch-cli builds lists and downloads without one.\n";

// No window can open without a display server; Qt would abort with a long message.
// Tests and scripts that choose a platform (QT_QPA_PLATFORM=offscreen) need none.
bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// Hands the command line (or, without one, a request to come forward) to the Quillmarch
// already running: its exit status when one took it or failed to, nothing when none
// runs and this start goes on.
std::optional<int> handToRunningInstance(const QString& commandLine)
{
    const QString socket = LinkReceiver::userSocketPath();
    const Result<> sent = commandLine.isEmpty()
        ? LinkReceiver::sendTo(socket, LinkReceiver::Kind::Raise, QString())
        : LinkReceiver::sendTo(socket, LinkReceiver::Kind::Text, commandLine);
    if (sent)
        return 0;
    if (sent.message() == LinkReceiver::noReceiverMessage())
        return std::nullopt;
    std::fprintf(stderr, "quillmarch: %s\n", qPrintable(sent.message()));
    return 1;
}

// The arguments as one text: joined by one space, as a shell passes words of one
// sentence; but links dropped on the launcher arrive one an argument, and each stays an
// entry of its own (one line each) rather than one entry with spaces inside.
QString commandLineText(const QStringList& arguments)
{
    const bool allLinks = arguments.size() > 1
        && std::all_of(arguments.begin(), arguments.end(),
            [](const QString& argument) { return ClipboardBuilder::isLink(argument); });
    return arguments.join(allLinks ? QLatin1Char('\n') : QLatin1Char(' '));
}

void bringForward(QWidget& window)
{
    if (window.isMinimized())
        window.showNormal();
    window.raise();
    window.activateWindow();
}

// Text handed over by a later start is built into the list as the command line is. A
// question of the window may be open (the append question of an earlier text, say): the
// text then waits until it is answered, so questions never nest.
void buildHandedText(const QPointer<Form1>& form, const QString& text)
{
    if (!form)
        return;
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(250, form, [form, text] { buildHandedText(form, text); });
        return;
    }
    bringForward(*form);
    form->buildFromText(text);
}

int sendLink(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fputs("quillmarch: --send-link needs a URL\n", stderr);
        return 2;
    }
    if (const Result<> sent = LinkReceiver::sendLink(QString::fromLocal8Bit(argv[2])); !sent) {
        std::fprintf(stderr, "quillmarch: %s\n", qPrintable(sent.message()));
        return 1;
    }
    return 0;
}

// Chromium reads these when the first page is created; as root it refuses to start
// with its sandbox. The engine runs without the GPU: the browser windows draw in
// software, which simple pages need no more, and the application creates no shared
// OpenGL context at start-up (that alone would double the time to the first paint).
void prepareBrowserEngine()
{
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            "--disable-gpu --disable-background-networking --disable-component-update");
}

} // namespace

void acceptLaterStarts(Form1& form)
{
    LinkReceiver* receiver = form.linkReceiver();
    if (!receiver)
        return;
    const QPointer<Form1> window(&form);
    QObject::connect(receiver, &LinkReceiver::raiseRequested, &form, [window] {
        if (window)
            bringForward(*window);
    });
    QObject::connect(receiver, &LinkReceiver::textReceived, &form,
        [window](const QString& text) { buildHandedText(window, text); });
}

int runQuillmarch(int argc, char** argv)
{
    if (argc >= 2) {
        const QByteArray first(argv[1]);
        if (first == "--send-link")
            return sendLink(argc, argv);
        if (first == "--help" || first == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (first == "--version" || first == "-V") {
            std::printf("Quillmarch %s\n", kQuillmarchVersion);
            return 0;
        }
    }

    if (!hasDisplay()) {
        std::fputs("quillmarch: no display to open a window on (DISPLAY and WAYLAND_DISPLAY "
                   "are not set); quillmarch-cli builds lists and downloads without one.\n",
            stderr);
        return 1;
    }
    prepareBrowserEngine();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmarch"));
    QApplication::setOrganizationName(QStringLiteral("Corvid Lantern"));
    QApplication::setApplicationVersion(QString::fromLatin1(kQuillmarchVersion));
    QApplication::setDesktopFileName(QStringLiteral("example.corvidlantern.Quillmarch"));

    QStringList words = QApplication::arguments();
    words.removeFirst();
    const QString commandLine = commandLineText(words);
    if (const std::optional<int> handed = handToRunningInstance(commandLine))
        return *handed;

    const std::shared_ptr<SqliteRegistryStore> store
        = SqliteRegistryStore::openForUser(SqliteRegistryStore::kWindowBusyTimeoutMs);
    Form1 form(windowServices(store));
    FirstPaintProbe::attachIfRequested(&form);
    form.show();

    form.showStartupNotices();

    if (const Result<> receiving = form.installLinkReceiver(); !receiving)
        std::fprintf(stderr, "quillmarch: links sent with --send-link will not arrive here: %s\n",
            qPrintable(receiving.message()));
    acceptLaterStarts(form);

    if (!commandLine.isEmpty())
        form.buildFromText(commandLine);
    return app.exec();
}
