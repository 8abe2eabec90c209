// Each chart of the analysis page on a store of about a million process
// rows, for all computers and days and for one computer on one day: the
// statement run and the series filled, then the chart painted at 1000 x 700,
// beside the sqlite3 shell running the same statement.
// Usage: bench_analysis_chart [STORE]
#include "../bench_store.h"
#include "store/stored_datetime.h"
#include "ui/analysis_chart.h"
#include "ui/analysis_statement.h"
#include "ui/chart/chart_widget.h"

#include <QApplication>
#include <QImage>
#include <QRegularExpression>
#include <cstdio>

namespace {

const char *const kCharts[] = {"Analyse / Process memory usage", "Analyse / Process count",
                               "Analyse / Timeline statistics", "Statistics / Process memory usage",
                               "Statistics / Process count"};
const int kModeAndKind[][2] = {{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}};

// The shell lacks the Access date functions: it gets the day's bounds as numbers.
QString ForShell(QString sql, const QDate &day)
{
    const QRegularExpression dateValue(QStringLiteral("DateValue\\( '[^']*' \\)"));
    for (const QDate bound : {day, day.addDays(1)}) {
        const QRegularExpressionMatch call = dateValue.match(sql);
        if (!call.hasMatch())
            break;
        sql.replace(call.capturedStart(), call.capturedLength(),
                    QString::number(StoredDateTime(QDateTime(bound, QTime(0, 0)))));
    }
    return sql;
}

void Measure(const QString &path, TMonitoringStore &store, ChartWidget &chart, const AnalysisState &state,
             const char *name)
{
    const auto plan = PlanAnalysis(store, state);
    const QString shellSql = ForShell(plan->statement, state.day.date());
    ShellSeconds(path, shellSql); // the file in the page cache for both
    const double build = BestSeconds([&] { RunAnalysis(store, chart, state); });
    QImage image(chart.size(), QImage::Format_RGB32);
    const double paint = BestSeconds([&] {
        chart.Series(plan->series).SetActive(false); // drops the layout: each paint lays out anew
        chart.Series(plan->series).SetActive(true);
        chart.render(&image);
    });
    const double repaint = BestSeconds([&] { chart.render(&image); });
    const double shell = BestSeconds([&] { ShellSeconds(path, shellSql); });
    std::printf("%-34s %7d points  build %6.3f s  paint %6.1f ms  repaint %5.1f ms  shell %6.3f s  ratio %.2f\n",
                name, chart.Series(plan->series).Count(), build, paint * 1e3, repaint * 1e3, shell,
                build / shell);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString path = BenchStorePath(argc, argv);
    TMonitoringStore store;
    OpenBenchStore(store, path);
    store.adoqProcess.Open(); // the names the look-up fields take, as at start
    ChartWidget chart;
    AddAnalysisSeries(chart);
    chart.resize(1000, 700);

    const QDate day = FirstSnapshotDay(store);
    std::printf("all computers, all days:\n");
    for (int c = 0; c < 5; ++c)
        Measure(path, store, chart, {kModeAndKind[c][0], kModeAndKind[c][1], true, {}, true, {}}, kCharts[c]);
    std::printf("computer 1 on %s:\n", qPrintable(day.toString(Qt::ISODate)));
    for (int c = 0; c < 5; ++c) {
        const AnalysisState state{kModeAndKind[c][0], kModeAndKind[c][1], false, 1, false, QDateTime(day, QTime(12, 0))};
        Measure(path, store, chart, state, kCharts[c]);
    }
    return 0;
}
