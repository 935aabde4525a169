#include "platform/SqliteRegistryStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/SettingsTable.h"
#include "platform/SqliteCalls.h"
#include "platform/SqliteStatement.h"
#include "settings/CRegSettings.h"
#include "settings/TypedSettings.h"

namespace
{

constexpr int kSchemaVersion = 1;

// The store holds secrets (the aria2 daemon's secret among them): only its owner may
// read it. The file is created 0600 before SQLite opens it (SQLite gives its journal
// the same mode), and one made readable by an earlier version is tightened.
void makeOwnerOnly(const QString& path)
{
    const QByteArray file = QFile::encodeName(path);
    const int fd = ::open(file.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return;
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid()
        && (info.st_mode & 077) != 0)
        ::fchmod(fd, info.st_mode & 0700);
    ::close(fd);
}

// Where a notice for the user waits until the window has shown it: the program's own
// section path, built when first needed (the company and program names are statics of
// another unit).
QString noticeSection()
{
    return CRegSettings(nullptr).keyPath(TypedSettings::section(SettingsTable::SettingsReset));
}

QString resetNoticeKey()
{
    return TypedSettings::key(SettingsTable::SettingsReset);
}

// Rollback journal (the default), not WAL: WAL needs shared memory beside the file and
// does not work on network home folders; with writes this rare its speed buys nothing.
// Every write takes the write lock up front (BEGIN IMMEDIATE) so two writers never
// deadlock upgrading a read lock; the busy timeout makes the later one wait its turn.
const char* const kSchema = R"sql(
CREATE TABLE IF NOT EXISTS sections (
    id        INTEGER PRIMARY KEY,
    parent_id INTEGER REFERENCES sections(id) ON DELETE CASCADE,
    path      TEXT NOT NULL UNIQUE COLLATE NOCASE
);
CREATE INDEX IF NOT EXISTS sections_parent ON sections(parent_id);
CREATE TABLE IF NOT EXISTS section_values (
    id         INTEGER PRIMARY KEY AUTOINCREMENT,
    section_id INTEGER NOT NULL REFERENCES sections(id) ON DELETE CASCADE,
    name       TEXT NOT NULL COLLATE NOCASE,
    type       INTEGER NOT NULL,
    data       BLOB NOT NULL,
    UNIQUE (section_id, name)
);
)sql";

std::optional<qint64> sectionId(sqlite3* db, const QString& path)
{
    SqliteStatement st(db, "SELECT id FROM sections WHERE path = ?1");
    if (!st.ok())
        return std::nullopt;
    st.bind(1, path);
    if (st.step() != SQLITE_ROW)
        return std::nullopt;
    return st.number(0);
}

// Creates the section and its missing parents; call inside a write transaction.
std::optional<qint64> ensureSection(sqlite3* db, const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    const QStringList parts = path.split(QLatin1Char('\\'));
    std::optional<qint64> parent;
    QString prefix;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        prefix = i == 0 ? parts[i] : prefix + QLatin1Char('\\') + parts[i];
        if (auto existing = sectionId(db, prefix)) {
            parent = existing;
            continue;
        }
        SqliteStatement insert(db, "INSERT INTO sections (parent_id, path) VALUES (?1, ?2)");
        if (!insert.ok())
            return std::nullopt;
        if (parent)
            insert.bind(1, *parent);
        insert.bind(2, prefix);
        if (insert.step() != SQLITE_DONE)
            return std::nullopt;
        parent = sqlite3_last_insert_rowid(db);
    }
    return parent;
}

} // namespace

SqliteRegistryStore::SqliteRegistryStore(const QString& databasePath, int busyTimeoutMs)
    : m_path(databasePath)
    , m_busyTimeoutMs(busyTimeoutMs)
{
    if (openDatabase() || !m_db)
        return;
    // The file opened but is not a database we can read: keep it for the user under a
    // name that says what happened, and start again with an empty store.
    moveAsideDamagedFile();
}

SqliteRegistryStore::~SqliteRegistryStore()
{
    closeDatabase();
}

QString SqliteRegistryStore::userDatabasePath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/quillmarch/registry.sqlite3");
}

