// Opening the history query as the start-up does, on a store of about a
// million process rows, beside the sqlite3 shell running the same statement.
// Usage: bench_store_open [STORE]   (made with the default shape when missing)
#include "../fixture/bench_store.h"
#include "../shell_timer.h"
#include "store/monitoring_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>
#include <sys/resource.h>

namespace {

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
    if (!QFileInfo::exists(path))
        MakeBenchStore(path, BenchStoreShape());
    QDir::setCurrent(QFileInfo(path).absolutePath());

    TMonitoringStore store;
    store.adocMain.SetConnectionString(
        QString(Connection::DefaultConnectionString).replace(QStringLiteral("Tarvenix.mdb"), QFileInfo(path).fileName()));
    store.adocMain.Open();
    const QString sql = store.adoqFull.SQLText();
    ShellSeconds(path, sql); // warm the page cache for both

    double best = 1e9;
    size_t bytes = 0;
    int rows = 0;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        store.adoqFull.Open();
        best = std::min(best, timer.nsecsElapsed() / 1e9);
        rows = store.adoqFull.RecordCount();
        bytes = store.adoqFull.MemoryUsage();
        store.adoqFull.Close();
    }
    double shell = 1e9;
    for (int run = 0; run < 3; ++run)
        shell = std::min(shell, ShellSeconds(path, sql));
    std::printf("rows %d\nopen adoqFull: %.3f s (best of 3)\nsqlite3 shell: %.3f s (best of 3)\nratio: %.2f\n"
                "held: %.1f bytes per row (%zu bytes)\nmax RSS: %ld kB\n",
                rows, best, shell, best / shell, double(bytes) / rows, bytes, MaxRssKb());
    return 0;
}
