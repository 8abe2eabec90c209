#include "bench/weeks/figures.h"

#include "../bench_store.h"
#include "store/statement.h"
#include "ui/computer_list.h"
#include "ui/user_prompts.h"

#include <QElapsedTimer>
#include <QFile>
#include <sqlite3.h>
#include <unistd.h>

namespace {

class Yes : public UserPrompts {
public:
    std::optional<QString> InputQuery(const QString &, const QString &, const QString &, int) override { return {}; }
    bool WarningYesNo(const QString &, const QString &) override { return true; }
};

qint64 Integer(TMonitoringStore &store, const QString &sql)
{
    Statement statement(store.adocMain.Handle(), sql);
    statement.Step();
    return sqlite3_column_int64(statement.Handle(), 0);
}

void DeleteLastComputer(const QString &copy, Figures &figures)
{
    TMonitoringStore store;
    OpenBenchStore(store, copy);
    for (DataSet *dataSet : store.StartupDataSets())
        if (dataSet != &store.adoqFull)
            dataSet->Open();
    const qint64 computer = Integer(store, QStringLiteral("select max(ID) from t__computers"));
    const qint64 rows = Integer(store, QStringLiteral("select count(*) from t__data where BLOCK_ID in "
                                                      "(select ID from t__blocks where COMPUTER_ID = %1)")
                                           .arg(computer));
    QElapsedTimer clock;
    qint64 lastTurn = 0, longest = 0, stalls = 0;
    const auto turn = [&] {
        const qint64 gap = clock.elapsed() - lastTurn;
        longest = std::max(longest, gap);
        stalls += gap > 100;
        lastTurn = clock.elapsed();
        return true;
    };
    const DeletionProgress progress{[](int) {}, [](int) {}, turn};
    Yes yes;
    clock.start();
    DeleteComputer(store, yes, computer, progress);
    const double seconds = clock.nsecsElapsed() / 1e9;
    turn();
    figures << qMakePair(QStringLiteral("deletion of computer %1 (%2 rows): rows per second").arg(computer).arg(rows),
                         QString::number(qint64(rows / seconds)))
            << qMakePair(QStringLiteral("deletion: longest time without a turn of the window"),
                         QStringLiteral("%1 ms").arg(longest))
            << qMakePair(QStringLiteral("deletion: times without a turn longer than 100 ms"), QString::number(stalls));
}

} // namespace

// A log left by an interrupted run would be read into the fresh copy.
void RemoveStoreFiles(const QString &path)
{
    for (const char *suffix : {"", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

Figures DeletionFigures(const QString &storeDir, const QString &scratchDir)
{
    const QString path = QDir(storeDir).filePath(QStringLiteral("Tarvenix.mdb"));
    const QString copy = QDir(scratchDir).filePath(QStringLiteral("deletion-scratch.mdb"));
    RemoveStoreFiles(copy);
    if (!QFile::copy(path, copy))
        qFatal("cannot copy %s to %s", qPrintable(path), qPrintable(copy));
    // The copy goes to disk first: its writing would share the disk with
    // the deletion, as no store in use does.
    sync();
    Figures figures;
    DeleteLastComputer(copy, figures);
    RemoveStoreFiles(copy);
    return figures;
}

namespace {

void SizeFigures(const QString &path, Figures &figures)
{
    TMonitoringStore store;
    OpenBenchStore(store, path);
    const qint64 rows = Integer(store, QStringLiteral("select count(*) from t__data"));
    const qint64 added = Integer(store, QStringLiteral("select total(pgsize) from dbstat where name like 's\\_\\_%' "
                                                       "escape '\\' or name in ('i__data_instance', 'i__blocks_time')"));
    figures << qMakePair(QStringLiteral("bytes per process row on disk"),
                         QString::number(double(QFileInfo(path).size()) / rows, 'f', 1))
            << qMakePair(QStringLiteral("  of which summaries and their indexes"),
                         QString::number(double(added) / rows, 'f', 1));
}

} // namespace

Figures StoreFigures(const QString &storeDir, const QString &scratchDir)
{
    Figures figures = DeletionFigures(storeDir, scratchDir);
    SizeFigures(QDir(storeDir).filePath(QStringLiteral("Tarvenix.mdb")), figures);
    return figures;
}
