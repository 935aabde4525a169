#pragma once

#include <QString>
#include <functional>

struct sqlite3;

// The calls on a whole SQLite connection the settings store makes: what a result code
// means, its message, one SQL text run, and writes as transactions.
namespace SqliteCalls
{
// The file is not a database, or a damaged one.
bool isDamage(int rc);
// Another connection holds a lock.
bool isLock(int rc);
// The connection's message for rc while it is the latest, else SQLite's text for it.
QString errorText(sqlite3* db, int rc);
bool exec(sqlite3* db, const char* sql, int* rcOut = nullptr);

// The first failing step of a write: its result code and the connection's message for
// it, both taken before a rollback replaces them.
struct WriteFailure {
    int rc = 0; // SQLITE_OK
    QString message;
};

// Runs `body` inside one write transaction; commits when it returns true, else rolls back.
// Inside a batch (a transaction already open on the connection) the write is a
// savepoint of that transaction and becomes durable with the batch's commit.
bool writeTransaction(
    sqlite3* db, const std::function<bool()>& body, WriteFailure* failure = nullptr);
} // namespace SqliteCalls
