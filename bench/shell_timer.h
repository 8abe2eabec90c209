#pragma once
// Times the sqlite3 shell running one statement on a store, its output sent
// to /dev/null, so that a benchmark can put the program's figure beside it.

#include <QElapsedTimer>
#include <QProcess>
#include <QString>

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

// The store a benchmark works on: made once, then reused across runs.
inline QString BenchStorePath(int argc, char **argv)
{
    return argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/tarvenix-bench-1m.mdb");
}
