#include "tools/store_upgrade.h"

#include "core/exception.h"
#include "store/store_tables.h"
#include "store/summary_version.h"
#include "tools/planner_statistics.h"
#include "tools/sqlite_database.h"
#include "tools/store_summaries.h"

namespace
{

void CheckIsStore(SqliteDatabase &db, const QString &path)
{
    if (!MissingStoreTable(db.handle()).isEmpty())
        throw Exception(path + QStringLiteral(" is not a Tarvenix store: it lacks some of the five tables"));
}

struct SummaryState {
    qint64 version;
    bool stale;
};

SummaryState ReadState(SqliteDatabase &db)
{
    SqliteStatement state(db.handle(), "SELECT VERSION, STALE FROM s__state;");
    if (!state.step()) return {0, true};
    return {state.integer(0), state.integer(1) != 0};
}

UpgradeOutcome UpgradeSummaries(SqliteDatabase &db, const QString &path)
{
    if (!HasSummaries(db)) {
        AddSummaries(db);
        return UpgradeOutcome::SummariesAdded;
    }
    const SummaryState state = ReadState(db);
    if (state.version > kSummaryVersion)
        throw Exception(path + QStringLiteral(" was upgraded by a newer tool; it was not changed"));
    if (state.version < kSummaryVersion) {
        UpdateSummaryLayout(db);
        if (!state.stale) return UpgradeOutcome::SummariesUpdated;
    }
    if (!state.stale) return UpgradeOutcome::AlreadyCurrent;
    RefillSummaries(db);
    return UpgradeOutcome::SummariesRefilled;
}

// Statistics the store already has (ours, or a user's own ANALYZE) stay.
UpgradeOutcome Upgrade(SqliteDatabase &db, const QString &path)
{
    CheckIsStore(db, path);
    const UpgradeOutcome outcome = UpgradeSummaries(db, path);
    if (HasPlannerStatistics(db)) return outcome;
    AddPlannerStatistics(db);
    return outcome == UpgradeOutcome::AlreadyCurrent ? UpgradeOutcome::StatisticsAdded : outcome;
}

} // namespace

UpgradeOutcome UpgradeStore(const QString &path)
{
    SqliteDatabase db(path);
    // Indexing and summing millions of rows wants far more than the default cache.
    db.execute("PRAGMA cache_size = -262144;");
    // A failure leaves the transaction open: closing the file undoes it.
    db.execute("BEGIN IMMEDIATE;");
    const UpgradeOutcome outcome = Upgrade(db, path);
    db.execute("COMMIT;");
    db.close();
    return outcome;
}
