#pragma once

#include <QByteArray>
#include <QString>

// The hidden file a link's target is received into, ".NAME.part" in the destination
// folder, and its record ".NAME.part.rec": the requested URL, the server's validator
// (ETag or Last-Modified) and the whole file's size. While a link is being fetched the
// job holds an exclusive lock (flock) on the file, so two runs never write one file:
// a run that finds it locked takes ".NAME~2.part" and so on. An interrupted link leaves
// both behind; the next run of the same URL into the folder resumes from them. Both are
// named relative to the folder's open descriptor, which must outlive this object.
class PartialFile final
{
public:
    PartialFile() = default;
    ~PartialFile() { release(); }
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    // Picks and locks the partial file of url for the target name in the folder open as
    // folderFd: one whose record names url is taken to resume from, else a free name.
    // False with error set when none can be created.
    bool open(int folderFd, const QString& name, const QByteArray& url, QString* error);

    // The file's name in the folder (empty when none is open).
    const QByteArray& fileName() const { return m_name; }
    // A path that reaches the very file opened, whatever its name meanwhile.
    QString path() const;
    // Bytes kept from an earlier run to resume from (0 when starting afresh), with the
    // validator and size they came with.
    qint64 keptBytes() const { return m_kept; }
    const QString& validator() const { return m_validator; }
    qint64 total() const { return m_total; }

    // Writes the record for what is being received now (none without a validator).
    void record(const QString& validator, qint64 total);
    // Removes the record before the file is renamed into place: once renamed, its name
    // may already be another run's.
    void dropRecord();
    // Gives the file this modification time (seconds since the epoch; -1 leaves it).
    void setModified(qint64 seconds);
    // Unlocks and forgets the files, leaving them in place (an interrupted link).
    void release();
    // Removes the file (if still there) and its record, then unlocks.
    void remove();

private:
    bool tryCandidate(const QByteArray& name, bool takeAny);

    QByteArray m_name;
    int m_dirFd = -1;
    int m_fd = -1;
    QByteArray m_url;
    QString m_validator;
    qint64 m_total = -1;
    qint64 m_kept = 0;
    bool m_hasRecord = false; // the record beside the file is this one's
};
