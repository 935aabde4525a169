#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iostream>
#include <sqlite3.h>
#include <string>
#include <sys/stat.h>

#include "platform/SqliteRegistryStore.h"
#include "settings/CRegSettings.h"

namespace
{

const QString kSection = QStringLiteral("Software\\Corvid Lantern\\Quillmarch\\Shared");

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

class SqliteRegistryStoreTest : public ::testing::Test
{
protected:
    QTemporaryDir m_dir;
    QString m_path = m_dir.filePath(QStringLiteral("registry.sqlite3"));
};

TEST_F(SqliteRegistryStoreTest, SectionsAreCreatedWithParentsAndDeletedWithChildren)
{
    SqliteRegistryStore store(m_path);
    ASSERT_TRUE(store.isOpen());
    EXPECT_FALSE(store.sectionExists(QStringLiteral("Software\\A\\B")));
    ASSERT_TRUE(store.createSection(QStringLiteral("Software\\A\\B\\C")));
    EXPECT_TRUE(store.sectionExists(QStringLiteral("Software")));
    EXPECT_TRUE(store.sectionExists(QStringLiteral("Software\\A\\B")));
    ASSERT_TRUE(store.writeValue(QStringLiteral("Software\\A\\B\\C"),
        RegValue::text(QStringLiteral("v"), QStringLiteral("x"))));

    EXPECT_TRUE(store.deleteSection(QStringLiteral("Software\\A\\B")));
    EXPECT_FALSE(store.sectionExists(QStringLiteral("Software\\A\\B")));
    EXPECT_FALSE(store.sectionExists(QStringLiteral("Software\\A\\B\\C")));
    EXPECT_TRUE(store.values(QStringLiteral("Software\\A\\B\\C")).isEmpty());
    EXPECT_TRUE(store.sectionExists(QStringLiteral("Software\\A")));
    EXPECT_FALSE(store.deleteSection(QStringLiteral("Software\\A\\B")));

    // A section created again starts empty: nothing of the deleted one comes back.
    ASSERT_TRUE(store.createSection(QStringLiteral("Software\\A\\B\\C")));
    EXPECT_TRUE(store.values(QStringLiteral("Software\\A\\B\\C")).isEmpty());
}

TEST_F(SqliteRegistryStoreTest, ValuesKeepCreationOrderTypeAndBytes)
{
    SqliteRegistryStore store(m_path);
    const QString path = QStringLiteral("Software\\X");
    ASSERT_TRUE(store.writeValue(path, RegValue::text(QStringLiteral("b"), QStringLiteral("1"))));
    ASSERT_TRUE(store.writeValue(path, RegValue::number(QStringLiteral("a"), 0x01020304)));
    ASSERT_TRUE(store.writeValue(path, RegValue { QStringLiteral("z"), RegValueType::Text, {} }));
    ASSERT_TRUE(store.writeValue(path, RegValue::text(QStringLiteral("B"), QStringLiteral("22"))));

    // Names compare without letter case, so "B" rewrote "b" in place and kept its name.
    const QList<RegValue> expected {
        { QStringLiteral("b"), RegValueType::Text, QByteArray("22\0", 3) },
        { QStringLiteral("a"), RegValueType::Number, QByteArray("\x04\x03\x02\x01", 4) },
        { QStringLiteral("z"), RegValueType::Text, QByteArray() },
    };
    EXPECT_EQ(store.values(path), expected);
    EXPECT_EQ(store.readValue(QStringLiteral("software\\x"), QStringLiteral("A")), expected[1]);

    EXPECT_TRUE(store.deleteValue(path, QStringLiteral("a")));
    EXPECT_FALSE(store.deleteValue(path, QStringLiteral("a")));
    EXPECT_FALSE(store.readValue(path, QStringLiteral("a")).has_value());
    ASSERT_TRUE(store.writeValue(path, RegValue::text(QStringLiteral("a"), QStringLiteral("new"))));
    EXPECT_EQ(store.values(path).last().name, QStringLiteral("a"));
}

TEST_F(SqliteRegistryStoreTest, DataSurvivesReopening)
{
    // A zero-byte file is an empty database, not a damaged one.
    writeAll(m_path, QByteArray());
    {
        SqliteRegistryStore store(m_path);
        ASSERT_TRUE(
            store.writeValue(kSection, RegValue::text(QStringLiteral("k"), QStringLiteral("v"))));
    }
    SqliteRegistryStore again(m_path);
    EXPECT_EQ(again.readValue(kSection, QStringLiteral("k"))->data, QByteArray("v\0", 2));
    EXPECT_TRUE(again.recoveryNotice().isEmpty());
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files),
        QStringList { QStringLiteral("registry.sqlite3") });
}

