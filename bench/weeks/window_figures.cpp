#include "bench/weeks/figures.h"

#include "app/data_module.h"
#include "bench/bench_store.h"
#include "store/date_text.h"
#include "ui/analysis_chart.h"
#include "ui/analysis_statement.h"
#include "ui/chart/chart_widget.h"
#include "ui/db_grid.h"
#include "ui/history_filter.h"
#include "ui/main_window.h"

#include <QDir>
#include <QElapsedTimer>

namespace {

const char *const kColumns[][2] = {{"COMPUTERNAME", "Computer"}, {"DATETIME", "Date and time"},
                                   {"PROCESSNAME", "Process"},   {"PID", "Process ID"},
                                   {"PARENTPID", "Parent PID"},  {"MEMORY", "Memory"},
                                   {"PRIORITY", "Priority"},     {"THREADS", "Threads"}};

const char *const kCharts[] = {"Analyse / Process memory usage", "Analyse / Process count",
                               "Analyse / Timeline statistics", "Statistics / Process memory usage",
                               "Statistics / Process count"};
const int kModeAndKind[][2] = {{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}};

// The grid painted: what it shows is what the user waits for.
double ShowGrid(TfrmMain &window, const std::function<void()> &work)
{
    return Best([&] {
        work();
        window.dbgFiltered->grab();
    });
}

void HistoryFigures(TfrmMain &window, TdmMain &module, const QDate &day, Figures &figures)
{
    HistoryFilterState oneDay;
    oneDay.computer = true;
    oneDay.computerKey = 1;
    oneDay.fromDate = oneDay.toDate = true;
    oneDay.dateFrom = oneDay.timeFrom = QDateTime(day, QTime(0, 0, 0));
    oneDay.dateTo = oneDay.timeTo = QDateTime(day, QTime(23, 59, 59));
    figures << qMakePair(QStringLiteral("history: computer 1 on its first day"),
                         Seconds(ShowGrid(window, [&] { RunHistoryFilter(module.adoqFull, oneDay); })));
    RunHistoryFilter(module.adoqFull, HistoryFilterState());
    for (const auto &[field, label] : kColumns)
        figures << qMakePair(QStringLiteral("history: all rows sorted by \"%1\"").arg(QLatin1String(label)),
                             Seconds(ShowGrid(window, [&, field = field] {
                                 module.adoqFull.SetSort(QString());
                                 module.adoqFull.SetSort(QLatin1String(field));
                             })));
}

void ChartFigures(TfrmMain &window, TdmMain &module, const QDate &day, Figures &figures)
{
    ChartWidget &chart = *window.dbcAnalyze;
    chart.resize(1000, 700);
    for (bool all : {true, false})
        for (int c = 0; c < 5; ++c) {
            const AnalysisState state{kModeAndKind[c][0], kModeAndKind[c][1], all, 1, all, QDateTime(day, QTime(12, 0))};
            const double build = Best([&] { RunAnalysis(module, chart, state); });
            const int series = PlanAnalysis(module, state)->series;
            const double paint = Best([&] { chart.grab(); });
            figures << qMakePair(QStringLiteral("chart %1, %2").arg(QLatin1String(kCharts[c]),
                                                                    all ? QStringLiteral("all") : QStringLiteral("one day")),
                                 QStringLiteral("%1 + paint %2 (%3 points)")
                                     .arg(Seconds(build), Seconds(paint))
                                     .arg(chart.Series(series).Count()));
        }
}

} // namespace

Figures WindowFigures(const QString &storeDir)
{
    const QString previous = QDir::currentPath();
    QDir::setCurrent(storeDir);
    Figures figures;
    {
        TfrmMain window;
        TdmMain module(window);
        window.show();
        const QDate day = FirstSnapshotDay(module);
        HistoryFigures(window, module, day, figures);
        ChartFigures(window, module, day, figures);
    }
    QDir::setCurrent(previous);
    return figures;
}
