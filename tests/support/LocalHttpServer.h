#pragma once

#include <QString>
#include <atomic>
#include <chrono>
#include <httplib.h>
#include <string>
#include <thread>

// A real HTTP server on 127.0.0.1 (or another loopback address) and a free port, serving from its
// own thread. Register handlers through server() or page() before start(); the destructor stops it.
class LocalHttpServer final
{
public:
    // The program keeps idle connections for reuse as long as it runs, so stopping would
    // wait out each one's keep-alive: a second is enough for any test.
    LocalHttpServer() { m_server.set_keep_alive_timeout(1); }
    ~LocalHttpServer() { stop(); }
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    httplib::Server& server() { return m_server; }

    // Serves a fixed body under path.
    void page(const std::string& path, const std::string& body,
        const std::string& contentType = "text/html; charset=utf-8")
    {
        m_server.Get(path, [body, contentType](const httplib::Request&, httplib::Response& res) {
            res.set_content(body, contentType.c_str());
        });
    }

    // Returns false when no port could be bound.
    bool start(const std::string& host = "127.0.0.1")
    {
        m_host = host;
        m_port = m_server.bind_to_any_port(host);
        if (m_port <= 0)
            return false;
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        for (int i = 0; i < 5000 && !m_server.is_running(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return m_server.is_running();
    }

    void stop()
    {
        if (m_thread.joinable()) {
            m_server.stop();
            m_thread.join();
        }
    }

    int port() const { return m_port; }
    QString origin() const
    {
        return QStringLiteral("http://%1:%2").arg(QString::fromStdString(m_host)).arg(m_port);
    }
    QString url(const QString& path) const { return origin() + path; }
    std::string originStd() const { return origin().toStdString(); }

private:
    httplib::Server m_server;
    std::thread m_thread;
    std::string m_host;
    int m_port = 0;
};
