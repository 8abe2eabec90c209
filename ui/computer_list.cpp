#include "ui/computer_list.h"

#include "core/exception.h"
#include "store/monitoring_store.h"
#include "store/statement.h"
#include "ui/user_prompts.h"

#include <QElapsedTimer>
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

// A block goes whole, its rows with it, or not at all: a failure undoes the
// slice it happened in; the slices before it stay deleted. (A savepoint per
// block would keep more, but costs as much again as the deletion itself.)
void DeleteSlice(TMonitoringStore &store, const DeletionProgress &progress)
{
    Table &blocks = store.adotBlocks;
    const int before = blocks.RecordCount();
    QElapsedTimer slice;
    slice.start();
    store.adocMain.BeginTrans();
    do
        DeleteFirstBlock(store);
    while (!blocks.IsEmpty() && slice.elapsed() < progress.sliceMs);
    store.adocMain.CommitTrans();
    // The bar counts only what is stored.
    for (int remaining = before - 1; remaining >= blocks.RecordCount(); --remaining)
        progress.step(remaining);
}

// A slice touches pages all over the process index and the summaries: with
// the engine's small default cache they would be written out and read back
// many times within it. Copying the log back into the file after a slice
// costs about as long as the slice, so it gets a turn of its own instead of
// being done at the slice's commit.
class DeletionSettings {
public:
    explicit DeletionSettings(Connection &db) : db_(db)
    {
        cacheSize_ = Pragma("cache_size");
        autoCheckpoint_ = Pragma("wal_autocheckpoint");
        db_.Execute(QStringLiteral("PRAGMA cache_size = -65536"));
        db_.Execute(QStringLiteral("PRAGMA wal_autocheckpoint = 0"));
    }
    ~DeletionSettings()
    {
        // Gives the memory back; a failure here leaves only a larger cache
        // or a log checkpointed at the next commit.
        Restore("cache_size", cacheSize_);
        Restore("wal_autocheckpoint", autoCheckpoint_);
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
};

// False when the progress stopped it before the last block.
bool DeleteBlocksOf(TMonitoringStore &store, qlonglong computerId, const DeletionProgress &progress)
{
    DeletionSettings settings(store.adocMain);
    Table &blocks = store.adotBlocks;
    Filter(blocks, QStringLiteral("COMPUTER_ID = %1").arg(computerId));
    progress.start(blocks.RecordCount());
    while (!blocks.IsEmpty()) {
        DeleteSlice(store, progress);
        // After the last block only the computer row is left to delete.
        if (!progress.turn() && !blocks.IsEmpty())
            return false;
        settings.Checkpoint();
        if (!blocks.IsEmpty() && !progress.turn())
            return false;
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
