// The history filter on a store of about a million process rows: one
// computer and one day, then a sort by "Process", each beside the sqlite3
// shell running the same statement (with ORDER BY for the sort).
// Usage: bench_history_filter [STORE]
#include "../bench_store.h"
#include "store/stored_datetime.h"
#include "ui/history_filter.h"

#include <QRegularExpression>

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString path = BenchStorePath(argc, argv);
    TMonitoringStore store;
    OpenBenchStore(store, path);

    // The first computer's busiest day.
    Query day(store.adocMain);
    day.SetSQL({QStringLiteral("select min(DATETIME) as first from t__blocks where COMPUTER_ID = 1")});
    day.SetColumnType(QStringLiteral("first"), FieldType::DateTime);
    day.Open();
    const QDate date = day.Value(QStringLiteral("first")).toDateTime().date();
    HistoryFilterState filter;
    filter.computer = true;
    filter.computerKey = 1;
    filter.fromDate = filter.toDate = true;
    filter.dateFrom = filter.timeFrom = QDateTime(date, QTime(0, 0, 0));
    filter.dateTo = filter.timeTo = QDateTime(date, QTime(23, 59, 59));
    const QString sql = HistoryStatement(filter);
    // The shell lacks the Access date functions: it gets the bounds as numbers.
    const QString shellSql = QString(sql)
                                 .replace(QRegularExpression(QStringLiteral("> \\( DateValue\\([^)]*\\) \\+ TimeValue\\([^)]*\\) \\)")),
                                          QStringLiteral("> %1").arg(StoredDateTime(filter.dateFrom)))
                                 .replace(QRegularExpression(QStringLiteral("<= \\( DateValue\\([^)]*\\) \\+ TimeValue\\([^)]*\\) \\)")),
                                          QStringLiteral("<= %1").arg(StoredDateTime(filter.dateTo)));
    ShellSeconds(path, shellSql);

    const double run = BestSeconds([&] { RunHistoryFilter(store.adoqFull, filter); });
    const double shellRun = BestSeconds([&] { ShellSeconds(path, shellSql); });
    const int rows = store.adoqFull.RecordCount();
    const double sort = BestSeconds([&] { store.adoqFull.SetSort(QStringLiteral("PROCESSNAME")); });
    const double shellSort = BestSeconds([&] { ShellSeconds(path, shellSql + QStringLiteral(" order by p.NAME")); });

    // The same sort over every stored row.
    filter = HistoryFilterState();
    RunHistoryFilter(store.adoqFull, filter);
    const int all = store.adoqFull.RecordCount();
    const double sortAll = BestSeconds([&] { store.adoqFull.SetSort(QStringLiteral("PROCESSNAME")); });
    const QString full = HistoryStatement(filter);
    const double shellAll = BestSeconds([&] { ShellSeconds(path, full + QStringLiteral(" order by p.NAME")); });
    const double shellPlain = BestSeconds([&] { ShellSeconds(path, full); });

    std::printf("filter (computer 1, %s): %d rows\n  program %.3f s, shell %.3f s, ratio %.2f\n",
                qPrintable(date.toString(Qt::ISODate)), rows, run, shellRun, run / shellRun);
    std::printf("sort by Process of that result: program %.4f s, shell with ORDER BY %.3f s\n", sort, shellSort);
    std::printf("sort by Process of all %d rows: program %.3f s (in memory, after the open)\n"
                "  shell with ORDER BY %.3f s, without %.3f s\n", all, sortAll, shellAll, shellPlain);
    return 0;
}
