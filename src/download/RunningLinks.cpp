#include "download/RunningLinks.h"

#include <algorithm>

#include "download/DownloadRun.h"
#include "download/LinkNaming.h"

RunningLinks::RunningLinks() = default;
RunningLinks::~RunningLinks() = default;

DownloadRun& RunningLinks::add()
{
    m_runs.push_back(std::make_unique<DownloadRun>());
    return *m_runs.back();
}

std::unique_ptr<DownloadRun> RunningLinks::remove(const DownloadRun& run)
{
    const auto it = std::find_if(
        m_runs.begin(), m_runs.end(), [&](const auto& owned) { return owned.get() == &run; });
    if (it == m_runs.end())
        return nullptr;
    std::unique_ptr<DownloadRun> taken = std::move(*it);
    m_runs.erase(it);
    return taken;
}

DownloadRun* RunningLinks::at(int index) const
{
    const auto it = std::find_if(
        m_runs.begin(), m_runs.end(), [&](const auto& run) { return run->index == index; });
    return it != m_runs.end() ? it->get() : nullptr;
}

DownloadRun* RunningLinks::withTransfer(quint64 id) const
{
    if (id == 0)
        return nullptr;
    const auto it = std::find_if(
        m_runs.begin(), m_runs.end(), [&](const auto& run) { return run->transferId == id; });
    return it != m_runs.end() ? it->get() : nullptr;
}

DownloadRun* RunningLinks::latestNamed() const
{
    const auto it = std::find_if(
        m_runs.rbegin(), m_runs.rend(), [](const auto& run) { return run->state->named; });
    return it != m_runs.rend() ? it->get() : nullptr;
}

QStringList RunningLinks::hosts() const
{
    QStringList hosts;
    for (const auto& run : m_runs)
        hosts.append(run->host);
    return hosts;
}

bool RunningLinks::reserved(const DownloadRun& run, const QString& name) const
{
    return std::any_of(m_runs.begin(), m_runs.end(), [&](const auto& other) {
        return other.get() != &run && other->state->named && other->folder() == run.folder()
            && other->file() == name;
    });
}

QString RunningLinks::unreserved(const DownloadRun& run, const QString& name) const
{
    return LinkNaming::unreserved(
        name, [&](const QString& candidate) { return reserved(run, candidate); });
}

bool RunningLinks::held(const QString& folder, const QString& name) const
{
    return std::any_of(m_runs.begin(), m_runs.end(), [&](const auto& run) {
        return run->folder() == folder && (run->baseName == name || run->file() == name);
    });
}
