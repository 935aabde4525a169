#include "platform/LinkReceiver.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTimer>
#include <QVariant>
#include <QtEndian>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const char* const kAnsweredProperty = "qm.linkreceiver.answered";
const int kHeaderBytes = 4;

enum class PathState { Missing, OwnSocket, Foreign };

// The socket may sit in the shared /tmp, so anything at the path that is not a socket
// of this user is neither removed, listened on, nor sent to.
PathState inspectPath(const QString& path)
{
    struct stat info {
    };
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return PathState::Missing;
    if (!S_ISSOCK(info.st_mode) || info.st_uid != ::geteuid())
        return PathState::Foreign;
    return PathState::OwnSocket;
}

} // namespace

QString LinkReceiver::noReceiverMessage()
{
    return QStringLiteral("No running Quillmarch to receive the link.");
}

LinkReceiver::LinkReceiver(QObject* parent)
    : LinkReceiver(userSocketPath(), parent)
{
}

LinkReceiver::LinkReceiver(const QString& socketPath, QObject* parent)
    : QObject(parent)
    , m_socketPath(socketPath)
{
}

LinkReceiver::~LinkReceiver()
{
    close();
}

QString LinkReceiver::userSocketPath()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        return QStringLiteral("/tmp/quillmarch-link-%1.sock").arg(::geteuid());
    return runtime + QStringLiteral("/quillmarch-link.sock");
}

bool LinkReceiver::isListening() const
{
    return m_server && m_server->isListening();
}

void LinkReceiver::close()
{
    if (!m_server)
        return;
    // Closing removes the socket file, so the next instance starts clean.
    m_server->close();
    delete m_server;
    m_server = nullptr;
}

Result<> LinkReceiver::listen()
{
    if (isListening())
        return Result<>::ok();
    switch (inspectPath(m_socketPath)) {
    case PathState::Foreign:
        return Result<>::failed(
            QStringLiteral("Cannot receive links: %1 exists and is not a socket "
                           "belonging to this user.")
                .arg(m_socketPath));
    case PathState::OwnSocket: {
        QLocalSocket probe;
        probe.connectToServer(m_socketPath);
        if (probe.waitForConnected(1000)) {
            probe.abort();
            return Result<>::failed(QStringLiteral("Another Quillmarch is already receiving links "
                                                   "on %1.")
                                        .arg(m_socketPath));
        }
        // Nobody answers: an instance ended without closing its socket.
        if (!QLocalServer::removeServer(m_socketPath)) {
            return Result<>::failed(
                QStringLiteral("Cannot remove the stale link socket %1.").arg(m_socketPath));
        }
        break;
    }
    case PathState::Missing:
        break;
    }

    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    // An instance that started between the probe and here makes this fail: the file
    // exists, and listen never replaces it.
    if (!server->listen(m_socketPath)) {
        const QString reason = server->errorString();
        delete server;
        return Result<>::failed(
            QStringLiteral("Cannot receive links on %1: %2").arg(m_socketPath, reason));
    }
    m_server = server;
    connect(m_server, &QLocalServer::newConnection, this, &LinkReceiver::onNewConnection);
    return Result<>::ok();
}

void LinkReceiver::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        auto* timer = new QTimer(socket);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, socket, &QLocalSocket::abort);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        timer->start(m_readTimeoutMs);
        onReadyRead(socket);
    }
}

