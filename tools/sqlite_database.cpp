#include "tools/sqlite_database.h"

#include "core/exception.h"

#include <QFile>

void ThrowSqliteError(sqlite3 *db, const QString &context)
{
    throw EDatabaseError(context + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(db)));
}

SqliteStatement::SqliteStatement(sqlite3 *db, const char *sql) : db_(db)
{
    if (sqlite3_prepare_v2(db_, sql, -1, &statement_, nullptr) != SQLITE_OK)
        ThrowSqliteError(db_, QString::fromUtf8(sql));
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(statement_);
}

void SqliteStatement::check(int rc) const
{
    if (rc != SQLITE_OK) ThrowSqliteError(db_, QString::fromUtf8(sqlite3_sql(statement_)));
}

void SqliteStatement::bind(int index, qint64 value)
{
    check(sqlite3_bind_int64(statement_, index, value));
}

void SqliteStatement::bind(int index, const QString &value)
{
    const QByteArray utf8 = value.toUtf8();
    check(
        sqlite3_bind_text(statement_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT));
}

void SqliteStatement::execute()
{
    if (sqlite3_step(statement_) != SQLITE_DONE)
        ThrowSqliteError(db_, QString::fromUtf8(sqlite3_sql(statement_)));
    sqlite3_reset(statement_);
}

bool SqliteStatement::step()
{
    const int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) ThrowSqliteError(db_, QString::fromUtf8(sqlite3_sql(statement_)));
    return false;
}

qint64 SqliteStatement::integer(int column) const
{
    return sqlite3_column_int64(statement_, column);
}

QString SqliteStatement::text(int column) const
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement_, column)));
}

SqliteDatabase::SqliteDatabase(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    if (sqlite3_open_v2(name.constData(), &db_, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK)
        return;
    const QString message = QString::fromUtf8(sqlite3_errmsg(db_));
    sqlite3_close(db_);
    db_ = nullptr;
    throw EDatabaseError(path + QStringLiteral(": ") + message);
}

SqliteDatabase::~SqliteDatabase()
{
    sqlite3_close(db_);
}

void SqliteDatabase::execute(const char *sql)
{
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        ThrowSqliteError(db_, QString::fromUtf8(sql));
}

void SqliteDatabase::close()
{
    if (sqlite3_close(db_) != SQLITE_OK) ThrowSqliteError(db_, QStringLiteral("close"));
    db_ = nullptr;
}