std::shared_ptr<SqliteRegistryStore> SqliteRegistryStore::openForUser(int busyTimeoutMs)
{
    const QString path = userDatabasePath();
    // The program's own folder is its owner's alone; an older one is tightened.
    const QString folder = QFileInfo(path).absolutePath();
    QDir().mkpath(folder);
    QFile::setPermissions(
        folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return std::make_shared<SqliteRegistryStore>(path, busyTimeoutMs);
}

// Returns false only when the file is damaged; m_db is null when it cannot be opened.
bool SqliteRegistryStore::openDatabase()
{
    makeOwnerOnly(m_path);
    const QByteArray file = QFile::encodeName(m_path);
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(file.constData(), &db,
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close(db);
        return true;
    }
    m_db = db;
    sqlite3_busy_timeout(m_db, m_busyTimeoutMs);
    sqlite3_extended_result_codes(m_db, 1);
    return prepareSchema();
}

void SqliteRegistryStore::closeDatabase()
{
    if (m_db)
        sqlite3_close(m_db);
    m_db = nullptr;
}

bool SqliteRegistryStore::prepareSchema()
{
    int rc = SQLITE_OK;
    if (!SqliteCalls::exec(m_db, "PRAGMA foreign_keys = ON", &rc) && SqliteCalls::isDamage(rc))
        return false;

    // quick_check reads every page, so a truncated file is found here and not later in
    // the middle of the user's work. Another process's lock that keeps the file from
    // being read is no sign of damage: the store is then left as it is.
    {
        SqliteStatement check(m_db, "PRAGMA quick_check");
        if (!check.ok()) {
            if (SqliteCalls::isDamage(check.prepareResult()))
                return false;
            if (noteLock(check.prepareResult()))
                return true;
        } else {
            rc = check.step();
            if (SqliteCalls::isDamage(rc))
                return false;
            if (noteLock(rc))
                return true;
            if (rc == SQLITE_ROW && check.text(0) != QLatin1String("ok"))
                return false;
        }
    }

    // A store that is ready is only read here: a start that reads settings must not wait
    // for another process's write lock. Only an empty file gets the tables, under the
    // write lock (two processes starting at once: one creates them, the other finds them).
    int version = 0;
    {
        SqliteStatement st(m_db, "PRAGMA user_version");
        if (st.ok() && st.step() == SQLITE_ROW)
            version = int(st.number(0));
        if (noteLock(st.result()))
            return true;
    }
    QStringList tables;
    {
        SqliteStatement st(m_db,
            "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'");
        while (st.ok() && st.step() == SQLITE_ROW)
            tables.append(st.text(0));
        if (noteLock(st.result()))
            return true;
    }
    const bool ours = tables.contains(QStringLiteral("sections"))
        && tables.contains(QStringLiteral("section_values"));
    if (version > kSchemaVersion) {
        m_readOnlyReason = QStringLiteral(
            "the settings file \"%1\" was written by a newer version of Quillmarch; this "
            "version reads it but saves no changes, so the newer version's settings stay as "
            "they are")
                               .arg(QDir::toNativeSeparators(m_path));
        return true;
    }
    if (ours)
        return true;
    if (!tables.isEmpty() || version != 0) {
        m_readOnlyReason = QStringLiteral(
            "\"%1\" is a database of another program, not a Quillmarch settings file; "
            "Quillmarch leaves it as it is")
                               .arg(QDir::toNativeSeparators(m_path));
        return true;
    }
    SqliteCalls::WriteFailure failure;
    const bool created = SqliteCalls::writeTransaction(
        m_db,
        [&] {
            if (!SqliteCalls::exec(m_db, kSchema))
                return false;
            const QByteArray pragma = "PRAGMA user_version = " + QByteArray::number(kSchemaVersion);
            return SqliteCalls::exec(m_db, pragma.constData());
        },
        &failure);
    if (created || noteLock(failure.rc))
        return true;
    if (SqliteCalls::isDamage(failure.rc))
        return false;
    m_writeFailure = failure.message;
    return true;
}

void SqliteRegistryStore::setWriteFailureHandler(WriteFailureHandler handler)
{
    m_onWriteFailure = std::move(handler);
    if (!m_readOnlyReason.isEmpty())
        tellWriteFailure(m_readOnlyReason);
    else if (!m_db)
        tellWriteFailure(QStringLiteral("the settings file \"%1\" cannot be opened")
                             .arg(QDir::toNativeSeparators(m_path)));
    else if (!m_writeFailure.isEmpty())
        tellWriteFailure(m_writeFailure);
}

void SqliteRegistryStore::tellWriteFailure(const QString& why) const
{
    if (m_writeFailureTold)
        return;
    if (m_writeFailure.isEmpty())
        m_writeFailure = why;
    if (!m_onWriteFailure)
        return;
    m_writeFailureTold = true;
    m_onWriteFailure(QStringLiteral("Quillmarch cannot save its settings: %1. Changes to "
                                    "settings are not kept after Quillmarch ends.")
                         .arg(m_writeFailure));
}

bool SqliteRegistryStore::noteLock(int rc) const
{
    if (!SqliteCalls::isLock(rc))
        return false;
    if (!m_lockMet) {
        m_lockMet = true;
        // The lock holder may keep it for any time: no later call waits for it again.
        if (m_db)
            sqlite3_busy_timeout(m_db, 0);
        tellWriteFailure(QStringLiteral("another program holds the settings file \"%1\" "
                                        "locked; Quillmarch goes on with the settings it could "
                                        "read")
                             .arg(QDir::toNativeSeparators(m_path)));
    }
    return true;
}

bool SqliteRegistryStore::mayWrite()
{
    if (m_lockMet) {
        tellWriteFailure(QString());
        return false;
    }
    if (m_readOnlyReason.isEmpty() && m_db)
        return true;
    tellWriteFailure(m_readOnlyReason.isEmpty()
            ? QStringLiteral("the settings file \"%1\" cannot be opened")
                  .arg(QDir::toNativeSeparators(m_path))
            : m_readOnlyReason);
    return false;
}

bool SqliteRegistryStore::wrote(bool ok, int rc, const QString& why)
{
    if (!ok && m_db && !noteLock(rc)) {
        // Deleting what is not there is not a failure to save.
        if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
            tellWriteFailure(QStringLiteral("the settings file \"%1\" cannot be written (%2)")
                                 .arg(QDir::toNativeSeparators(m_path), why));
    }
    return ok;
}

QString SqliteRegistryStore::pendingNotice() const
{
    const std::optional<RegValue> value = readValue(noticeSection(), resetNoticeKey());
    if (!value || value->data.isEmpty())
        return {};
    QByteArray text = value->data;
    if (text.endsWith('\0'))
        text.chop(1);
    return QString::fromUtf8(text);
}

void SqliteRegistryStore::clearPendingNotice()
{
    if (m_readOnlyReason.isEmpty())
        deleteValue(noticeSection(), resetNoticeKey());
}

bool SqliteRegistryStore::beginBatch()
{
    if (m_batchDepth++ > 0)
        return m_batchOpen;
    if (!mayWrite())
        return m_batchOpen = false;
    int rc = SQLITE_OK;
    const bool begun = SqliteCalls::exec(m_db, "BEGIN IMMEDIATE", &rc);
    m_batchOpen = wrote(begun, rc, begun ? QString() : SqliteCalls::errorText(m_db, rc));
    return m_batchOpen;
}

bool SqliteRegistryStore::endBatch()
{
    if (m_batchDepth == 0 || --m_batchDepth > 0)
        return m_batchOpen;
    if (!m_batchOpen)
        return false;
    m_batchOpen = false;
    int rc = SQLITE_OK;
    if (SqliteCalls::exec(m_db, "COMMIT", &rc))
        return true;
    const QString why = SqliteCalls::errorText(m_db, rc);
    SqliteCalls::exec(m_db, "ROLLBACK");
    wrote(false, rc, why);
    return false;
}

void SqliteRegistryStore::moveAsideDamagedFile()
{
    closeDatabase();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = m_path + QStringLiteral(".corrupt-") + stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside
            = m_path + QStringLiteral(".corrupt-") + stamp + QLatin1Char('-') + QString::number(n);

    if (!QFile::rename(m_path, aside)) {
        m_recoveryNotice
            = QStringLiteral("The settings file \"%1\" is damaged and could not be moved aside, "
                             "so Quillmarch uses its default settings and cannot save changes.")
                  .arg(QDir::toNativeSeparators(m_path));
        return;
    }
    // A journal left beside the damaged file would otherwise be played into the new one.
    for (const char* suffix : { "-journal", "-wal", "-shm" }) {
        const QString companion = m_path + QLatin1String(suffix);
        if (QFileInfo::exists(companion))
            QFile::rename(companion, aside + QLatin1String(suffix));
    }
    m_movedAsidePath = aside;
    m_recoveryNotice
        = QStringLiteral("The settings file was damaged and has been moved aside to \"%1\"; "
                         "Quillmarch started with default settings.")
              .arg(QDir::toNativeSeparators(aside));

    if (!openDatabase()) {
        closeDatabase();
        return;
    }
    // Kept for the window, whichever process moved the file: it shows the notice at its
    // next start.
    writeValue(noticeSection(), RegValue::text(resetNoticeKey(), m_recoveryNotice));
}

bool SqliteRegistryStore::sectionExists(const QString& path) const
{
    SqliteStatement st(m_db, "SELECT id FROM sections WHERE path = ?1");
    if (st.ok())
        st.bind(1, path);
    const bool found = st.ok() && st.step() == SQLITE_ROW;
    noteLock(st.result());
    return found;
}

// One write transaction, refused without a try when this store may not write, and
// reported once to the user when it fails.
bool SqliteRegistryStore::writeGuarded(const std::function<bool()>& body)
{
    if (!mayWrite())
        return false;
    SqliteCalls::WriteFailure failure;
    const bool ok = SqliteCalls::writeTransaction(m_db, body, &failure);
    return wrote(ok, failure.rc, failure.message);
}

bool SqliteRegistryStore::createSection(const QString& path)
{
    return writeGuarded([&] { return ensureSection(m_db, path).has_value(); });
}

std::optional<RegValue> SqliteRegistryStore::readValue(
    const QString& path, const QString& name) const
{
    SqliteStatement st(m_db,
        "SELECT v.name, v.type, v.data FROM section_values v "
        "JOIN sections s ON s.id = v.section_id "
        "WHERE s.path = ?1 AND v.name = ?2");
    if (!st.ok()) {
        noteLock(st.result());
        return std::nullopt;
    }
    st.bind(1, path);
    st.bind(2, name);
    if (st.step() != SQLITE_ROW) {
        noteLock(st.result());
        return std::nullopt;
    }
    return RegValue { st.text(0), RegValueType(st.number(1)), st.blob(2) };
}

bool SqliteRegistryStore::writeValue(const QString& path, const RegValue& value)
{
    return writeGuarded([&] {
        const auto id = ensureSection(m_db, path);
        if (!id)
            return false;
        // An existing value is updated in place, so it keeps its row and its place
        // in the creation order.
        SqliteStatement st(m_db,
            "INSERT INTO section_values (section_id, name, type, data) "
            "VALUES (?1, ?2, ?3, ?4) "
            "ON CONFLICT (section_id, name) DO UPDATE "
            "SET type = excluded.type, data = excluded.data");
        if (!st.ok())
            return false;
        st.bind(1, *id);
        st.bind(2, value.name);
        st.bind(3, qint64(value.type));
        st.bindBlob(4, value.data);
        return st.step() == SQLITE_DONE;
    });
}

QList<RegValue> SqliteRegistryStore::values(const QString& path) const
{
    QList<RegValue> result;
    SqliteStatement st(m_db,
        "SELECT v.name, v.type, v.data FROM section_values v "
        "JOIN sections s ON s.id = v.section_id "
        "WHERE s.path = ?1 ORDER BY v.id");
    if (!st.ok()) {
        noteLock(st.result());
        return result;
    }
    st.bind(1, path);
    while (st.step() == SQLITE_ROW)
        result.append(RegValue { st.text(0), RegValueType(st.number(1)), st.blob(2) });
    noteLock(st.result());
    return result;
}

bool SqliteRegistryStore::deleteValue(const QString& path, const QString& name)
{
    return writeGuarded([&] {
        SqliteStatement st(m_db,
            "DELETE FROM section_values WHERE name = ?2 AND section_id = "
            "(SELECT id FROM sections WHERE path = ?1)");
        if (!st.ok())
            return false;
        st.bind(1, path);
        st.bind(2, name);
        return st.step() == SQLITE_DONE && sqlite3_changes(m_db) > 0;
    });
}

bool SqliteRegistryStore::deleteSection(const QString& path)
{
    // The foreign keys remove the section's values and the sections below it.
    return writeGuarded([&] {
        SqliteStatement st(m_db, "DELETE FROM sections WHERE path = ?1");
        if (!st.ok())
            return false;
        st.bind(1, path);
        return st.step() == SQLITE_DONE && sqlite3_changes(m_db) > 0;
    });
}
