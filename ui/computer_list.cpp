#include "ui/computer_list.h"

#include "core/exception.h"
#include "store/deletion_notice.h"
#include "store/monitoring_store.h"
#include "store/statement.h"
#include "ui/user_prompts.h"

#include <QElapsedTimer>
#include <algorithm>
#include <sqlite3.h>

namespace {

void Rerun(Query &query, std::initializer_list<const char *> params, const QVariant &key)
{
    query.Close();
    for (const char *name : params)
        query.SetParam(QLatin1String(name), key);
    query.Open();
}

// The filter is switched off first and on again after the new text, as the
// table components expect.
void Filter(Table &table, const QString &text)
{
    table.Close();
    table.SetFiltered(false);
    table.SetFilter(text);
    table.SetFiltered(true);
    table.Open();
}

void DeleteFirstBlock(TMonitoringStore &store)
{
    Table &blocks = store.adotBlocks;
    Table &data = store.adotData;
    blocks.First();
    Filter(data, QStringLiteral("BLOCK_ID = %1").arg(blocks.Value(QStringLiteral("ID")).toLongLong()));
    while (!data.IsEmpty())
        data.Delete();
    data.Close();
    data.SetFiltered(false);
    blocks.Delete();
}

// The first `count` blocks go whole, their rows with them, or not at all: a
// failure undoes the slice it happened in; the slices before it stay
// deleted. (A savepoint per block would keep more, but costs as much again as
// the deletion itself.)
void DeleteSlice(TMonitoringStore &store, DeletionNotice &notice, qlonglong computerId, int count,
                 const DeletionProgress &progress)
{
    Table &blocks = store.adotBlocks;
    const int before = blocks.RecordCount();
    count = std::min(count, before);
    const int id = blocks.FieldIndex(QStringLiteral("ID"));
    store.adocMain.BeginTrans();
    // Announced, the blocks leave the summaries at once and their rows go
    // without upkeep one by one.
    notice.Announce(computerId, blocks.ValueAt(0, id).toLongLong(), blocks.ValueAt(count - 1, id).toLongLong());
    for (int block = 0; block < count; ++block)
        DeleteFirstBlock(store);
    store.adocMain.CommitTrans();
    // The bar counts only what is stored.
    for (int remaining = before - 1; remaining >= blocks.RecordCount(); --remaining)
        progress.step(remaining);
}

// As many blocks as the last slice's rate deletes in a slice's time: at
// least one, and at most twice as many as the last, so that one quick slice
// cannot make the next one long.
int NextSliceSize(int count, qint64 elapsedNs, qint64 sliceMs)
{
    const double fitting = double(count) * double(sliceMs) * 1e6 / double(std::max<qint64>(elapsedNs, 1));
    return std::clamp(int(fitting), 1, 2 * count);
}

// A slice touches pages all over the process index and the summaries: with
// the engine's small default cache they would be written out and read back
// many times within it. Copying the log back into the file costs about as
// long as a slice, so it gets a turn of its own instead of being done at a
// slice's commit, and waits for several slices: a page they all changed is
// copied once.
class DeletionSettings {
public:
    explicit DeletionSettings(Connection &db) : db_(db)
    {
        cacheSize_ = Pragma("cache_size");
        autoCheckpoint_ = Pragma("wal_autocheckpoint");
        tempStore_ = Pragma("temp_store");
        // Each row's deletion keeps its own undo record for its triggers:
        // in a file that is a write to the system per row.
        db_.Execute(QStringLiteral("PRAGMA temp_store = MEMORY"));
        db_.Execute(QStringLiteral("PRAGMA cache_size = -65536"));
        db_.Execute(QStringLiteral("PRAGMA wal_autocheckpoint = 0"));
    }
    ~DeletionSettings()
    {
        // Gives the memory back; a failure here leaves only a larger cache
        // or a log checkpointed at the next commit.
        Restore("cache_size", cacheSize_);
        Restore("wal_autocheckpoint", autoCheckpoint_);
        Restore("temp_store", tempStore_);
    }
    DeletionSettings(const DeletionSettings &) = delete;
    DeletionSettings &operator=(const DeletionSettings &) = delete;

