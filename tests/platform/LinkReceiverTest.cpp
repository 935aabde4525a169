#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
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

namespace {

const char* const kChildSocket = "QM_LINK_TEST_SOCKET";
const char* const kChildText = "QM_LINK_TEST_TEXT";

struct Delivery {
    bool ok = false;
    QString error;
};

class LinkReceiverTest : public ::testing::Test {
protected:
    QTemporaryDir m_dir;
    QString m_path;

    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath("link.sock");
    }

    // SendLink blocks, so it runs on its own thread while this one serves the receiver.
    Delivery sendFromThread(LinkReceiver& receiver, const QString& text, QSignalSpy& spy)
    {
        Delivery result;
        std::thread sender(
            [&] { result.ok = LinkReceiver::SendLinkTo(m_path, text, &result.error, 10000); });
        spy.wait(10000);
        sender.join();
        Q_UNUSED(receiver);
        return result;
    }

    // Sends raw bytes and returns the one-byte answer ('\0' when the receiver closed
    // without one). Both ends run on this thread's event loop.
    char rawExchange(const QByteArray& bytes)
    {
        QLocalSocket socket;
        socket.connectToServer(m_path);
        EXPECT_TRUE(socket.waitForConnected(5000));
        socket.write(bytes);
        QSignalSpy closed(&socket, &QLocalSocket::disconnected);
        if (socket.state() == QLocalSocket::ConnectedState)
            closed.wait(10000);
        char answer = 0;
        socket.getChar(&answer);
        return answer;
    }

    static QByteArray frame(const QByteArray& payload, quint32 length)
    {
        char header[4];
        qToBigEndian<quint32>(length, header);
        return QByteArray(header, 4) + payload;
    }
};

} // namespace

TEST_F(LinkReceiverTest, DeliversALinkWithinOneProcess)
{
    LinkReceiver receiver(m_path);
    QString error;
    ASSERT_TRUE(receiver.listen(&error)) << error.toStdString();
    QSignalSpy spy(&receiver, &LinkReceiver::linkReceived);

    // Non-ASCII text and a trailing terminator the sender included arrive unchanged.
    const QString link = QString::fromUtf8("https://example.org/caf\u00e9?q=\u4e2d") + QChar(0);
    const Delivery delivery = sendFromThread(receiver, link, spy);
    EXPECT_TRUE(delivery.ok) << delivery.error.toStdString();
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toString(), link);
}

TEST_F(LinkReceiverTest, SocketIsForTheOwnerOnly)
{
    LinkReceiver receiver(m_path);
    ASSERT_TRUE(receiver.listen(nullptr));
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(m_path).constData(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_uid, ::geteuid());
    EXPECT_EQ(info.st_mode & 077, 0u) << std::oct << info.st_mode;
}

TEST_F(LinkReceiverTest, RefusesOversizedEmptyAndMalformedLinks)
{
    LinkReceiver receiver(m_path);
    ASSERT_TRUE(receiver.listen(nullptr));
    QSignalSpy spy(&receiver, &LinkReceiver::linkReceived);

    const QByteArray longest(LinkReceiver::kMaxLinkBytes, 'a');
    const struct {
        const char* name;
        QByteArray bytes;
        char answer;
    } rows[] = {
        {"announced past the bound", frame("abc", LinkReceiver::kMaxLinkBytes + 1), '0'},
        {"empty", frame({}, 0), '0'},
        {"invalid UTF-8", frame("\xff\xfe", 2), '0'},
        {"exactly at the bound", frame(longest, LinkReceiver::kMaxLinkBytes), '1'},
    };
    for (const auto& row : rows)
        EXPECT_EQ(rawExchange(row.bytes), row.answer) << row.name;
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toString().size(), LinkReceiver::kMaxLinkBytes);

    QString error;
    EXPECT_FALSE(LinkReceiver::SendLinkTo(m_path, QString(LinkReceiver::kMaxLinkBytes + 1, 'a'),
                                          &error));
    EXPECT_TRUE(error.contains("too long")) << error.toStdString();
}

