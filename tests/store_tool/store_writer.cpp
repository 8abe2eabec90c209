#include "tests/store_tool/store_writer.h"

#include <QElapsedTimer>
#include <chrono>
#include <sqlite3.h>

StoreWriter::StoreWriter(const QString &path, int computerId, qint64 storedTime, int rowsPerBlock)
    : thread_([=, this] { Run(path, computerId, storedTime, rowsPerBlock); })
{
}

StoreWriter::~StoreWriter()
{
    stop_ = true;
    thread_.join();
}

void StoreWriter::Run(QString path, int computerId, qint64 storedTime, int rowsPerBlock)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(db, 5000); // the program's
    const QByteArray block = QStringLiteral("insert into t__blocks (COMPUTER_ID, DATETIME) values (%1, %2)")
                                 .arg(computerId)
                                 .arg(storedTime)
                                 .toUtf8();
    while (!stop_) {
        QElapsedTimer wait;
        wait.start();
        if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
            ++failures_;
            continue;
        }
        longestWaitMs_ = std::max<qint64>(longestWaitMs_, wait.elapsed());
        bool ok = sqlite3_exec(db, block.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
        const qint64 id = sqlite3_last_insert_rowid(db);
        for (int row = 0; ok && row < rowsPerBlock; ++row)
            ok = sqlite3_exec(db,
                              QStringLiteral("insert into t__data (BLOCK_ID, PROCESS_ID, PID, PARENTPID, MEMORY, "
                                             "PRIORITY, THREADS) values (%1, 1, %2, 0, 100, 8, 1)")
                                  .arg(id)
                                  .arg(row)
                                  .toUtf8()
                                  .constData(),
                              nullptr, nullptr, nullptr) == SQLITE_OK;
        ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        if (ok) {
            ++blocks_;
        } else {
            ++failures_;
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    sqlite3_close(db);
}
