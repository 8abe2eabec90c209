// The store of weeks: start-up, the history page, the analysis charts,
// deletion and size on disk, for two stores side by side (bench/store-weeks
// makes them and runs this).
// Usage: bench_store_weeks SMALL-DIR BIG-DIR SCRATCH-DIR
//        bench_store_weeks --startup STORE-DIR   (one start, in its own process)
//        bench_store_weeks --deletion STORE-DIR SCRATCH-DIR   (deletion only)
// Each STORE-DIR holds a Tarvenix.mdb.
#include "bench/weeks/figures.h"

#include "../../tests/app/private_settings.h"
#include "app/data_module.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <cstdio>

namespace {

qint64 ResidentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    static const QRegularExpression rss(QStringLiteral("VmRSS:\\s*(\\d+)"));
    return rss.match(QString::fromLatin1(status.readAll())).captured(1).toLongLong();
}

// The program's start as main() does it, until the window is painted.
int StartOnce(int argc, char **argv, const QString &storeDir)
{
    QElapsedTimer clock;
    clock.start();
    QApplication application(argc, argv);
    QDir::setCurrent(storeDir);
    TfrmMain window;
    TdmMain module(window);
    window.show();
    window.grab();
    std::printf("%lld %lld\n", clock.elapsed(), ResidentKilobytes());
    return 0;
}

// The best start of three, each in a fresh process, and its resident memory.
Figures StartupFigures(const QString &program, const QString &storeDir)
{
    qint64 best = -1, memory = 0;
    for (int run = 0; run < 3; ++run) {
        QProcess child;
        child.start(program, {QStringLiteral("--startup"), storeDir});
        if (!child.waitForFinished(-1) || child.exitCode() != 0)
            qFatal("start-up run failed: %s", child.readAllStandardError().constData());
        const QStringList words = QString::fromLatin1(child.readAllStandardOutput()).split(QLatin1Char(' '));
        if (best < 0 || words.value(0).toLongLong() < best) {
            best = words.value(0).toLongLong();
            memory = words.value(1).toLongLong();
        }
    }
    return {qMakePair(QStringLiteral("start-up until the window is painted"), Seconds(best / 1e3)),
            qMakePair(QStringLiteral("resident memory after start"), QStringLiteral("%1 MB").arg(memory / 1024))};
}

Figures AllFigures(const QString &program, const QString &storeDir, const QString &scratchDir)
{
    std::fprintf(stderr, "measuring %s ...\n", qPrintable(storeDir));
    return StartupFigures(program, storeDir) + WindowFigures(storeDir) + StoreFigures(storeDir, scratchDir);
}

void Print(const QStringList &names, const Figures &small, const Figures &big)
{
    std::printf("%-62s %-30s %s\n", "", qPrintable(names[0]), qPrintable(names[1]));
    for (int i = 0; i < small.size(); ++i)
        std::printf("%-62s %-30s %s\n", qPrintable(small[i].first), qPrintable(small[i].second),
                    qPrintable(big.value(i).second));
}

} // namespace

QString Seconds(double seconds) { return QString::number(seconds, 'f', 3) + QStringLiteral(" s"); }

int main(int argc, char **argv)
{
    PrivateSettings settings; // the user's own settings stay untouched
    if (argc == 3 && qstrcmp(argv[1], "--startup") == 0)
        return StartOnce(argc, argv, QString::fromLocal8Bit(argv[2]));
    if (argc == 4 && qstrcmp(argv[1], "--deletion") == 0) {
        QApplication application(argc, argv);
        for (const auto &[label, value] : DeletionFigures(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3])))
            std::printf("%-62s %s\n", qPrintable(label), qPrintable(value));
        return 0;
    }
    if (argc != 4) {
        std::fprintf(stderr, "usage: bench_store_weeks SMALL-DIR BIG-DIR SCRATCH-DIR\n");
        return 1;
    }
    QApplication application(argc, argv);
    const QString program = QCoreApplication::applicationFilePath();
    const QString small = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QString big = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    const QString scratch = QFileInfo(QString::fromLocal8Bit(argv[3])).absoluteFilePath();
    const Figures smallFigures = AllFigures(program, small, scratch);
    const Figures bigFigures = AllFigures(program, big, scratch);
    Print({QDir(small).dirName(), QDir(big).dirName()}, smallFigures, bigFigures);
    return 0;
}
