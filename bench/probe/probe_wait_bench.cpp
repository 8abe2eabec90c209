// A 10-second probe wait that times out, against the same wait done as a loop
// that sleeps 2 ms and then processes events. Prints the CPU time of each:
// the first probe of the process (which also pays one-time costs such as the
// first exception) and a second one. A bare sleep of the same length shows
// what the system itself charges for waking the process.

#include "collect/probe_socket.h"
#include "core/exception.h"
#include "loopback_listener.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstdio>
#include <sys/resource.h>
#include <utility>

namespace
{

constexpr int kWaitMs = 10000;

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Cost {
    double cpu = 0;
    double wall = 0;
};

template <class Wait> Cost Measure(Wait wait)
{
    QElapsedTimer clock;
    clock.start();
    const double before = CpuSeconds();
    wait();
    return {CpuSeconds() - before, clock.elapsed() / 1000.0};
}

void Probe(TProbeSocket &probe, int timeOut)
{
    probe.TimeOut = timeOut;
    try {
        probe.Connect();
        std::puts("unexpected: the probe was answered");
    } catch (const Exception &e) {
        std::printf("probe of %d ms ended with: %s\n", timeOut, e.what());
    }
    probe.Disconnect();
}

// Only the waits are measured: the listener and the probe are set up before.
std::pair<Cost, Cost> ProbeWaits()
{
    LoopbackListener listener("127.0.0.59", 47059, 0);
    listener.FillQueue(); // no handshake completes: the probe times out
    TProbeSocket probe;
    probe.Host = QStringLiteral("127.0.0.59");
    probe.Port = 47059;
    const Cost first = Measure([&] { Probe(probe, kWaitMs); });
    return {first, Measure([&] { Probe(probe, kWaitMs); })};
}

void Report(const char *what, const Cost &probe, const Cost &polling)
{
    std::printf("%-13s %.2f s wall, %.4f s CPU", what, probe.wall, probe.cpu);
    if (probe.cpu > 0)
        std::printf(", polling uses %.0f times as much\n", polling.cpu / probe.cpu);
    else
        std::puts(", no measurable CPU");
}

void PollingWait()
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kWaitMs) {
        QThread::msleep(2);
        QCoreApplication::processEvents();
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const auto [first, second] = ProbeWaits();
    const Cost polling = Measure(PollingWait);
    const Cost sleep = Measure([] { QThread::msleep(kWaitMs); });
    std::printf("polling wait: %.2f s wall, %.4f s CPU\n", polling.wall, polling.cpu);
    Report("bare sleep:", sleep, polling);
    Report("first probe:", first, polling);
    Report("second probe:", second, polling);
    return 0;
}
