#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

struct DownloadRun;

// The links of a download job running now, in the order started, and the names they
// hold, so two links never race for one file: a link waits while its name is held and
// takes a numbered name when another link holds the one it chose. Every question costs
// the number of running links, not of all links.
class RunningLinks final
{
public:
    using Runs = std::vector<std::unique_ptr<DownloadRun>>;

    RunningLinks();
    ~RunningLinks();

    int size() const { return static_cast<int>(m_runs.size()); }
    bool empty() const { return m_runs.empty(); }
    Runs::const_iterator begin() const { return m_runs.begin(); }
    Runs::const_iterator end() const { return m_runs.end(); }

    DownloadRun& add();
    // Takes the run out; it lives on in the pointer returned.
    std::unique_ptr<DownloadRun> remove(const DownloadRun& run);
    // The run of the link at index, of the transfer with id; nullptr when none.
    DownloadRun* at(int index) const;
    DownloadRun* withTransfer(quint64 id) const;
    // The most recently started run whose name is decided; nullptr when none.
    DownloadRun* latestNamed() const;
    QStringList hosts() const;

    // Another running link whose name is decided holds name in run's folder.
    bool reserved(const DownloadRun& run, const QString& name) const;
    // name, else name numbered (1), (2)... free of the names other running links hold.
    QString unreserved(const DownloadRun& run, const QString& name) const;
    // A running link started from name in folder or holds it now.
    bool held(const QString& folder, const QString& name) const;

private:
    Runs m_runs;
};
