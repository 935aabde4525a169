#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "core/Result.h"

class QLocalServer;
class QLocalSocket;

// Accepts links sent to a running Quillmarch by another process (`quillmarch --send-link
// URL`) on a per-user local socket that only the user can connect to.
//
// A second `quillmarch` uses the same socket to hand its command line (or, without one,
// a request to come forward) to the first.
//
// Wire format, one message per connection: a 4-byte header, the message's Kind in its
// first byte and the length in bytes of its text in the other three (big-endian), then
// the text as UTF-8; the receiver answers one byte, '1' when it took the message, '0'
// when it refused it (an unknown kind; a link or text that is empty, longer than
// kMaxLinkBytes, or not valid UTF-8) and '2' when the acceptor turned a link away (too
// many links waiting), and closes the connection. A sender that stays silent longer than the
// read timeout is disconnected.
class LinkReceiver final : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMaxLinkBytes = 64 * 1024;
    static constexpr int kDefaultReadTimeoutMs = 5000;
    // Link: harvest the page; Text: build the list from it as from the program's own
    // command line; Raise: bring the window forward (no text).
    enum class Kind : quint8 { Link = 0, Text = 1, Raise = 2 };

    // Listens on userSocketPath().
    explicit LinkReceiver(QObject* parent = nullptr);
    // Listens on the given socket path (tests, or a second profile).
    explicit LinkReceiver(const QString& socketPath, QObject* parent = nullptr);
    ~LinkReceiver() override;

    // Starts listening. Removes a stale socket left by an instance that ended without
    // closing it, but never takes over a live one: when another instance is listening,
    // or the path is held by something that is not this user's socket, it fails and
    // says why.
    Result<> listen();
    bool isListening() const;
    void close();
    QString socketPath() const { return m_socketPath; }
    void setReadTimeout(int ms) { m_readTimeoutMs = ms; }
    // Decides whether a well-formed link is taken; when it answers false the sender is
    // told the program is busy and linkReceived is not emitted. Without one every
    // well-formed link is taken.
    using Acceptor = std::function<bool(const QString& text)>;
    void setAcceptor(Acceptor acceptor) { m_acceptor = std::move(acceptor); }

    // The per-user socket: in the XDG runtime directory, else /tmp with the user id in
    // the name.
    static QString userSocketPath();
    // Delivers one link to the running instance; ok when it acknowledged it, else failed
    // with the reason, e.g. "No running Quillmarch to receive the link." Blocks the
    // calling thread up to about timeoutMs.
    static Result<> sendLink(const QString& text, int timeoutMs = 5000);
    static Result<> sendLinkTo(
        const QString& socketPath, const QString& text, int timeoutMs = 5000);
    static Result<> sendTo(
        const QString& socketPath, Kind kind, const QString& text, int timeoutMs = 5000);
    // The reason the send functions give when no instance listens.
    static QString noReceiverMessage();

signals:
    void linkReceived(const QString& text);
    void textReceived(const QString& text);
    void raiseRequested();

private:
    void onNewConnection();
    void onReadyRead(QLocalSocket* socket);
    void finish(QLocalSocket* socket, char answer);

    QString m_socketPath;
    QLocalServer* m_server = nullptr;
    int m_readTimeoutMs = kDefaultReadTimeoutMs;
    Acceptor m_acceptor;
};
