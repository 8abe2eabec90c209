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
// many times within it.
class DeletionCache {
public:
    explicit DeletionCache(Connection &db) : db_(db)
    {
        previous_ = Pragma(QStringLiteral("cache_size"));
        db_.Execute(QStringLiteral("PRAGMA cache_size = -65536"));
    }
    ~DeletionCache()
    {
        // Gives the memory back; a failure here leaves only a larger cache.
        const QByteArray restore = QStringLiteral("PRAGMA cache_size = %1").arg(previous_).toUtf8();
        sqlite3_exec(db_.Handle(), restore.constData(), nullptr, nullptr, nullptr);
    }
    DeletionCache(const DeletionCache &) = delete;
    DeletionCache &operator=(const DeletionCache &) = delete;

private:
    qint64 Pragma(const QString &name) const
    {
        Statement value(db_.Handle(), QStringLiteral("PRAGMA ") + name);
        value.Step();
        return sqlite3_column_int64(value.Handle(), 0);
    }

    Connection &db_;
    qint64 previous_ = 0;
};

// False when the progress stopped it before the last block.
bool DeleteBlocksOf(TMonitoringStore &store, qlonglong computerId, const DeletionProgress &progress)
{
    const DeletionCache cache(store.adocMain);
    Table &blocks = store.adotBlocks;
    Filter(blocks, QStringLiteral("COMPUTER_ID = %1").arg(computerId));
    progress.start(blocks.RecordCount());
    while (!blocks.IsEmpty()) {
        DeleteSlice(store, progress);
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