void LinkReceiver::onReadyRead(QLocalSocket* socket)
{
    if (socket->property(kAnsweredProperty).toBool())
        return;
    if (socket->bytesAvailable() < kHeaderBytes)
        return;
    const QByteArray header = socket->peek(kHeaderBytes);
    const auto kind = static_cast<Kind>(header.at(0));
    const quint32 length = qFromBigEndian<quint32>(header.constData()) & 0xffffff;
    if (kind == Kind::Raise && length == 0) {
        socket->skip(kHeaderBytes);
        finish(socket, '1');
        emit raiseRequested();
        return;
    }
    if ((kind != Kind::Link && kind != Kind::Text) || length == 0
        || length > static_cast<quint32>(kMaxLinkBytes)) {
        finish(socket, '0');
        return;
    }
    if (socket->bytesAvailable() < kHeaderBytes + static_cast<qint64>(length))
        return;
    socket->skip(kHeaderBytes);
    const QByteArray bytes = socket->read(length);

    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder(bytes);
    if (decoder.hasError()) {
        finish(socket, '0');
        return;
    }
    if (kind == Kind::Text) {
        finish(socket, '1');
        emit textReceived(text);
        return;
    }
    if (m_acceptor) {
        // The acceptor only queues the link; what it sets off runs later.
        finish(socket, m_acceptor(text) ? '1' : '2');
        return;
    }
    // Answer first: whatever the link sets off must not keep the sender waiting.
    finish(socket, '1');
    emit linkReceived(text);
}

void LinkReceiver::finish(QLocalSocket* socket, char answer)
{
    socket->setProperty(kAnsweredProperty, true);
    if (auto* timer = socket->findChild<QTimer*>())
        timer->stop();
    socket->write(&answer, 1);
    socket->flush();
    socket->disconnectFromServer();
}

Result<> LinkReceiver::sendLink(const QString& text, int timeoutMs)
{
    return sendLinkTo(userSocketPath(), text, timeoutMs);
}

Result<> LinkReceiver::sendLinkTo(const QString& socketPath, const QString& text, int timeoutMs)
{
    return sendTo(socketPath, Kind::Link, text, timeoutMs);
}

Result<> LinkReceiver::sendTo(
    const QString& socketPath, Kind kind, const QString& text, int timeoutMs)
{
    const QByteArray bytes = kind == Kind::Raise ? QByteArray() : text.toUtf8();
    if (bytes.isEmpty() && kind != Kind::Raise) {
        return Result<>::failed(QStringLiteral("There is no link to send."));
    }
    if (bytes.size() > kMaxLinkBytes) {
        return Result<>::failed(
            QStringLiteral("The %1 is too long to send (more than %2 bytes).")
                .arg(kind == Kind::Link ? QStringLiteral("link") : QStringLiteral("text"),
                    QString::number(kMaxLinkBytes)));
    }
    switch (inspectPath(socketPath)) {
    case PathState::Missing:
        return Result<>::failed(noReceiverMessage());
    case PathState::Foreign:
        return Result<>::failed(
            QStringLiteral("%1 is not a link socket belonging to this user; the "
                           "link was not sent.")
                .arg(socketPath));
    case PathState::OwnSocket:
        break;
    }

    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs)) {
        const auto failure = socket.error();
        if (failure == QLocalSocket::ServerNotFoundError
            || failure == QLocalSocket::ConnectionRefusedError)
            return Result<>::failed(noReceiverMessage());
        return Result<>::failed(
            QStringLiteral("Cannot reach the running Quillmarch: %1").arg(socket.errorString()));
    }

    char header[kHeaderBytes];
    qToBigEndian<quint32>(static_cast<quint32>(bytes.size()), header);
    header[0] = static_cast<char>(kind);
    socket.write(header, kHeaderBytes);
    socket.write(bytes);
    while (socket.bytesToWrite() > 0) {
        if (deadline.hasExpired() || !socket.waitForBytesWritten(deadline.remainingTime())) {
            return Result<>::failed(
                QStringLiteral("The running Quillmarch did not take the link in "
                               "time."));
        }
    }
    while (socket.bytesAvailable() < 1) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(deadline.remainingTime())) {
            return Result<>::failed(
                QStringLiteral("The running Quillmarch did not confirm the link."));
        }
    }
    char answer = 0;
    socket.getChar(&answer);
    socket.disconnectFromServer();
    if (answer == '2') {
        return Result<>::failed(
            QStringLiteral("The running Quillmarch is busy with the links sent before this "
                           "one; the link was not taken. Send it again later."));
    }
    if (answer != '1') {
        return Result<>::failed(QStringLiteral("The running Quillmarch refused the link."));
    }
    return Result<>::ok();
}
