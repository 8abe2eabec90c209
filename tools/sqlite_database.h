#pragma once
// Thin owners of an sqlite3 handle and a prepared statement for the tools that
// write store files directly. Every failure becomes an EDatabaseError.

#include <QString>
#include <sqlite3.h>

class SqliteStatement
{
public:
    SqliteStatement(sqlite3 *db, const char *sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    // Parameters are numbered from 1, as in sqlite3_bind_*.
    void bind(int index, qint64 value);
    void bind(int index, const QString &value);
    // Runs a statement that returns no rows and readies it for the next binding.
    void execute();
    // Steps once: true while a row is available, read with integer() or text().
    bool step();
    qint64 integer(int column) const;
    QString text(int column) const;

private:
    void check(int rc) const;

    sqlite3 *db_;
    sqlite3_stmt *statement_ = nullptr;
};

class SqliteDatabase
{
public:
    // Opens an existing file for reading and writing; never creates one.
    explicit SqliteDatabase(const QString &path);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase &) = delete;
    SqliteDatabase &operator=(const SqliteDatabase &) = delete;

    void execute(const char *sql);
    qint64 lastInsertId() const { return sqlite3_last_insert_rowid(db_); }
    sqlite3 *handle() const { return db_; }
    // Closes now so that failures of the final checkpoint are reported.
    void close();

private:
    sqlite3 *db_ = nullptr;
};

// The message of the database's last error, as an exception.
[[noreturn]] void ThrowSqliteError(sqlite3 *db, const QString &context);
