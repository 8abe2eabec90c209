// Deleting a computer with 1,000 blocks of 300 rows from a store of about a
// million process rows: the total time and the longest gap between two
// updates of the progress bar. The store is made anew for every run.
// Usage: bench_delete_computer [SCRATCH-STORE]
#include "../bench_store.h"
#include "ui/computer_list.h"
#include "ui/user_prompts.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

namespace {

class Yes : public UserPrompts {
public:
    std::optional<QString> InputQuery(const QString &, const QString &, const QString &, int) override { return {}; }
    bool WarningYesNo(const QString &, const QString &) override { return true; }
};

// 700,200 rows of three computers, and a fourth with 1,000 blocks of 300 rows.
void MakeStore(const QString &path)
{
    QFile::remove(path);
    BenchStoreShape shape;
    shape.computers = 3;
    shape.blocksPerComputer = 778;
    MakeBenchStore(path, shape);
    const QString sql = QStringLiteral(
        "begin; insert into t__computers (ID, NAME) values (100, 'doomed');"
        "with recursive n(i) as (select 1 union all select i + 1 from n where i < 1000) "
        "insert into t__blocks (COMPUTER_ID, DATETIME) select 100, 1700000000 + i * 10 from n;"
        "insert into t__data (BLOCK_ID, PROCESS_ID, PID, PARENTPID, MEMORY, PRIORITY, THREADS) "
        "select b.ID, d.PROCESS_ID, d.PID, d.PARENTPID, d.MEMORY, d.PRIORITY, d.THREADS from t__blocks b, "
        "t__data d where b.COMPUTER_ID = 100 and d.BLOCK_ID = 1; commit;");
    ShellSeconds(path, sql);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString path = QFileInfo(argc > 1 ? QString::fromLocal8Bit(argv[1])
                                            : QStringLiteral("/tmp/tarvenix-bench-delete.mdb"))
                             .absoluteFilePath();
    MakeStore(path);
    TMonitoringStore store;
    OpenBenchStore(store, path);
    for (DataSet *dataSet : store.StartupDataSets())
        if (dataSet != &store.adoqFull)
            dataSet->Open();

    Yes prompts;
    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    int steps = 0;
    const DeletionProgress progress{[&](int) { last = clock.elapsed(); },
                                    [&](int) {
                                        longest = std::max(longest, clock.elapsed() - last);
                                        last = clock.elapsed();
                                        ++steps;
                                    },
                                    [] { return true; }};
    clock.start();
    DeleteComputer(store, prompts, 100, progress);
    const qint64 total = clock.elapsed();
    Query left(store.adocMain);
    left.SetSQL({QStringLiteral("select count(*) as n from t__data")});
    left.Open();
    std::printf("deleted 1000 blocks of 300 rows in %.2f s (%d progress updates)\n"
                "longest gap between two updates: %lld ms\nrows left: %d\n",
                total / 1000.0, steps, longest, left.Value(QStringLiteral("n")).toInt());
    return 0;
}
