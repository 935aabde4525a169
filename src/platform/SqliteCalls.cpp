#include "platform/SqliteCalls.h"

#include <sqlite3.h>

bool SqliteCalls::isDamage(int rc)
{
    const int primary = rc & 0xff;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
}

bool SqliteCalls::isLock(int rc)
{
    const int primary = rc & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

QString SqliteCalls::errorText(sqlite3* db, int rc)
{
    if (db && sqlite3_extended_errcode(db) == rc)
        return QString::fromUtf8(sqlite3_errmsg(db));
    return QString::fromUtf8(sqlite3_errstr(rc));
}

bool SqliteCalls::exec(sqlite3* db, const char* sql, int* rcOut)
{
    const int rc = db ? sqlite3_exec(db, sql, nullptr, nullptr, nullptr) : SQLITE_MISUSE;
    if (rcOut)
        *rcOut = rc;
    return rc == SQLITE_OK;
}

bool SqliteCalls::writeTransaction(
    sqlite3* db, const std::function<bool()>& body, WriteFailure* failure)
{
    auto failed = [&] {
        if (failure && failure->rc == SQLITE_OK) {
            failure->rc = db ? sqlite3_extended_errcode(db) : SQLITE_MISUSE;
            failure->message = errorText(db, failure->rc);
        }
        return false;
    };
    if (db && !sqlite3_get_autocommit(db)) {
        if (!exec(db, "SAVEPOINT one_write"))
            return failed();
        if (!body()) {
            failed();
            exec(db, "ROLLBACK TO one_write");
            exec(db, "RELEASE one_write");
            return false;
        }
        return exec(db, "RELEASE one_write") || failed();
    }
    if (!exec(db, "BEGIN IMMEDIATE"))
        return failed();
    if (!body()) {
        failed();
        exec(db, "ROLLBACK");
        return false;
    }
    if (!exec(db, "COMMIT")) {
        failed();
        exec(db, "ROLLBACK");
        return false;
    }
    return true;
}
