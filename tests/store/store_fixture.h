#pragma once
// A fresh store in a temporary working directory, with helpers to add rows
// the way the program's own writes would.

#include "core/exception.h"
#include "store/monitoring_store.h"
#include "store/stored_datetime.h"
#include "tools/store_schema.h"

#include <QDir>
#include <QTemporaryDir>
#include <sqlite3.h>

class StoreFixture {
public:
    // StoreExtras::None: a store as an earlier tarvenix-newdb made it.
    explicit StoreFixture(StoreExtras extras = StoreExtras::Summaries) : previous_(QDir::currentPath())
    {
        QDir::setCurrent(dir_.path());
        CreateStore(dir_.filePath(QStringLiteral("Tarvenix.mdb")), {}, extras);
    }
    ~StoreFixture() { QDir::setCurrent(previous_); }

    QString Path() const { return dir_.filePath(QStringLiteral("Tarvenix.mdb")); }

    // Runs SQL on a separate connection, as another program would.
    void Sql(const QString &sql) const
    {
        sqlite3 *db = nullptr;
        sqlite3_open(Path().toUtf8().constData(), &db);
        char *error = nullptr;
        sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
        const QString message = error ? QString::fromUtf8(error) : QString();
        sqlite3_free(error);
        sqlite3_close(db);
        if (!message.isEmpty())
            qFatal("fixture SQL failed: %s", qPrintable(message));
    }

    qint64 Scalar(const QString &sql) const
    {
        sqlite3 *db = nullptr;
        sqlite3_open(Path().toUtf8().constData(), &db);
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr);
        const qint64 value = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        return value;
    }

    void AddBlock(int blockId, int computerId, const QDateTime &at) const
    {
        Sql(QStringLiteral("insert into t__blocks (ID, COMPUTER_ID, DATETIME) values (%1, %2, %3)")
                .arg(blockId)
                .arg(computerId)
                .arg(StoredDateTime(at)));
    }

    void AddRow(int blockId, int processId, int pid, int memory = 1000) const
    {
        Sql(QStringLiteral("insert into t__data (BLOCK_ID, PROCESS_ID, PID, PARENTPID, MEMORY, PRIORITY, THREADS) "
                           "values (%1, %2, %3, 4, %4, 8, 2)")
                .arg(blockId)
                .arg(processId)
                .arg(pid)
                .arg(memory));
    }

private:
    QString previous_;
    QTemporaryDir dir_;
};
