#include <QApplication>
#include <QTemporaryDir>
#include <QtGlobal>
#include <gtest/gtest.h>
#include <unistd.h>

// Every runner gets a QApplication on the offscreen platform. As root, Chromium
// refuses to start with its sandbox, so the sandbox is switched off for tests.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // No test may read or write the user's own settings, history or cache. A child
    // process started by a test inherits its parent's folders.
    QTemporaryDir home;
    if (qEnvironmentVariableIsEmpty("QM_TEST_HOME")) {
        qputenv("QM_TEST_HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
        qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
        qputenv("XDG_CACHE_HOME", home.filePath("cache").toUtf8());
        qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
        "--disable-gpu --disable-background-networking --disable-component-update");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