// A real database cut short, and bytes that never were one: both are moved aside, the
// store starts empty and works, and the notice names the moved file once.
TEST_F(SqliteRegistryStoreTest, DamagedFileIsMovedAsideAndReplaced)
{
    {
        SqliteRegistryStore seed(m_path);
        for (int i = 0; i < 12; ++i)
            ASSERT_TRUE(seed.writeValue(kSection,
                RegValue::text(QStringLiteral("Key %1").arg(i), QString(3000, QLatin1Char('x')))));
    }
    const QByteArray realDatabase = readAll(m_path);
    ASSERT_GT(realDatabase.size(), 5 * 4096);

    struct Row {
        const char* name;
        QByteArray bytes;
    };
    const Row rows[] = {
        { "garbage", QByteArray("This is not a database at all.\n").repeated(200) },
        { "truncated to a third", realDatabase.left(realDatabase.size() / 3) },
        { "truncated inside the header", realDatabase.left(60) },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (const QString& old : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(m_dir.filePath(old));
        writeAll(m_path, row.bytes);

        QString aside;
        {
            SqliteRegistryStore store(m_path);
            ASSERT_TRUE(store.isOpen());
            aside = store.movedAsidePath();
            ASSERT_FALSE(aside.isEmpty());
            EXPECT_TRUE(QFileInfo(aside).fileName().startsWith(
                QStringLiteral("registry.sqlite3.corrupt-")));
            EXPECT_EQ(readAll(aside), row.bytes);
            EXPECT_TRUE(store.recoveryNotice().contains(QDir::toNativeSeparators(aside)))
                << store.recoveryNotice().toStdString();

            EXPECT_TRUE(store.values(kSection).isEmpty());
            ASSERT_TRUE(store.writeValue(
                kSection, RegValue::text(QStringLiteral("k"), QStringLiteral("v"))));
            EXPECT_EQ(store.readValue(kSection, QStringLiteral("k"))->data, QByteArray("v\0", 2));
        }
        SqliteRegistryStore reopened(m_path);
        EXPECT_TRUE(reopened.recoveryNotice().isEmpty());
        EXPECT_EQ(reopened.values(kSection).size(), 1);
        // Kept for the window's next start, whichever process moved the file.
        EXPECT_TRUE(reopened.pendingNotice().contains(QDir::toNativeSeparators(aside)));
        reopened.clearPendingNotice();
        EXPECT_TRUE(reopened.pendingNotice().isEmpty());
    }
}

// Opening a store that is ready only reads it: the file stays byte for byte the same, and
// another process holding the write lock does not stand in the way.
TEST_F(SqliteRegistryStoreTest, OpeningAReadyStoreWritesNothing)
{
    {
        SqliteRegistryStore seed(m_path);
        ASSERT_TRUE(seed.writeValue(kSection, RegValue::text("k", "v")));
    }
    const QByteArray before = readAll(m_path);
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(m_path).constData(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    {
        SqliteRegistryStore reader(m_path);
        EXPECT_EQ(reader.readValue(kSection, "k")->data, QByteArray("v\0", 2));
        EXPECT_TRUE(reader.readOnlyReason().isEmpty());
    }
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    SqliteRegistryStore again(m_path);
    EXPECT_TRUE(again.sectionExists(kSection));
    EXPECT_EQ(readAll(m_path), before);
}

// A store of a newer version, a database of another program and a folder in the file's
// place: read where possible, never written, and the user told once.
TEST_F(SqliteRegistryStoreTest, StoresThatCannotBeWrittenAreLeftAsTheyAreAndToldOnce)
{
    enum class Kind { Newer, Foreign, Folder };
    for (const Kind kind : { Kind::Newer, Kind::Foreign, Kind::Folder }) {
        SCOPED_TRACE(static_cast<int>(kind));
        QTemporaryDir dir;
        const QString path = dir.filePath("registry.sqlite3");
        if (kind == Kind::Folder) {
            ASSERT_TRUE(QDir().mkpath(path));
        } else {
            if (kind == Kind::Newer) {
                SqliteRegistryStore seed(path);
                ASSERT_TRUE(seed.writeValue(kSection, RegValue::text("k", "v")));
            }
            sqlite3* db = nullptr;
            ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
            const char* sql = kind == Kind::Newer ? "PRAGMA user_version = 7"
                                                  : "CREATE TABLE notes (body TEXT)";
            ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_close(db);
        }
        const QByteArray before = readAll(path);

        SqliteRegistryStore store(path);
        if (kind == Kind::Newer) {
            EXPECT_EQ(store.readValue(kSection, "k")->data, QByteArray("v\0", 2));
        }
        QStringList told;
        store.setWriteFailureHandler([&told](const QString& message) { told.append(message); });
        EXPECT_FALSE(store.writeValue(kSection, RegValue::text("k", "changed")));
        EXPECT_FALSE(store.deleteSection(kSection));
        ASSERT_EQ(told.size(), 1);
        EXPECT_TRUE(told[0].contains("cannot save")) << told[0].toStdString();
        EXPECT_EQ(readAll(path), before);
    }
}

TEST_F(SqliteRegistryStoreTest, OpenForUserUsesXdgConfigHomeReadableByItsOwnerOnly)
{
    // An earlier version left the folder and an empty store readable by everyone.
    const QString folder = m_dir.filePath(QStringLiteral("cfg/quillmarch"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
    const QString existing = folder + QStringLiteral("/registry.sqlite3");
    {
        QFile file(existing);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(::chmod(QFile::encodeName(existing).constData(), 0644) == 0);
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("cfg"))));
    const auto store = SqliteRegistryStore::openForUser();
    if (saved.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", saved);

    EXPECT_EQ(
        store->databasePath(), m_dir.filePath(QStringLiteral("cfg/quillmarch/registry.sqlite3")));
    ASSERT_TRUE(
        store->writeValue(kSection, RegValue::text(QStringLiteral("k"), QStringLiteral("v"))));
    EXPECT_TRUE(QFileInfo::exists(store->databasePath()));
    const auto mode = [](const QString& path) {
        struct stat info = {};
        ::stat(QFile::encodeName(path).constData(), &info);
        return info.st_mode & 0777;
    };
    EXPECT_EQ(mode(folder), 0700u);
    EXPECT_EQ(mode(existing), 0600u);
    // A store created afresh is its owner's alone from the start.
    const QString fresh = m_dir.filePath(QStringLiteral("fresh.sqlite3"));
    SqliteRegistryStore created(fresh);
    EXPECT_EQ(mode(fresh), 0600u);
}

// The two-process test starts this test binary again, filtered to the child below, with
// the database path in the environment. The two sides take turns only at the start and
// the end; their writes in between overlap.
const char* const kChildEnv = "QM_REGISTRY_CHILD_DB";
constexpr int kWritesEach = 40;

std::string readLine()
{
    std::string line;
    std::getline(std::cin, line);
    return line;
}

TEST(SqliteRegistryStoreChild, WritesAlongsideParent)
{
    const QString path = qEnvironmentVariable(kChildEnv);
    if (path.isEmpty())
        GTEST_SKIP() << "runs only as the child of TwoProcessesWritingAtOnceLoseNothing";
    CRegSettings settings
        = CRegSettings::forQuillmarch(std::make_shared<SqliteRegistryStore>(path));
    std::cout << "ready" << std::endl;
    ASSERT_EQ(readLine(), "go");
    for (int i = 0; i < kWritesEach; ++i) {
        ASSERT_TRUE(settings.SaveSetting(
            QStringLiteral("Shared"), QStringLiteral("child %1").arg(i), QString::number(i)));
        ASSERT_TRUE(settings.SaveSetting(
            QStringLiteral("Shared"), QStringLiteral("Last"), QStringLiteral("child %1").arg(i)));
    }
    std::cout << "done" << std::endl;
    ASSERT_EQ(readLine(), "check");
    EXPECT_EQ(settings.GetSetting(QStringLiteral("Shared"), QStringLiteral("Last"), QString()),
        QStringLiteral("parent final"));
}

TEST_F(SqliteRegistryStoreTest, TwoProcessesWritingAtOnceLoseNothing)
{
    CRegSettings settings
        = CRegSettings::forQuillmarch(std::make_shared<SqliteRegistryStore>(m_path));
    ASSERT_TRUE(settings.SaveSetting(QStringLiteral("Shared"), QStringLiteral("Last"), QString()));

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildEnv), m_path);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.start(QCoreApplication::applicationFilePath(),
        { QStringLiteral("--gtest_filter=SqliteRegistryStoreChild.WritesAlongsideParent") });
    ASSERT_TRUE(child.waitForStarted());
    QByteArray output;
    auto waitFor = [&](const QByteArray& word) {
        while (!output.contains(word + '\n')) {
            if (!child.waitForReadyRead(-1))
                return false;
            output += child.readAllStandardOutput();
        }
        return true;
    };
    ASSERT_TRUE(waitFor("ready")) << output.toStdString();
    child.write("go\n");
    child.waitForBytesWritten(-1);
    for (int i = 0; i < kWritesEach; ++i) {
        ASSERT_TRUE(settings.SaveSetting(
            QStringLiteral("Shared"), QStringLiteral("parent %1").arg(i), QString::number(i)));
        ASSERT_TRUE(settings.SaveSetting(
            QStringLiteral("Shared"), QStringLiteral("Last"), QStringLiteral("parent %1").arg(i)));
    }
    ASSERT_TRUE(waitFor("done")) << output.toStdString();

    // The child's last write is visible here through the object that was open all along.
    const QString last
        = settings.GetSetting(QStringLiteral("Shared"), QStringLiteral("Last"), QString());
    EXPECT_TRUE(last == QStringLiteral("child %1").arg(kWritesEach - 1)
        || last == QStringLiteral("parent %1").arg(kWritesEach - 1))
        << last.toStdString();
    const auto all = settings.GetAllSettings(QStringLiteral("Shared"));
    ASSERT_EQ(all.size(), 1 + 2 * kWritesEach);
    EXPECT_EQ(all.first().first, QStringLiteral("Last"));
    int nextParent = 0;
    int nextChild = 0;
    for (qsizetype i = 1; i < all.size(); ++i) {
        // Each side's values appear in the order that side created them.
        const QString& name = all[i].first;
        if (name.startsWith(QStringLiteral("parent ")))
            EXPECT_EQ(name, QStringLiteral("parent %1").arg(nextParent++));
        else
            EXPECT_EQ(name, QStringLiteral("child %1").arg(nextChild++));
        EXPECT_EQ(all[i].second, name.section(QLatin1Char(' '), 1));
    }
    EXPECT_EQ(nextParent, kWritesEach);
    EXPECT_EQ(nextChild, kWritesEach);

    ASSERT_TRUE(settings.SaveSetting(
        QStringLiteral("Shared"), QStringLiteral("Last"), QStringLiteral("parent final")));
    child.write("check\n");
    child.closeWriteChannel();
    ASSERT_TRUE(child.waitForFinished(-1));
    output += child.readAllStandardOutput();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0)
        << output.toStdString() << child.readAllStandardError().toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}

} // namespace

