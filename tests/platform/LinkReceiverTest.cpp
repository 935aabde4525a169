#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

#include "platform/LinkReceiver.h"

namespace
{

const char* const kChildSocket = "QM_LINK_TEST_SOCKET";
const char* const kChildText = "QM_LINK_TEST_TEXT";
const QString kNoReceiver = "No running Quillmarch to receive the link.";

struct LinkReceiverTest : ::testing::Test {
    QTemporaryDir dir;
    QString path = dir.filePath("link.sock");

    // SendLink blocks, so it runs on its own thread while this one serves the receiver.
    Result<> sendFromThread(const QString& text, QSignalSpy& received)
    {
        Result<> sent = Result<>::cancelled();
        std::thread sender([&] { sent = LinkReceiver::sendLinkTo(path, text, 10000); });
        received.wait(10000);
        sender.join();
        return sent;
    }

    // Sends a framed payload and returns the one-byte answer ('\0' for none). Both ends
    // run on this thread's event loop.
    char rawExchange(const QByteArray& payload, quint32 length)
    {
        char header[4];
        qToBigEndian<quint32>(length, header);
        QLocalSocket socket;
        socket.connectToServer(path);
        EXPECT_TRUE(socket.waitForConnected(5000));
        QSignalSpy closed(&socket, &QLocalSocket::disconnected);
        socket.write(QByteArray(header, 4) + payload);
        closed.wait(10000);
        char answer = 0;
        socket.getChar(&answer);
        return answer;
    }
};

} // namespace

TEST_F(LinkReceiverTest, DeliversWithinOneProcessOnAnOwnerOnlySocket)
{
    LinkReceiver receiver(path);
    ASSERT_TRUE(receiver.listen().isOk());
    struct stat info {
    };
    ASSERT_EQ(::lstat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u) << std::oct << info.st_mode;

    // Non-ASCII text and a trailing terminator the sender included arrive unchanged.
    QSignalSpy received(&receiver, &LinkReceiver::linkReceived);
    const QString link = QString::fromUtf8("https://example.org/caf\u00e9?q=\u4e2d") + QChar(0);
    const Result<> sent = sendFromThread(link, received);
    EXPECT_TRUE(sent.isOk()) << sent.message().toStdString();
    ASSERT_EQ(received.count(), 1);
    EXPECT_EQ(received.at(0).at(0).toString(), link);
}

TEST_F(LinkReceiverTest, RefusesOversizedEmptyMalformedAndSilentSenders)
{
    LinkReceiver receiver(path);
    receiver.setReadTimeout(50);
    ASSERT_TRUE(receiver.listen().isOk());
    QSignalSpy received(&receiver, &LinkReceiver::linkReceived);

    const int bound = LinkReceiver::kMaxLinkBytes;
    EXPECT_EQ(rawExchange("abc", bound + 1), '0');
    EXPECT_EQ(rawExchange({}, 0), '0');
    EXPECT_EQ(rawExchange("\xff\xfe", 2), '0');
    EXPECT_EQ(rawExchange("ab", 10), '\0'); // promises ten bytes, sends two: dropped
    EXPECT_EQ(received.count(), 0);
    EXPECT_EQ(rawExchange(QByteArray(bound, 'a'), bound), '1');
    EXPECT_EQ(received.count(), 1);

    const QString error = LinkReceiver::sendLinkTo(path, QString(bound + 1, 'a')).message();
    EXPECT_TRUE(error.contains("too long")) << error.toStdString();
}

TEST_F(LinkReceiverTest, SecondListenerIsRefusedAndTheFirstKeepsWorking)
{
    LinkReceiver first(path);
    ASSERT_TRUE(first.listen().isOk());
    LinkReceiver second(path);
    const QString error = second.listen().message();
    EXPECT_TRUE(error.contains("already receiving links")) << error.toStdString();

    QSignalSpy received(&first, &LinkReceiver::linkReceived);
    EXPECT_TRUE(sendFromThread("https://example.org/", received).isOk());
    EXPECT_EQ(received.count(), 1);
}

TEST_F(LinkReceiverTest, ReplacesAStaleSocketButNeverAForeignFile)
{
    EXPECT_EQ(LinkReceiver::sendLinkTo(path, "https://example.org/").message(), kNoReceiver);

    // A socket file nobody listens on, as a crashed instance leaves it.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(path);
    ASSERT_LT(static_cast<size_t>(encoded.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, encoded.constData(), encoded.size());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
    EXPECT_EQ(LinkReceiver::sendLinkTo(path, "https://example.org/").message(), kNoReceiver);
    {
        LinkReceiver receiver(path);
        EXPECT_TRUE(receiver.listen().isOk());
    }
    EXPECT_FALSE(QFile::exists(path)) << "closing left the socket behind";

    QFile foreign(path);
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
    foreign.write("keep me");
    foreign.close();
    LinkReceiver receiver(path);
    EXPECT_TRUE(receiver.listen().isFailed());
    EXPECT_TRUE(LinkReceiver::sendLinkTo(path, "https://example.org/").isFailed());
    ASSERT_TRUE(foreign.open(QIODevice::ReadOnly));
    EXPECT_EQ(foreign.readAll(), "keep me");
}

TEST_F(LinkReceiverTest, DeliversFromAnotherProcess)
{
    LinkReceiver receiver(path);
    ASSERT_TRUE(receiver.listen().isOk());
    QSignalSpy received(&receiver, &LinkReceiver::linkReceived);

    const QString link = "https://example.org/page?from=child";
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kChildSocket, path);
    environment.insert(kChildText, link);
    child.setProcessEnvironment(environment);
    QSignalSpy finished(&child, &QProcess::finished);
    child.start(QCoreApplication::applicationFilePath(),
        { "--gtest_filter=LinkReceiverChild.SendsTheLinkItWasGiven" });
    ASSERT_TRUE(finished.wait(60000)) << "the sending process did not end";
    EXPECT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
    ASSERT_EQ(received.count(), 1);
    EXPECT_EQ(received.at(0).at(0).toString(), link);
}

// The sending side of DeliversFromAnotherProcess, run in a child process; it does
// nothing unless that test started it.
TEST(LinkReceiverChild, SendsTheLinkItWasGiven)
{
    if (!qEnvironmentVariableIsSet(kChildSocket))
        GTEST_SKIP() << "runs only as the child of DeliversFromAnotherProcess";
    const Result<> sent = LinkReceiver::sendLinkTo(
        qEnvironmentVariable(kChildSocket), qEnvironmentVariable(kChildText));
    EXPECT_TRUE(sent.isOk()) << sent.message().toStdString();
}