    // Never waits for readers; what they still need is copied later.
    void Checkpoint() { sqlite3_wal_checkpoint_v2(db_.Handle(), nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr); }

private:
    qint64 Pragma(const char *name) const
    {
        Statement value(db_.Handle(), QStringLiteral("PRAGMA ") + QLatin1String(name));
        value.Step();
        return sqlite3_column_int64(value.Handle(), 0);
    }
    void Restore(const char *name, qint64 value)
    {
        const QByteArray restore = QStringLiteral("PRAGMA %1 = %2").arg(QLatin1String(name)).arg(value).toUtf8();
        sqlite3_exec(db_.Handle(), restore.constData(), nullptr, nullptr, nullptr);
    }

    Connection &db_;
    qint64 cacheSize_ = 0;
    qint64 autoCheckpoint_ = 0;
    qint64 tempStore_ = 0;
};

// False when the progress stopped it before the last block.
bool DeleteBlocksOf(TMonitoringStore &store, qlonglong computerId, const DeletionProgress &progress)
{
    DeletionSettings settings(store.adocMain);
    DeletionNotice notice(store.adocMain);
    Table &blocks = store.adotBlocks;
    Filter(blocks, QStringLiteral("COMPUTER_ID = %1").arg(computerId));
    progress.start(blocks.RecordCount());
    QElapsedTimer sinceCheckpoint;
    sinceCheckpoint.start();
    int count = 1;
    while (!blocks.IsEmpty()) {
        QElapsedTimer slice;
        slice.start();
        DeleteSlice(store, notice, computerId, count, progress);
        count = NextSliceSize(count, slice.nsecsElapsed(), progress.sliceMs);
        // After the last block only the computer row is left to delete.
        if (!progress.turn() && !blocks.IsEmpty())
            return false;
        if (blocks.IsEmpty() || sinceCheckpoint.elapsed() >= progress.checkpointMs) {
            settings.Checkpoint();
            sinceCheckpoint.restart();
            if (!blocks.IsEmpty() && !progress.turn())
                return false;
        }
    }
    return true;
}

// The tables hold every row again, whatever happened.
void Unfilter(TMonitoringStore &store)
{
    store.adotData.Close();
    store.adotData.SetFiltered(false);
    store.adotBlocks.Close();
    store.adotBlocks.SetFiltered(false);
    store.adotBlocks.Open();
}

} // namespace

void AddComputer(TMonitoringStore &store, UserPrompts &prompts)
{
    const auto name = prompts.InputQuery(QStringLiteral("New node"), QStringLiteral("Enter IP address or computer name"),
                                         QString(), 255);
    if (!name)
        return;
    store.adotComputers.Append();
    store.adotComputers.SetValue(QStringLiteral("NAME"), *name);
    store.adotComputers.Post();
}

void ShowLatestSnapshot(Query &adoqLast, const QVariant &computerKey)
{
    Rerun(adoqLast, {"CID1", "CID2"}, computerKey);
}

void ShowBlockSummary(Query &adoqCompRule, const QVariant &computerKey)
{
    Rerun(adoqCompRule, {"comp"}, computerKey);
}

void DeleteComputer(TMonitoringStore &store, UserPrompts &prompts, const QVariant &computerKey,
                    const DeletionProgress &progress)
{
    if (!prompts.WarningYesNo(QStringLiteral("Warning"),
                              QStringLiteral("WARNING !!! When you click ok, ALL data about\r\nmonitoring this "
                                             "computer will delete\r\nAre you sure?")))
        return;
    if (computerKey.isNull())
        throw Exception(QStringLiteral("No computer is chosen under \"Computer name\"; nothing was deleted"));
    const qlonglong id = computerKey.toLongLong();
    bool whole = false;
    try {
        whole = DeleteBlocksOf(store, id, progress);
    } catch (...) {
        store.adocMain.RollbackTrans();
        Unfilter(store);
        throw;
    }
    Unfilter(store);
    store.adotData.Open();
    if (whole && store.adotComputers.Locate(QStringLiteral("ID"), id))
        store.adotComputers.Delete();
}
