#pragma once

#include <condition_variable>
#include <curl/curl.h>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

class CurlCall;

// The one libcurl worker of the process: one thread running one multi handle, through
// which every request of the program goes (downloads, content-type checks, redirect
// resolution, the aria2 daemon's calls). Nothing blocks on the network: the thread sleeps
// in the multi handle until a socket, a timer or a wake-up needs it.
//
// Work reaches the thread in two ways: a Client (a service with its own bookkeeping, such
// as the transfer service) is asked each round for what it has to start or end, and a
// CurlCall is a single request with a callback for its end.
//
// When the application quits (or the process ends) the engine stops: every request still
// running is ended at once, each client's stop() runs, and the thread is joined. A round
// never waits on the network, so the stop takes one round at most.
class CurlEngine final
{
public:
    // A service running requests on the engine's thread. Every member is called on it.
    class Client
    {
    public:
        virtual ~Client() = default;
        // Each round, before the multi handle runs: start new work, end cancelled work.
        virtual void serve() = 0;
        // A request this client added has ended with code (its handle is out of the multi
        // handle again).
        virtual void ended(CURL* handle, CURLcode code) = 0;
        // The client leaves or the engine stops: end every request now.
        virtual void stop() = 0;
        // How long the thread may sleep while this client has requests running.
        virtual int pollMilliseconds() const { return 250; }
    };

    CurlEngine(const CurlEngine&) = delete;
    CurlEngine& operator=(const CurlEngine&) = delete;
    ~CurlEngine();

    // The process's engine; libcurl is initialised with it.
    static CurlEngine& instance();

    // From any thread. A client takes part in every round from the next one on.
    void enter(Client* client);
    // From any thread but the engine's: returns once the engine no longer calls client
    // and its stop() has run.
    void leave(Client* client);
    // Runs call; its end callback runs on the engine's thread. From any thread.
    void start(std::shared_ptr<CurlCall> call);
    // Makes the thread run a round now (new work, a cancel). From any thread.
    void wake();

    // On the engine's thread only: a client's requests in and out of the multi handle.
    void add(CURL* handle, Client* owner);
    void remove(CURL* handle);

    // Ends everything still running and joins the thread; the next request starts it
    // again. Called when the application quits.
    void shutdown();

private:
    CurlEngine();
    void ensureRunning();
    void run();
    void round();
    void serveCalls();
    void stopAll();
    bool onOwnThread() const;

    CURLM* m_multi = nullptr;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_stopping = false;
    std::vector<Client*> m_clients; // guarded by m_mutex; the thread copies it each round
    std::vector<Client*> m_leaving; // guarded: stop() still to run
    std::vector<std::shared_ptr<CurlCall>> m_newCalls; // guarded
    // The thread's own.
    std::unordered_map<CURL*, Client*> m_owners;
    std::vector<std::shared_ptr<CurlCall>> m_calls;
};
