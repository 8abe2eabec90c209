#pragma once
// Creation of a new, empty monitoring store: the five tables, the four process
// types and the indexes. The program itself never creates tables.

#include <QString>
#include <QStringList>

// What a new store holds beside its five tables and their first indexes.
enum class StoreExtras {
    Summaries, // see tools/store_summaries.h; with the planner's statistics (tools/planner_statistics.h)
    // The store as tarvenix-newdb made it before the summaries and statistics: for the
    // benchmark generator, which fills it first and upgrades it after (far
    // faster than through the triggers), and for tests of the upgrade.
    None,
};

// Creates the store file at path and appends the given computers in order.
// Refuses a path that already exists and leaves it untouched; when creation
// fails, nothing is left at path. Throws Exception or EDatabaseError.
void CreateStore(const QString &path, const QStringList &computers = {},
                 StoreExtras extras = StoreExtras::Summaries);
