#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <httplib.h>
#include <thread>

#include "support/QtPrinters.h"

// An https server whose certificate an authority made for the test signed, unknown to
// the system: harvest and download refuse it, accept it when that authority is given
// (--ca-certificate or SSL_CERT_FILE), and accept any with --insecure, with a warning.
TEST(CertificateTrust, HarvestAndDownloadTrustTheGivenAuthorityOnly)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString dir = home.path() + "/";
    QFile extensions(dir + "san.ext");
    ASSERT_TRUE(extensions.open(QIODevice::WriteOnly));
    extensions.write("subjectAltName=IP:127.0.0.1\n");
    extensions.close();
    const QStringList key { "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes" };
    const QStringList steps[] = {
        QStringList { "req", "-x509" } + key
            + QStringList { "-keyout", dir + "ca.key", "-out", dir + "ca.pem", "-days", "2",
                "-subj", "/CN=Test CA" },
        QStringList { "req" } + key
            + QStringList { "-keyout", dir + "site.key", "-out", dir + "site.csr", "-subj",
                "/CN=127.0.0.1" },
        { "x509", "-req", "-in", dir + "site.csr", "-CA", dir + "ca.pem", "-CAkey", dir + "ca.key",
            "-CAcreateserial", "-out", dir + "site.pem", "-days", "2", "-extfile",
            dir + "san.ext" },
    };
    for (const QStringList& step : steps)
        ASSERT_EQ(QProcess::execute("openssl", step), 0) << step.join(' ').toStdString();

    httplib::SSLServer server(
        (dir + "site.pem").toStdString().c_str(), (dir + "site.key").toStdString().c_str());
    ASSERT_TRUE(server.is_valid());
    server.set_keep_alive_timeout(1);
    server.Get("/", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("<html><body><a href=\"/a.txt\">a</a></body></html>", "text/html");
    });
    server.Get("/a.txt", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("alpha", "text/plain");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { server.listen_after_bind(); });
    const QString site = QStringLiteral("https://127.0.0.1:%1").arg(port);

    const struct {
        QStringList arguments;
        QString certFile;
        int exitCode;
    } rows[] = {
        { {}, {}, 5 },
        { { "--ca-certificate", dir + "ca.pem" }, {}, 0 },
        { {}, dir + "ca.pem", 0 },
        { { "--insecure" }, {}, 0 },
    };
    for (const auto& row : rows) {
        for (const QStringList& command : { QStringList { "harvest", site + "/" },
                 QStringList { "download", "--dir", dir, "--exists", "overwrite", "--retries", "0",
                     site + "/a.txt" } }) {
            SCOPED_TRACE((command + row.arguments).join(' ').toStdString());
            QProcess cli;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("XDG_CONFIG_HOME", home.path());
            env.remove("SSL_CERT_FILE");
            if (!row.certFile.isEmpty())
                env.insert("SSL_CERT_FILE", row.certFile);
            cli.setProcessEnvironment(env);
            cli.start(QStringLiteral(QM_BINARY_DIR "/quillmarch-cli"), command + row.arguments);
            cli.closeWriteChannel();
            ASSERT_TRUE(cli.waitForFinished(25000));
            const QString out = QString::fromUtf8(cli.readAllStandardOutput());
            const QString err = QString::fromUtf8(cli.readAllStandardError());
            EXPECT_EQ(cli.exitCode(), row.exitCode) << err.toStdString();
            EXPECT_EQ(out.contains(command.first() == "harvest" ? site + "/a.txt" : dir + "a.txt"),
                row.exitCode == 0)
                << out.toStdString();
            EXPECT_EQ(err.contains("Warning: --insecure"), row.arguments.contains("--insecure"));
        }
    }
    server.stop();
    serving.join();
}
