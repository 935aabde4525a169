#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

struct sqlite3;
struct sqlite3_stmt;

// A prepared statement that finalizes itself.
class SqliteStatement final
{
public:
    SqliteStatement(sqlite3* db, const char* sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool ok() const;
    int prepareResult() const { return m_rc; }

    void bind(int index, const QString& text);
    void bind(int index, qint64 number);
    void bindBlob(int index, const QByteArray& data);
    int step();
    // The result of the last step, or of preparing when that failed or nothing stepped.
    int result() const { return ok() ? m_stepRc : m_rc; }

    QString text(int column) const;
    qint64 number(int column) const;
    QByteArray blob(int column) const;

private:
    sqlite3_stmt* m_stmt = nullptr;
    int m_rc = 0; // SQLITE_OK
    int m_stepRc = 0; // SQLITE_OK
};