// A batch makes several writes one transaction: another connection sees none of them
// until the outermost batch ends, then all of them.
TEST_F(SqliteRegistryStoreTest, BatchedWritesBecomeVisibleTogether)
{
    CRegSettings settings
        = CRegSettings::forQuillmarch(std::make_shared<SqliteRegistryStore>(m_path));
    CRegSettings other = CRegSettings::forQuillmarch(std::make_shared<SqliteRegistryStore>(m_path));
    {
        const auto outer = settings.batch();
        settings.SaveSetting("Options", "On Top", "False");
        {
            const auto inner = settings.batch();
            settings.SaveSetting("Options", "New Window", "1");
        }
        EXPECT_EQ(settings.GetSetting("Options", "New Window", "0"), "1"); // its own writes
        EXPECT_EQ(other.GetSetting("Options", "On Top", "unset"), "unset");
        EXPECT_EQ(other.GetSetting("Options", "New Window", "unset"), "unset");
    }
    EXPECT_EQ(other.GetSetting("Options", "On Top", ""), "False");
    EXPECT_EQ(other.GetSetting("Options", "New Window", ""), "1");

    // Outside a batch every write commits on its own again.
    settings.SaveSetting("Options", "Default Append", "True");
    EXPECT_EQ(other.GetSetting("Options", "Default Append", ""), "True");
}

