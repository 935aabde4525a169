#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "settings/IRegistryStore.h"

struct sqlite3;

// IRegistryStore on one SQLite database file (schema in docs/settings.md). Every write is
// one IMMEDIATE transaction; reads run on committed data; nothing is cached between calls.
// Opening a store that is ready takes no write lock. A file that is not a readable
// database is moved aside and replaced by an empty store; recoveryNotice() then says so,
// and the same notice is kept in the new store until the window has shown it
// (pendingNotice). A store written by a newer version, or a database of another program,
// is read where possible and never written (readOnlyReason). A store that cannot be
// opened at all answers every call as a failure (no value, empty list, false). The first
// write that cannot be saved is told to the write-failure handler, once.
//
// A call waits at most busyTimeoutMs for another process's lock. Once a call has given up
// waiting (lockMet), later calls no longer wait and the store writes nothing more: a read
// that was refused answered with a default, and that default must not be saved over
// what the user stored.
class SqliteRegistryStore final : public IRegistryStore
{
public:
    // How long a call waits by default: writes are a few rows each, so any real wait is
    // short; the limit only bounds a stuck peer.
    static constexpr int kDefaultBusyTimeoutMs = 10000;
    // The window waits only a moment on its interface thread; the command-line tool
    // waits a little longer before it gives up.
    static constexpr int kWindowBusyTimeoutMs = 250;
    static constexpr int kCommandLineBusyTimeoutMs = 5000;
    // What the command-line tool says (after its name) when a lock kept it from the
    // settings.
    static QString commandLineLockMessage()
    {
        return QStringLiteral("cannot read the settings: another program holds them locked");
    }

    explicit SqliteRegistryStore(
        const QString& databasePath, int busyTimeoutMs = kDefaultBusyTimeoutMs);
    ~SqliteRegistryStore() override;
    SqliteRegistryStore(const SqliteRegistryStore&) = delete;
    SqliteRegistryStore& operator=(const SqliteRegistryStore&) = delete;

    // The user's store: $XDG_CONFIG_HOME/quillmarch/registry.sqlite3 (XDG_CONFIG_HOME
    // defaults to ~/.config); the folder is created when missing.
    static std::shared_ptr<SqliteRegistryStore> openForUser(
        int busyTimeoutMs = kDefaultBusyTimeoutMs);
    static QString userDatabasePath();

    QString databasePath() const { return m_path; }
    bool isOpen() const { return m_db != nullptr; }
    // Empty unless a damaged file was moved aside while opening; then one sentence for
    // the user naming the file it was moved to.
    QString recoveryNotice() const { return m_recoveryNotice; }
    QString movedAsidePath() const { return m_movedAsidePath; }
    // Why nothing is written to this store; empty when writes are allowed.
    QString readOnlyReason() const { return m_readOnlyReason; }
    // A call gave up waiting for another process's lock.
    bool lockMet() const { return m_lockMet; }
    // A notice about this store the user has not seen yet (a reset by any process);
    // clearPendingNotice once it was shown.
    QString pendingNotice() const override;
    void clearPendingNotice() override;
    void setWriteFailureHandler(WriteFailureHandler handler) override;

    bool sectionExists(const QString& path) const override;
    bool createSection(const QString& path) override;
    std::optional<RegValue> readValue(const QString& path, const QString& name) const override;
    bool writeValue(const QString& path, const RegValue& value) override;
    QList<RegValue> values(const QString& path) const override;
    bool deleteValue(const QString& path, const QString& name) override;
    bool deleteSection(const QString& path) override;
    bool beginBatch() override;
    bool endBatch() override;

private:
    bool openDatabase();
    void closeDatabase();
    bool prepareSchema();
    void moveAsideDamagedFile();
    // A write's guard and its failure report.
    bool mayWrite();
    bool wrote(bool ok, int rc, const QString& why);
    bool writeGuarded(const std::function<bool()>& body);
    void tellWriteFailure(const QString& why) const;
    // Notes a result code of a call; true when it says another process holds a lock.
    bool noteLock(int rc) const;

    QString m_path;
    sqlite3* m_db = nullptr;
    QString m_recoveryNotice;
    int m_batchDepth = 0;
    bool m_batchOpen = false;
    QString m_movedAsidePath;
    QString m_readOnlyReason;
    int m_busyTimeoutMs = kDefaultBusyTimeoutMs;
    // Reads are const but may meet a lock, which ends writing and is told to the user.
    mutable bool m_lockMet = false;
    WriteFailureHandler m_onWriteFailure;
    mutable QString m_writeFailure; // the first failure, kept until a handler hears it
    mutable bool m_writeFailureTold = false;
};
