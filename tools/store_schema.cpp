#include "tools/store_schema.h"

#include "core/exception.h"
#include "tools/planner_statistics.h"
#include "tools/sqlite_database.h"
#include "tools/store_summaries.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <filesystem>

namespace
{

// Declared types matter: the data layer maps them to its field types.
// AUTOINCREMENT keeps keys from being reused after the highest row is deleted.
constexpr const char *kSchema = R"sql(
BEGIN;
CREATE TABLE t__computers (ID INTEGER PRIMARY KEY AUTOINCREMENT, NAME VARCHAR(15) COLLATE NOCASE);
CREATE TABLE t__blocks (ID INTEGER PRIMARY KEY AUTOINCREMENT, COMPUTER_ID INTEGER,
                        DATETIME DATETIME);
CREATE TABLE t__data (ID INTEGER PRIMARY KEY AUTOINCREMENT, BLOCK_ID INTEGER, PROCESS_ID INTEGER,
                      PID SMALLINT, PARENTPID SMALLINT, MEMORY INTEGER, PRIORITY SMALLINT,
                      THREADS SMALLINT);
CREATE TABLE t__process (ID INTEGER PRIMARY KEY AUTOINCREMENT, NAME VARCHAR(15) COLLATE NOCASE,
                         TYPE_ID INTEGER);
CREATE TABLE t__ptype (ID INTEGER PRIMARY KEY, NAME VARCHAR(20) COLLATE NOCASE);
INSERT INTO t__ptype (ID, NAME) VALUES (1, 'Unknown'), (2, 'System'), (3, 'User'), (4, 'Danger');
CREATE INDEX i__blocks_computer ON t__blocks (COMPUTER_ID, ID);
CREATE INDEX i__blocks_datetime ON t__blocks (DATETIME);
CREATE INDEX i__data_block ON t__data (BLOCK_ID);
CREATE INDEX i__data_process ON t__data (PROCESS_ID);
CREATE INDEX i__process_name ON t__process (NAME);
CREATE INDEX i__process_type ON t__process (TYPE_ID, NAME);
)sql";

void AppendComputers(SqliteDatabase &db, const QStringList &computers)
{
    SqliteStatement insert(db.handle(), "INSERT INTO t__computers (NAME) VALUES (?);");
    for (const QString &name : computers) {
        insert.bind(1, name);
        insert.execute();
    }
}

void FillSchema(const QString &path, const QStringList &computers, StoreExtras extras)
{
    SqliteDatabase db(path);
    // Outside the transaction: the journal mode cannot change inside one.
    db.execute("PRAGMA journal_mode=WAL;");
    db.execute(kSchema);
    if (extras == StoreExtras::Summaries) {
        AddSummaries(db);
        AddPlannerStatistics(db);
    }
    AppendComputers(db, computers);
    db.execute("COMMIT;");
    db.close();
}

[[noreturn]] void ThrowCannotCreate(const QString &path, const QString &reason)
{
    throw Exception(QStringLiteral("Cannot create ") + path + QStringLiteral(": ") + reason);
}

// Takes the name with an exclusive create, so an existing file (or one made by
// another creator meanwhile) is refused and never opened for writing.
void ClaimName(const QString &path)
{
    QFile claim(path);
    if (claim.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return;
    const QFileInfo existing(path);
    if (existing.exists() || existing.isSymLink())
        throw Exception(path + QStringLiteral(" already exists; it was not changed"));
    ThrowCannotCreate(path, claim.errorString());
}

// Built beside the target and moved over the claimed name only when complete,
// so neither a failure nor a crash leaves a partial store under the real name.
void BuildInto(const QString &path, const QStringList &computers, StoreExtras extras)
{
    const QFileInfo target(path);
    QTemporaryFile scratch(target.absoluteFilePath() + QStringLiteral(".XXXXXX"));
    if (!scratch.open()) ThrowCannotCreate(path, scratch.errorString());
    // The process history of a network is for its owner only; the engine
    // gives the store's side files the same mode.
    scratch.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    scratch.close();
    FillSchema(scratch.fileName(), computers, extras);
    std::error_code error;
    std::filesystem::rename(QFileInfo(scratch.fileName()).filesystemFilePath(),
                            target.filesystemFilePath(), error);
    if (error) ThrowCannotCreate(path, QString::fromStdString(error.message()));
    scratch.setAutoRemove(false);
}

} // namespace

void CreateStore(const QString &path, const QStringList &computers, StoreExtras extras)
{
    ClaimName(path);
    try {
        BuildInto(path, computers, extras);
    } catch (...) {
        QFile::remove(path);
        throw;
    }
}
