#include "platform/curl/CurlEngine.h"

#include <QCoreApplication>
#include <algorithm>
#include <csignal>

#include "platform/curl/CurlCall.h"

namespace
{

constexpr int kIdlePollMilliseconds = 250;

void shutDownAtQuit()
{
    CurlEngine::instance().shutdown();
}

template <typename T> void eraseOne(std::vector<T>& list, const T& item)
{
    const auto found = std::find(list.begin(), list.end(), item);
    if (found != list.end())
        list.erase(found);
}

} // namespace

CurlEngine::CurlEngine()
{
    curl_global_init(CURL_GLOBAL_DEFAULT);
    // A file-size limit must fail the write (EFBIG), not end the process.
    std::signal(SIGXFSZ, SIG_IGN);
    m_multi = curl_multi_init();
}

CurlEngine::~CurlEngine()
{
    shutdown();
    curl_multi_cleanup(m_multi);
}

CurlEngine& CurlEngine::instance()
{
    static CurlEngine engine;
    static const bool registered = [] {
        // Requests still running when the application object goes must not post into it.
        qAddPostRoutine(shutDownAtQuit);
        return true;
    }();
    (void)registered;
    return engine;
}

void CurlEngine::ensureRunning()
{
    if (!m_thread.joinable())
        m_thread = std::thread([this] { run(); });
}

bool CurlEngine::onOwnThread() const
{
    return m_thread.joinable() && std::this_thread::get_id() == m_thread.get_id();
}

void CurlEngine::enter(Client* client)
{
    std::lock_guard lock(m_mutex);
    m_clients.push_back(client);
    ensureRunning();
}

void CurlEngine::leave(Client* client)
{
    std::unique_lock lock(m_mutex);
    eraseOne(m_clients, client);
    if (!m_thread.joinable()) {
        client->stop(); // no thread can be using it
        return;
    }
    m_leaving.push_back(client);
    curl_multi_wakeup(m_multi);
    m_changed.wait(lock,
        [&] { return std::find(m_leaving.begin(), m_leaving.end(), client) == m_leaving.end(); });
}

void CurlEngine::start(std::shared_ptr<CurlCall> call)
{
    std::lock_guard lock(m_mutex);
    m_newCalls.push_back(std::move(call));
    ensureRunning();
    curl_multi_wakeup(m_multi);
}

void CurlEngine::wake()
{
    {
        std::lock_guard lock(m_mutex);
        ensureRunning(); // after a stop, new work starts the thread again
    }
    curl_multi_wakeup(m_multi);
}

void CurlEngine::add(CURL* handle, Client* owner)
{
    m_owners[handle] = owner;
    curl_multi_add_handle(m_multi, handle);
}

void CurlEngine::remove(CURL* handle)
{
    if (m_owners.erase(handle) > 0)
        curl_multi_remove_handle(m_multi, handle);
}

void CurlEngine::shutdown()
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_thread.joinable() || onOwnThread())
            return;
        m_stopping = true;
    }
    curl_multi_wakeup(m_multi);
    m_thread.join();
    std::lock_guard lock(m_mutex);
    m_thread = std::thread();
    m_stopping = false;
}

void CurlEngine::run()
{
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping)
                break;
        }
        round();
    }
    stopAll();
}

void CurlEngine::round()
{
    std::vector<Client*> clients;
    std::vector<Client*> leaving;
    {
        std::lock_guard lock(m_mutex);
        clients = m_clients;
        leaving = m_leaving;
    }
    if (!leaving.empty()) {
        // The owner waits: nothing of its requests may hold it up (see stopAll).
        for (const auto& [handle, owner] : m_owners) {
            if (std::find(leaving.begin(), leaving.end(), owner) != leaving.end())
                curl_easy_setopt(handle, CURLOPT_QUICK_EXIT, 1L);
        }
        for (Client* client : leaving)
            client->stop();
        std::lock_guard lock(m_mutex);
        for (Client* client : leaving)
            eraseOne(m_leaving, client);
        m_changed.notify_all();
    }
    serveCalls();
    int timeout = kIdlePollMilliseconds;
    for (Client* client : clients) {
        client->serve();
        timeout = std::min(timeout, client->pollMilliseconds());
    }

    int active = 0;
    curl_multi_perform(m_multi, &active);
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(m_multi, &left)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        CURL* handle = message->easy_handle;
        const CURLcode code = message->data.result;
        if (const auto owner = m_owners.find(handle); owner != m_owners.end()) {
            Client* client = owner->second;
            remove(handle);
            client->ended(handle, code);
            continue;
        }
        const auto call = std::find_if(
            m_calls.begin(), m_calls.end(), [&](const auto& c) { return c->handle() == handle; });
        if (call == m_calls.end())
            continue;
        const std::shared_ptr<CurlCall> ended = *call;
        m_calls.erase(call);
        curl_multi_remove_handle(m_multi, handle);
        ended->end(code);
    }
    curl_multi_poll(m_multi, nullptr, 0, timeout, nullptr);
}

// Adds the calls started since the last round and ends the cancelled ones.
void CurlEngine::serveCalls()
{
    std::vector<std::shared_ptr<CurlCall>> incoming;
    {
        std::lock_guard lock(m_mutex);
        incoming.swap(m_newCalls);
    }
    for (const auto& call : incoming) {
        m_calls.push_back(call);
        curl_multi_add_handle(m_multi, call->handle());
    }
    for (auto it = m_calls.begin(); it != m_calls.end();) {
        if (!(*it)->isCancelled()) {
            ++it;
            continue;
        }
        const std::shared_ptr<CurlCall> call = *it;
        it = m_calls.erase(it);
        curl_multi_remove_handle(m_multi, call->handle());
        call->end(CURLE_ABORTED_BY_CALLBACK);
    }
}

void CurlEngine::stopAll()
{
    std::vector<Client*> clients;
    std::vector<std::shared_ptr<CurlCall>> calls;
    {
        std::lock_guard lock(m_mutex);
        clients = m_clients;
        clients.insert(clients.end(), m_leaving.begin(), m_leaving.end());
        calls.swap(m_newCalls);
    }
    // A request still resolving its host name would otherwise wait for the lookup to
    // end when it is taken out; this way the lookup is left to finish on its own.
    for (const auto& [handle, owner] : m_owners)
        curl_easy_setopt(handle, CURLOPT_QUICK_EXIT, 1L);
    for (const auto& call : m_calls)
        curl_easy_setopt(call->handle(), CURLOPT_QUICK_EXIT, 1L);
    for (Client* client : clients)
        client->stop();
    for (const auto& [handle, owner] : m_owners)
        curl_multi_remove_handle(m_multi, handle);
    m_owners.clear();
    for (const auto& call : m_calls)
        curl_multi_remove_handle(m_multi, call->handle());
    calls.insert(calls.end(), m_calls.begin(), m_calls.end());
    m_calls.clear();
    for (const auto& call : calls)
        call->end(CURLE_ABORTED_BY_CALLBACK);
    std::lock_guard lock(m_mutex);
    m_leaving.clear();
    m_changed.notify_all();
}
