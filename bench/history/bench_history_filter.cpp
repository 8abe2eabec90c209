// The History page on a large store: the first screen of a filter naming one
// computer and one day, the first screen of a title-click sort of the whole
// history by each column, and reading on towards the end of that history.
// Usage: bench_history_filter [STORE]
#include "../bench_store.h"
#include "ui/history_filter.h"

#include <QCoreApplication>
#include <cstdio>
#include <sys/resource.h>

namespace {

double Seconds(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}

long MaxRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString path = BenchStorePath(argc, argv);
    TMonitoringStore store;
    OpenBenchStore(store, path);

    // The first computer's first day.
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
    filter.dateTo = filter.timeTo = QDateTime(date.addDays(1), QTime(0, 0, 0));
    Query &history = store.adoqFull;
    const double filtered = Seconds([&] { RunHistoryFilter(history, filter); });
    std::printf("filter computer 1, %s: first screen %.3f s (%d rows read)\n", qPrintable(date.toString(Qt::ISODate)),
                filtered, history.FetchedCount());

    RunHistoryFilter(history, HistoryFilterState());
    for (int f = 0; f < history.FieldCount(); ++f) {
        const QString field = history.Field(f).name;
        const double sorted = Seconds([&] { history.SetSort(field); });
        std::printf("sort whole history by %-12s first screen %.3f s\n", qPrintable(history.Field(f).DisplayLabel()),
                    sorted);
    }

    history.SetSort(QStringLiteral("PROCESSNAME"));
    const long before = MaxRssKb();
    int windows = 0;
    const double scrolled = Seconds([&] {
        for (; windows < 2000 && history.CanFetchMore(); ++windows)
            history.FetchMore();
    });
    std::printf("read on %d windows (%d rows) sorted by Process: %.3f s, %.2f ms a window; "
                "max RSS %ld kB before, %ld kB after, %zu bytes held\n",
                windows, history.FetchedCount(), scrolled, 1000 * scrolled / windows, before, MaxRssKb(),
                history.MemoryUsage());
    const double counted = Seconds([&] { history.RecordCount(); });
    std::printf("record count when asked: %d rows, %.3f s\n", history.RecordCount(), counted);
    return 0;
}
