#pragma once
// The statement of the analysis page: which query and series a mode and kind
// choose, and the statement text with the computer and day conditions.

#include <QDateTime>
#include <QVariant>
#include <optional>

class Query;
class TMonitoringStore;

struct AnalysisState {
    int mainType = -1; // 0 "Analyse", 1 "Statistics"; -1 nothing selected
    int kind = -1;     // 0 "Process memory usage", 1 "Process count", 2 "Timeline statistics"
    bool allComputers = true;
    QVariant computerKey;
    bool allDates = true;
    QDateTime day;
};

struct AnalysisPlan {
    Query *query = nullptr;
    QString statement;
    int series = -1; // index of the series that shows the result
};

// Raises Exception when one computer is asked for and none is chosen.
QString AnalysisCondition(const AnalysisState &state);

// Nothing when either selector has no item selected.
std::optional<AnalysisPlan> PlanAnalysis(TMonitoringStore &store, const AnalysisState &state);
