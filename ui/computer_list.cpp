#include "ui/computer_list.h"

#include "core/exception.h"
#include "store/monitoring_store.h"
#include "ui/user_prompts.h"

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

void DeleteBlocksOf(TMonitoringStore &store, qlonglong computerId, const DeletionProgress &progress)
{
    Table &blocks = store.adotBlocks;
    Table &data = store.adotData;
    Filter(blocks, QStringLiteral("COMPUTER_ID = %1").arg(computerId));
    progress.start(blocks.RecordCount());
    while (!blocks.IsEmpty()) {
        blocks.First();
        // A block goes whole, its rows with it, or not at all.
        store.adocMain.BeginTrans();
        try {
            Filter(data, QStringLiteral("BLOCK_ID = %1").arg(blocks.Value(QStringLiteral("ID")).toLongLong()));
            while (!data.IsEmpty())
                data.Delete();
            data.Close();
            data.SetFiltered(false);
            blocks.Delete();
            store.adocMain.CommitTrans();
        } catch (...) {
            store.adocMain.RollbackTrans();
            throw;
        }
        progress.step(blocks.RecordCount());
    }
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
    try {
        DeleteBlocksOf(store, id, progress);
    } catch (...) {
        // Whatever happened, the tables go back to holding every row.
        store.adotData.Close();
        store.adotData.SetFiltered(false);
        store.adotBlocks.Close();
        store.adotBlocks.SetFiltered(false);
        store.adotBlocks.Open();
        throw;
    }
    store.adotBlocks.Close();
    store.adotBlocks.Open();
    store.adotBlocks.SetFiltered(false);
    store.adotData.Open();
    if (store.adotComputers.Locate(QStringLiteral("ID"), id))
        store.adotComputers.Delete();
}
