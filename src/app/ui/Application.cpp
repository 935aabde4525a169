#include "app/ui/Application.h"

#include <QApplication>
#include <QStringList>
#include <QTextStream>
#include <cstdio>
#include <unistd.h>

#include "app/ui/FirstPaintProbe.h"
#include "app/ui/Form1.h"
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
      "an entry, e.g. quillmarch \"$(cat links.txt)\".\n"
      "\n"
      "  --send-link URL  hand URL to the Quillmarch already running, which builds a list\n"
      "                   from that page's links; exits 0 when it was delivered, 1\n"
      "                   when no Quillmarch runs or too many links are waiting\n"
      "  --help           show this text\n"
      "  --version        show the version\n";

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
        if (first == "--version") {
            std::printf("Quillmarch %s\n", kQuillmarchVersion);
            return 0;
        }
    }

    prepareBrowserEngine();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmarch"));
    QApplication::setOrganizationName(QStringLiteral("Corvid Lantern"));
    QApplication::setApplicationVersion(QString::fromLatin1(kQuillmarchVersion));
    QApplication::setDesktopFileName(QStringLiteral("quillmarch"));

    QStringList words = QApplication::arguments();
    words.removeFirst();
    const QString commandLine = words.join(QLatin1Char(' '));

    const std::shared_ptr<SqliteRegistryStore> store
        = SqliteRegistryStore::openForUser(SqliteRegistryStore::kWindowBusyTimeoutMs);
    Form1 form(Services::standard(store));
    FirstPaintProbe::attachIfRequested(&form);
    form.show();

    form.showStartupNotices();

    if (const Result<> receiving = form.installLinkReceiver(); !receiving)
        std::fprintf(stderr, "quillmarch: links sent with --send-link will not arrive here: %s\n",
            qPrintable(receiving.message()));

    if (!commandLine.isEmpty()) {
        form.state().handover.drgdrp = true;
        form.state().handover.goturl = commandLine;
        form.mnufClip_Click();
    }
    return app.exec();
}
