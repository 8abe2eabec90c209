// Opening the history query as the start-up does, on a store of about a
// million process rows, beside the sqlite3 shell running the same statement;
// and the memory the open query holds.
// Usage: bench_store_open [STORE]   (made with the default shape when missing)
#include "../bench_store.h"

#include <QCoreApplication>
#include <cstdio>
#include <sys/resource.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString path = BenchStorePath(argc, argv);
    TMonitoringStore store;
    OpenBenchStore(store, path);
    const QString sql = store.adoqFull.SQLText();
    ShellSeconds(path, sql); // warms the page cache for both

    const double open = BestSeconds([&store] {
        store.adoqFull.Close();
        store.adoqFull.Open();
    });
    const double shell = BestSeconds([&] { ShellSeconds(path, sql); });
    const int rows = store.adoqFull.RecordCount();
    const size_t bytes = store.adoqFull.MemoryUsage();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("rows %d\nopen adoqFull: %.3f s (best of 3)\nsqlite3 shell: %.3f s (best of 3)\nratio: %.2f\n"
                "held: %.1f bytes per row (%zu bytes)\nmax RSS: %ld kB\n",
                rows, open, shell, open / shell, double(bytes) / rows, bytes, usage.ru_maxrss);
    return 0;
}
