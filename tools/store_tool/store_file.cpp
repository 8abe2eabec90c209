#include "tools/store_tool/store_file.h"

#include "store/statement.h"
#include "store/store_tables.h"

#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

StoreFile::StoreFile(const QString &path, Access access, int waitSeconds) : path_(path), waitSeconds_(waitSeconds)
{
    const QFileInfo file(path);
    if (!file.exists())
        throw EDatabaseError(QStringLiteral("There is no store at %1").arg(path));
    if (!file.isFile())
        throw EDatabaseError(QStringLiteral("%1 is not a file").arg(path));
    const int flags = access == Access::Write ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, flags, nullptr) != SQLITE_OK) {
        const QString reason = QString::fromUtf8(sqlite3_errmsg(db_));
        sqlite3_close(db_);
        db_ = nullptr;
        throw EDatabaseError(QStringLiteral("Cannot open %1: %2").arg(path, reason));
    }
    sqlite3_busy_timeout(db_, waitSeconds * 1000);
    try {
        Run([this] { CheckTables(); });
        if (access == Access::Write) // as safe as FULL in write-ahead mode, and a flush less per batch
            Execute(QStringLiteral("PRAGMA synchronous=NORMAL"));
    } catch (...) {
        sqlite3_close(db_);
        throw;
    }
}

StoreFile::~StoreFile() { sqlite3_close(db_); }

void StoreFile::CheckTables()
{
    QString missing;
    try {
        missing = MissingStoreTable(db_);
    } catch (const EDatabaseError &error) {
        if ((sqlite3_errcode(db_) & 0xff) == SQLITE_BUSY)
            throw;
        throw EDatabaseError(QStringLiteral("%1 is not a Tarvenix store: %2").arg(path_, error.message()));
    }
    if (!missing.isEmpty())
        throw EDatabaseError(QStringLiteral("%1 is not a Tarvenix store: table %2 is missing").arg(path_, missing));
}

void StoreFile::RethrowNamingTheLock(const EDatabaseError &error) const
{
    if ((sqlite3_errcode(db_) & 0xff) != SQLITE_BUSY)
        throw error;
    throw EDatabaseError(QStringLiteral("%1 is locked by another program; gave up after waiting %2 s (--wait)")
                             .arg(path_)
                             .arg(waitSeconds_));
}

qint64 StoreFile::SizeInBytes() const { return QFileInfo(path_).size(); }

void StoreFile::Execute(const QString &sql)
{
    Statement statement(db_, sql);
    while (statement.Step()) {
    }
}

qint64 StoreFile::Scalar(const QString &sql)
{
    Statement statement(db_, sql);
    return statement.Step() ? sqlite3_column_int64(statement.Handle(), 0) : 0;
}

QList<qint64> StoreFile::ComputerIds(const QString &name)
{
    Statement computers(db_, QStringLiteral("select ID from t__computers where NAME = ?1 order by ID"));
    computers.Bind(1, name);
    QList<qint64> ids;
    while (computers.Step())
        ids << sqlite3_column_int64(computers.Handle(), 0);
    if (ids.isEmpty())
        throw EUsage(QStringLiteral("No computer named '%1' is listed in %2").arg(name, path_));
    return ids;
}