TEST_F(LinkReceiverTest, DisconnectsASilentSender)
{
    LinkReceiver receiver(m_path);
    receiver.setReadTimeout(50);
    ASSERT_TRUE(receiver.listen(nullptr));
    QLocalSocket socket;
    socket.connectToServer(m_path);
    ASSERT_TRUE(socket.waitForConnected(5000));
    socket.write(frame("abc", 10).left(6)); // promises ten bytes, sends two
    QSignalSpy closed(&socket, &QLocalSocket::disconnected);
    EXPECT_TRUE(closed.wait(10000));
    EXPECT_EQ(socket.bytesAvailable(), 0);
}

TEST_F(LinkReceiverTest, SecondListenerIsRefusedAndTheFirstKeepsWorking)
{
    LinkReceiver first(m_path);
    ASSERT_TRUE(first.listen(nullptr));
    LinkReceiver second(m_path);
    QString error;
    EXPECT_FALSE(second.listen(&error));
    EXPECT_TRUE(error.contains("already receiving links")) << error.toStdString();

    QSignalSpy spy(&first, &LinkReceiver::linkReceived);
    const Delivery delivery = sendFromThread(first, "https://example.org/", spy);
    EXPECT_TRUE(delivery.ok) << delivery.error.toStdString();
    EXPECT_EQ(spy.count(), 1);
}

TEST_F(LinkReceiverTest, ReplacesAStaleSocketButNotAForeignFile)
{
    // A socket file nobody listens on, as a crashed instance leaves it.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(m_path);
    ASSERT_LT(static_cast<size_t>(encoded.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, encoded.constData(), encoded.size());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);

    QString error;
    EXPECT_FALSE(LinkReceiver::SendLinkTo(m_path, "https://example.org/", &error));
    EXPECT_EQ(error, "No running Quillmarch to receive the link.");

    {
        LinkReceiver receiver(m_path);
        EXPECT_TRUE(receiver.listen(&error)) << error.toStdString();
    }
    EXPECT_FALSE(QFile::exists(m_path)) << "closing leaves the socket behind";

    QFile foreign(m_path);
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
    foreign.write("keep me");
    foreign.close();
    LinkReceiver receiver(m_path);
    EXPECT_FALSE(receiver.listen(&error));
    ASSERT_TRUE(foreign.open(QIODevice::ReadOnly));
    EXPECT_EQ(foreign.readAll(), "keep me");
    EXPECT_FALSE(LinkReceiver::SendLinkTo(m_path, "https://example.org/", &error));
}

TEST_F(LinkReceiverTest, SendingWithoutAReceiverFails)
{
    QString error;
    EXPECT_FALSE(LinkReceiver::SendLinkTo(m_path, "https://example.org/", &error));
    EXPECT_EQ(error, "No running Quillmarch to receive the link.");
}

TEST_F(LinkReceiverTest, DeliversFromAnotherProcess)
{
    LinkReceiver receiver(m_path);
    ASSERT_TRUE(receiver.listen(nullptr));
    QSignalSpy spy(&receiver, &LinkReceiver::linkReceived);

    const QString link = "https://example.org/page?from=child";
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kChildSocket, m_path);
    environment.insert(kChildText, link);
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QSignalSpy finished(&child, &QProcess::finished);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=LinkReceiverChild.SendsTheLinkItWasGiven"});
    ASSERT_TRUE(finished.wait(60000)) << "the sending process did not end";
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toString(), link);
}

// The sending side of DeliversFromAnotherProcess, run in a child process; it does
// nothing unless that test started it.
TEST(LinkReceiverChild, SendsTheLinkItWasGiven)
{
    if (!qEnvironmentVariableIsSet(kChildSocket))
        GTEST_SKIP() << "runs only as the child of DeliversFromAnotherProcess";
    QString error;
    EXPECT_TRUE(LinkReceiver::SendLinkTo(qEnvironmentVariable(kChildSocket),
                                         qEnvironmentVariable(kChildText), &error))
        << error.toStdString();
}
