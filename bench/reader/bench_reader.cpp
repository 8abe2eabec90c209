// Reading a 10,000-instance block against a plain copy of its bytes, and
// building this machine's block in the service against ps in the same run.
//   build/bench/reader/tarvenix_bench_reader
#include "collect/perf_block_walk.h"
#include "perfd/perf_block_writer.h"
#include "perfd/proc_scanner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdio>
#include <cstring>
#include <functional>

namespace
{

// Milliseconds per run, the best of rounds of runs.
double BestMs(int rounds, int runs, const std::function<void()> &work)
{
    double best = 1e300;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < runs; ++i)
            work();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6 / runs);
    }
    return best;
}

void BenchWalk()
{
    std::vector<TProcessRecord> table;
    for (int i = 0; i < 10000; ++i)
        table.push_back({"process-" + std::to_string(i) + ".exe", i + 4, 4, 1 << 20, 8, 8});
    const std::string block = BuildPerfDataBlock(table, "BENCH");
    const auto *data = reinterpret_cast<const unsigned char *>(block.data());
    std::vector<unsigned char> copy(size_t(block.size()));
    size_t records = 0;
    const double walk =
        BestMs(5, 20, [&] { records += WalkPerfBlock(data, copy.size())[0].size(); });
    const double plain = BestMs(5, 20, [&] {
        std::memcpy(copy.data(), data, copy.size());
        records += copy[size_t(records % copy.size())];
    });
    std::printf("walk of 10000 instances (%lld bytes): %.3f ms; plain copy: %.4f ms (%.0fx)\n",
                static_cast<long long>(block.size()), walk, plain, walk / plain);
}

void BenchLiveBlock()
{
    size_t processes = 0;
    const double build = BestMs(3, 5, [&] {
        const auto table = ScanProcesses("/proc");
        processes = table.size();
        (void)BuildPerfDataBlock(table, "LIVE");
    });
    const double ps = BestMs(3, 5, [] {
        QProcess p;
        p.start(QStringLiteral("ps"), {"-e", "-o", "pid,ppid,rss,nlwp,pri,comm"});
        p.waitForFinished();
        (void)p.readAllStandardOutput();
    });
    std::printf("live block of %zu processes: %.2f ms; ps -e -o pid,ppid,rss,nlwp,pri,comm: "
                "%.2f ms\n",
                processes, build, ps);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    BenchWalk();
    BenchLiveBlock();
    return 0;
}
