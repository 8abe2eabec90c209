#pragma once
// What the engine's query planner needs to walk the history's sorts along
// indexes rather than sort the whole join: an index on the computer names
// and statistics (sqlite_stat1) that tell it how the tables relate.
//
// The statistics are written by hand, not measured: ANALYZE on a new store
// finds empty tables, and on a young one it finds a few rows per table; the
// planner would then go on choosing plans fit for a handful of rows long
// after the store has grown to millions. The figures describe a grown store
// (tens of computers, a million snapshots of a hundred rows); their ratios
// are what the plans depend on, and they keep fitting as the store grows.

class SqliteDatabase;

// True when the store has the name index and statistics that cover it.
bool HasPlannerStatistics(SqliteDatabase &db);

// Adds the name index when it lacks it and replaces every statistic with the
// figures above, for the indexes and tables the store has. The caller holds
// a write transaction; connections opened afterwards plan with them.
void AddPlannerStatistics(SqliteDatabase &db);

// After a table was made afresh: its statistics, whoever wrote them, are
// replaced with the figures above. Nothing when the store has none.
void RenewPlannerStatistics(SqliteDatabase &db, const char *table);
