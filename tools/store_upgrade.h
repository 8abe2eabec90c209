#pragma once
// Upgrading a store made by an earlier tarvenix-newdb in place: it gets what
// it lacks for speed (indexes, summary tables and their triggers, the
// summaries filled from its rows, the planner's statistics). Its five tables
// and their rows are left as they are, so earlier versions of the program go
// on reading it.

#include <QString>

enum class UpgradeOutcome {
    SummariesAdded,
    SummariesRefilled, // they were stale: a row had been replaced in place
    SummariesUpdated,  // an earlier layout: its triggers were made afresh
    StatisticsAdded,   // only the planner's index and statistics were lacking
    AlreadyCurrent,
};

// All or nothing, in one write transaction. Refuses a file that is not a
// store, or whose summaries a newer tool made. Throws Exception or
// EDatabaseError.
UpgradeOutcome UpgradeStore(const QString &path);
