#include "platform/SqliteStatement.h"

#include <sqlite3.h>

SqliteStatement::SqliteStatement(sqlite3* db, const char* sql)
{
    m_rc = db ? sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) : SQLITE_MISUSE;
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_stmt);
}

bool SqliteStatement::ok() const
{
    return m_stmt != nullptr && m_rc == SQLITE_OK;
}

void SqliteStatement::bind(int index, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void SqliteStatement::bind(int index, qint64 number)
{
    sqlite3_bind_int64(m_stmt, index, number);
}

void SqliteStatement::bindBlob(int index, const QByteArray& data)
{
    // A null pointer would bind NULL; a zero-length value must stay a zero-length blob.
    if (data.isEmpty())
        sqlite3_bind_zeroblob(m_stmt, index, 0);
    else
        sqlite3_bind_blob(m_stmt, index, data.constData(), int(data.size()), SQLITE_TRANSIENT);
}

int SqliteStatement::step()
{
    m_stepRc = m_stmt ? sqlite3_step(m_stmt) : SQLITE_MISUSE;
    return m_stepRc;
}

QString SqliteStatement::text(int column) const
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, column));
}

qint64 SqliteStatement::number(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

QByteArray SqliteStatement::blob(int column) const
{
    const auto* p = static_cast<const char*>(sqlite3_column_blob(m_stmt, column));
    const int size = sqlite3_column_bytes(m_stmt, column);
    return size > 0 ? QByteArray(p, size) : QByteArray("", 0);
}
