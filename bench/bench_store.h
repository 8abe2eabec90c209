#pragma once
// What the benchmarks share: the million-row store they work on (made once
// at a fixed path, then reused) opened as the program opens its own, and the
// sqlite3 shell timed on the same statement for comparison.

#include "fixture/bench_store.h"
#include "store/monitoring_store.h"
#include "store/query.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

inline QString BenchStorePath(int argc, char **argv, const QString &fallback = QStringLiteral("/tmp/tarvenix-bench-1m.mdb"))
{
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : fallback;
    if (!QFileInfo::exists(path))
        MakeBenchStore(path, BenchStoreShape());
    return QFileInfo(path).absoluteFilePath();
}

// Connects the store's components to the file at path.
inline void OpenBenchStore(TMonitoringStore &store, const QString &path)
{
    QDir::setCurrent(QFileInfo(path).absolutePath());
    store.adocMain.SetConnectionString(QString(Connection::DefaultConnectionString)
                                           .replace(QStringLiteral("Tarvenix.mdb"), QFileInfo(path).fileName()));
    store.adocMain.Open();
}

// The shell's time for the statement, its output sent to /dev/null.
inline double ShellSeconds(const QString &store, const QString &sql)
{
    QProcess shell;
    shell.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    shell.start(QStringLiteral("sqlite3"), {store, sql});
    shell.waitForFinished(-1);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (shell.exitStatus() != QProcess::NormalExit || shell.exitCode() != 0)
        qFatal("sqlite3 failed: %s", shell.readAllStandardError().constData());
    return seconds;
}

// The best of a few runs, in seconds.
template <class F> double BestSeconds(F &&run, int runs = 3)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    return best;
}

// The day of computer 1's first snapshot: a day the generated history covers.
inline QDate FirstSnapshotDay(TMonitoringStore &store)
{
    Query first(store.adocMain);
    first.SetSQL({QStringLiteral("select min(DATETIME) as first from t__blocks where COMPUTER_ID = 1")});
    first.SetColumnType(QStringLiteral("first"), FieldType::DateTime);
    first.Open();
    return first.Value(QStringLiteral("first")).toDateTime().date();
}
