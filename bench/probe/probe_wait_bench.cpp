// A 10-second probe wait that times out, against the same wait done as a loop
// that sleeps 2 ms and then processes events. Prints the CPU time of each.

#include "collect/probe_socket.h"
#include "core/exception.h"
#include "loopback_listener.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstdio>
#include <sys/resource.h>

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

// Only the wait is measured: the listener and the probe are set up before,
// and a short probe first pays the one-time costs (the first exception).
Cost ProbeWait()
{
    LoopbackListener listener("127.0.0.59", 47059, 0);
    listener.FillQueue(); // no handshake completes: the probe times out
    TProbeSocket probe;
    probe.Host = QStringLiteral("127.0.0.59");
    probe.Port = 47059;
    Probe(probe, 50);
    return Measure([&] { Probe(probe, kWaitMs); });
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
    const Cost probe = ProbeWait();
    const Cost polling = Measure(PollingWait);
    std::printf("probe wait:   %.2f s wall, %.4f s CPU\n", probe.wall, probe.cpu);
    std::printf("polling wait: %.2f s wall, %.4f s CPU\n", polling.wall, polling.cpu);
    if (probe.cpu > 0)
        std::printf("polling uses %.0f times the CPU of the probe\n", polling.cpu / probe.cpu);
    else
        std::puts("the probe used no measurable CPU");
    return 0;
}
