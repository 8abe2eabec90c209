#pragma once
// The analysis builder: runs the chosen chart's statement on its query and
// fills the matching series of the chart from the rows, one series shown.

class ChartWidget;
class TMonitoringStore;
class TfrmMain;
struct AnalysisState;

// The five series of the analysis chart, in their order.
void AddAnalysisSeries(ChartWidget &chart);

AnalysisState ReadAnalysisState(const TfrmMain &window);

// Every series is hidden first; on a refused statement or an unchosen
// computer the error passes on and they stay hidden.
void RunAnalysis(TMonitoringStore &store, ChartWidget &chart, const AnalysisState &state);