// Another process holding the write lock (reads still pass) or an exclusive lock (reads
// too are refused): the store waits only its busy timeout, says so once, and saves
// nothing more, not even once the lock is gone.
TEST_F(SqliteRegistryStoreTest, ALockIsWaitedForBrieflyAndEndsWritingForTheSession)
{
    {
        SqliteRegistryStore seed(m_path);
        ASSERT_TRUE(seed.writeValue(kSection, RegValue::text("k", "v")));
    }
    for (const bool exclusive : { false, true }) {
        SCOPED_TRACE(exclusive);
        sqlite3* holder = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(m_path).constData(), &holder), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(holder, exclusive ? "BEGIN EXCLUSIVE" : "BEGIN IMMEDIATE", nullptr,
                      nullptr, nullptr),
            SQLITE_OK);
        QElapsedTimer clock;
        clock.start();
        SqliteRegistryStore store(m_path, 300);
        QStringList told;
        store.setWriteFailureHandler([&told](const QString& message) { told.append(message); });
        const std::optional<RegValue> read = store.readValue(kSection, "k");
        EXPECT_EQ(read.has_value(), !exclusive);
        EXPECT_FALSE(store.writeValue(kSection, RegValue::text("k", "default")));
        EXPECT_FALSE(store.deleteSection(kSection));
        EXPECT_LT(clock.elapsed(), 2000);
        EXPECT_TRUE(store.lockMet());
        sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(holder);

        EXPECT_FALSE(store.writeValue(kSection, RegValue::text("k", "default")));
        ASSERT_EQ(told.size(), 1);
        EXPECT_TRUE(told[0].contains("another program holds the settings file"))
            << told[0].toStdString();
        EXPECT_EQ(SqliteRegistryStore(m_path).readValue(kSection, "k")->data, QByteArray("v\0", 2));
    }
}

// A write refused inside its transaction is told with the reason of the step that failed,
// not with what the rollback after it left behind.
TEST_F(SqliteRegistryStoreTest, AFailedWriteGivesTheReasonOfTheStepThatFailed)
{
    SqliteRegistryStore store(m_path);
    ASSERT_TRUE(store.createSection(kSection));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(m_path).constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                  "CREATE TRIGGER frozen BEFORE INSERT ON section_values "
                  "BEGIN SELECT RAISE(ABORT, 'values are frozen'); END",
                  nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);
    QStringList told;
    store.setWriteFailureHandler([&told](const QString& message) { told.append(message); });
    EXPECT_FALSE(store.writeValue(kSection, RegValue::text("k", "v")));
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains("cannot be written (values are frozen)")) << told[0].toStdString();
}
