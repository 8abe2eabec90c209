// tarvenix-store on a large store: export as CSV and JSON (rows per second
// and peak memory) beside the sqlite3 shell writing the same rows as CSV in
// the same run, and prune of the oldest days of a copy (rows per second and
// the longest hold of the write lock). The store given is only read; the
// prune works on a copy in the scratch folder, its times moved so that its
// newest snapshot is now.
// Usage: bench_store_tool STORE [SCRATCH-FOLDER] [DAYS-KEPT]
#include "store/stored_datetime.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

struct Measured {
    double seconds = 0;
    long peakKb = 0;
    QByteArray out; // what it wrote to standard error, or to standard output when kept
};

// Runs the program with standard output to outFile, timing it and reading
// its peak resident memory from the kernel.
Measured Run(const QStringList &arguments, const QString &outFile)
{
    std::vector<QByteArray> bytes;
    for (const QString &argument : arguments)
        bytes.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    char errPath[] = "/tmp/bench_store_tool_err.XXXXXX";
    const int errFd = mkstemp(errPath);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, outFile.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&files, errFd, 2);
    QElapsedTimer clock;
    clock.start();
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], &files, nullptr, argv.data(), environ) != 0)
        qFatal("cannot start %s", argv[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    Measured measured{clock.nsecsElapsed() / 1e9, usage.ru_maxrss, {}};
    posix_spawn_file_actions_destroy(&files);
    QFile err(QString::fromLocal8Bit(errPath));
    err.open(QIODevice::ReadOnly);
    measured.out = err.readAll();
    close(errFd);
    unlink(errPath);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        qFatal("%s failed: %s", argv[0], measured.out.constData());
    return measured;
}

qint64 RowsIn(const QString &store)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(store.toLocal8Bit().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *count = nullptr;
    sqlite3_prepare_v2(db, "select count(*) from t__data", -1, &count, nullptr);
    sqlite3_step(count);
    const qint64 rows = sqlite3_column_int64(count, 0);
    sqlite3_finalize(count);
    sqlite3_close(db);
    return rows;
}

void Report(const char *what, qint64 rows, const Measured &m)
{
    std::printf("%-34s %10lld rows %7.1f s %10.0f rows/s  peak %6ld MB\n", what, rows, m.seconds, rows / m.seconds,
                m.peakKb / 1024);
}

// The rows of the export, as the shell writes them.
const char *const kShellExport =
    "select c.NAME, strftime('%Y-%m-%dT%H:%M:%S', b.DATETIME, 'unixepoch'), p.NAME, d.PID, d.PARENTPID, d.MEMORY, "
    "d.PRIORITY, d.THREADS from t__blocks b join t__data d on d.BLOCK_ID = b.ID "
    "left join t__computers c on c.ID = b.COMPUTER_ID left join t__process p on p.ID = d.PROCESS_ID "
    "order by b.ID, d.ID";

void BenchExport(const QString &store)
{
    const qint64 rows = RowsIn(store);
    const QString tool = QStringLiteral(TARVENIX_STORE_TOOL);
    const QString null = QStringLiteral("/dev/null");
    Report("tarvenix-store export --format csv", rows, Run({tool, "--store", store, "export"}, null));
    Report("tarvenix-store export --format json", rows,
           Run({tool, "--store", store, "export", "--format", "json"}, null));
    Report("sqlite3 -csv (the same rows)", rows,
           Run({"/usr/bin/sqlite3", "-readonly", "-csv", "-header", store, kShellExport}, null));
}

// A copy whose newest snapshot is now, so that --older-than counts from it.
QString MovedCopy(const QString &store, const QString &scratch)
{
    const QString copy = QDir(scratch).filePath(QStringLiteral("bench-prune.mdb"));
    for (const char *side : {"", "-wal", "-shm"})
        QFile::remove(copy + QLatin1String(side));
    if (!QFile::copy(store, copy))
        qFatal("cannot copy %s to %s", qPrintable(store), qPrintable(copy));
    sqlite3 *db = nullptr;
    sqlite3_open(copy.toLocal8Bit().constData(), &db);
    const QByteArray move = QStringLiteral("update t__blocks set DATETIME = DATETIME + (%1 - (select max(DATETIME) "
                                           "from t__blocks))")
                                .arg(StoredDateTime(QDateTime::currentDateTime()))
                                .toUtf8();
    if (sqlite3_exec(db, move.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        qFatal("%s", sqlite3_errmsg(db));
    sqlite3_close(db);
    return copy;
}

void BenchPrune(const QString &store, const QString &scratch, int daysKept)
{
    const QString copy = MovedCopy(store, scratch);
    const Measured m = Run({QStringLiteral(TARVENIX_STORE_TOOL), "--store", copy, "prune", "--older-than",
                            QString::number(daysKept)},
                           QStringLiteral("/tmp/bench_store_tool_prune.txt"));
    QFile said(QStringLiteral("/tmp/bench_store_tool_prune.txt"));
    said.open(QIODevice::ReadOnly);
    const QString summary = QString::fromUtf8(said.readAll());
    const auto match = QRegularExpression(QStringLiteral("Deleted (\\d+) snapshots and (\\d+) rows.*lock was ([0-9.]+) s"))
                           .match(summary);
    std::printf("%s", qPrintable(summary));
    Report("tarvenix-store prune", match.captured(2).toLongLong(), m);
    std::printf("longest hold of the write lock: %s s\n", qPrintable(match.captured(3)));
    for (const char *side : {"", "-wal", "-shm"})
        QFile::remove(copy + QLatin1String(side));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_store_tool STORE [SCRATCH-FOLDER] [DAYS-KEPT]\n");
        return 2;
    }
    const QString store = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QString scratch = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QDir::tempPath();
    const int daysKept = argc > 3 ? atoi(argv[3]) : 2;
    BenchExport(store);
    BenchPrune(store, scratch, daysKept);
    return 0;
}
