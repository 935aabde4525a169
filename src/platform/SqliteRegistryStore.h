#pragma once

#include <QString>
#include <memory>

#include "settings/IRegistryStore.h"

struct sqlite3;

// IRegistryStore on one SQLite database file (schema in docs/settings.md). Every write is
// one IMMEDIATE transaction; reads run on committed data; nothing is cached between calls.
// A file that is not a readable database is moved aside and replaced by an empty store;
// recoveryNotice() then says so. A store that cannot be opened at all answers every
// call as a failure (no value, empty list, false).
class SqliteRegistryStore final : public IRegistryStore
{
public:
    explicit SqliteRegistryStore(const QString& databasePath);
    ~SqliteRegistryStore() override;
    SqliteRegistryStore(const SqliteRegistryStore&) = delete;
    SqliteRegistryStore& operator=(const SqliteRegistryStore&) = delete;

    // The user's store: $XDG_CONFIG_HOME/quillmarch/registry.sqlite3 (XDG_CONFIG_HOME
    // defaults to ~/.config); the folder is created when missing.
    static std::shared_ptr<SqliteRegistryStore> openForUser();
    static QString userDatabasePath();

    QString databasePath() const { return m_path; }
    bool isOpen() const { return m_db != nullptr; }
    // Empty unless a damaged file was moved aside while opening; then one sentence for
    // the user naming the file it was moved to.
    QString recoveryNotice() const { return m_recoveryNotice; }
    QString movedAsidePath() const { return m_movedAsidePath; }

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

    QString m_path;
    sqlite3* m_db = nullptr;
    QString m_recoveryNotice;
    int m_batchDepth = 0;
    bool m_batchOpen = false;
    QString m_movedAsidePath;
};
