#include "tools/store_tool/store_prune.h"

#include "store/statement.h"
#include "tools/store_tool/store_file.h"

#include <QStringList>
#include <algorithm>
#include <sqlite3.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::duration_cast;
using std::chrono::microseconds;

// The oldest blocks the filter selects, at most count of them.
QList<qint64> NextBlocks(StoreFile &store, const BlockFilter &filter, int count)
{
    Statement select(store.Handle(), QStringLiteral("select ID from t__blocks where 1 = 1%1 order by ID limit %2")
                                         .arg(filter.Conditions())
                                         .arg(count));
    QList<qint64> ids;
    while (select.Step())
        ids << sqlite3_column_int64(select.Handle(), 0);
    return ids;
}

struct Batch {
    QList<qint64> blocks;
    qint64 rows = 0;
    microseconds held{0};
};

// Deletes one batch in one transaction, timing how long it held the lock.
Batch DeleteBatch(StoreFile &store, const BlockFilter &filter, int count)
{
    Batch batch;
    store.Execute(QStringLiteral("BEGIN IMMEDIATE"));
    const Clock::time_point locked = Clock::now();
    try {
        batch.blocks = NextBlocks(store, filter, count);
        QStringList ids;
        for (qint64 id : batch.blocks)
            ids << QString::number(id);
        const QString list = ids.join(QLatin1Char(','));
        if (!batch.blocks.isEmpty()) {
            store.Execute(QStringLiteral("delete from t__data where BLOCK_ID in (%1)").arg(list));
            batch.rows = sqlite3_changes64(store.Handle());
            store.Execute(QStringLiteral("delete from t__blocks where ID in (%1)").arg(list));
        }
        store.Execute(QStringLiteral("COMMIT"));
    } catch (...) {
        sqlite3_exec(store.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    batch.held = duration_cast<microseconds>(Clock::now() - locked);
    return batch;
}

// Fewer blocks when a batch held the lock too long, more when it was quick.
int NextBatchSize(int blocks, microseconds held, const PruneLimits &limits)
{
    const microseconds target = limits.targetHold;
    if (held > target)
        return std::max(1, blocks / 2);
    if (held < target / 2)
        return std::min(limits.mostBatchBlocks, blocks * 2);
    return blocks;
}

} // namespace

PruneResult PruneBlocks(StoreFile &store, const BlockFilter &filter, const PruneLimits &limits,
                        const std::function<void(const PruneResult &)> &progress)
{
    PruneResult result;
    const Clock::time_point start = Clock::now();
    int batch = limits.firstBatchBlocks;
    for (;;) {
        const Batch done = DeleteBatch(store, filter, batch);
        if (done.blocks.isEmpty())
            break;
        result.blocks += done.blocks.size();
        result.rows += done.rows;
        result.longestHold = std::max(result.longestHold, done.held);
        result.elapsed = duration_cast<microseconds>(Clock::now() - start);
        if (progress)
            progress(result);
        batch = NextBatchSize(batch, done.held, limits);
        // The program's writes wait for the lock meanwhile: give them a turn.
        std::this_thread::sleep_for(done.held);
    }
    result.elapsed = duration_cast<microseconds>(Clock::now() - start);
    return result;
}
