// tarvenix-perfd against clients that try to wear it out, on 127.0.0.34-39:
// more connections than it has descriptors, a client that trickles bytes, a
// flood of queries, and accepting with no descriptor left. Each prints what a
// normal client met meanwhile.
#include "perfd/event_loop.h"
#include "perfd/perf_block_cache.h"
#include "perfd/perfd_error.h"
#include "perfd/perfd_server.h"
#include "tests/perfd/perfd_runner.h"
#include "tests/perfd/proc_fixture.h"
#include "tests/perfd/query_flood.h"
#include "tests/perfd/raw_client.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>
#include <QtTest>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace
{

constexpr qint64 kShareWindowMs = kScanShareWindow.count();

std::uint64_t PerfTime(const QByteArray &block)
{
    return qFromLittleEndian<std::uint64_t>(block.constData() + 56);
}

std::uint32_t Instances(const QByteArray &block)
{
    const auto object = qFromLittleEndian<std::uint32_t>(block.constData() + 24);
    return qFromLittleEndian<std::uint32_t>(block.constData() + object + 40);
}

// Milliseconds a new client takes to open the key and get the whole block;
// -1 when it is not served.
qint64 ServedWithin(const char *server)
{
    QElapsedTimer timer;
    timer.start();
    RawClient client(server);
    client.Send(kConnect + Query(1u << 26, "230"));
    const auto connected = client.Read();
    const auto block = client.Read();
    if (!connected || connected->status != 0 || !block || block->status != 0) return -1;
    return timer.elapsed();
}

// True while the service keeps a connection that never asked for anything.
bool StillOpen(int fd)
{
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, 0) == 0;
}

struct Descriptors {
    ~Descriptors()
    {
        for (const int fd : fds)
            ::close(fd);
    }
    std::vector<int> fds;
};

// Takes every descriptor this process has left, under a lowered soft limit,
// and gives them back when it goes.
class DescriptorHog
{
public:
    DescriptorHog()
    {
        getrlimit(RLIMIT_NOFILE, &saved_);
        rlimit low = saved_;
        low.rlim_cur = std::min<rlim_t>(saved_.rlim_cur, 512);
        setrlimit(RLIMIT_NOFILE, &low);
        for (int fd; (fd = open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
            taken_.fds.push_back(fd);
        exhausted_ = errno == EMFILE;
    }
    ~DescriptorHog() { setrlimit(RLIMIT_NOFILE, &saved_); }
    bool Exhausted() const { return exhausted_; }

private:
    rlimit saved_{};
    Descriptors taken_;
    bool exhausted_ = false;
};

// Runs a loop on a thread of its own until it goes.
class LoopThread
{
public:
    explicit LoopThread(EventLoop &loop) : loop_(loop), thread_([&loop] { loop.Run(); }) {}
    ~LoopThread()
    {
        loop_.Quit();
        thread_.join();
    }

private:
    EventLoop &loop_;
    std::thread thread_;
};

qint64 OwnCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &t) { return qint64(t.tv_sec) * 1000 + t.tv_usec / 1000; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

} // namespace

class TestPerfdAbuse : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(proc_.isValid());
        WriteInitAndWorkers(proc_.path(), 600);
    }

    // 100 silent connections to a service allowed 64 descriptors: it keeps
    // the newest well below its limit, serves a normal client, and idles.
    void servesAtTheDescriptorLimit()
    {
        constexpr int kLimit = 64;
        constexpr int kSilent = 100;
        PerfdRunner perfd(PerfdArgs(proc_, {"--listen", "127.0.0.34"}), kLimit);
        QVERIFY(perfd.Listening());
        Descriptors silent;
        for (int i = 0; i < kSilent; ++i) {
            const int fd = ConnectRaw("127.0.0.34");
            QVERIFY2(fd >= 0, qPrintable(QStringLiteral("connection %1 failed").arg(i)));
            silent.fds.push_back(fd);
        }
        const qint64 latency = ServedWithin("127.0.0.34");
        qInfo("descriptor limit %d, %d silent connections: a normal client served in %lld ms",
              kLimit, kSilent, latency);
        QVERIFY(latency >= 0);

        const qint64 cpuBefore = perfd.CpuMs();
        QThread::msleep(1000);
        const qint64 cpu = perfd.CpuMs() - cpuBefore;
        int held = 0;
        for (const int fd : silent.fds)
            held += StillOpen(fd);
        const int cap = QRegularExpression(QStringLiteral("serving at most (\\d+) connections"))
                            .match(perfd.Log())
                            .captured(1)
                            .toInt();
        qInfo("held %d silent connections and the normal client, a cap of %d; "
              "%lld ms of CPU in the next second",
              held, cap, cpu);
        QVERIFY(cpu < 250);
        QVERIFY(cap >= kLimit / 4 && cap <= kLimit - 16);
        QCOMPARE(held + 1, cap);          // each client over the cap took one place
        for (int i = 0; i < kSilent; ++i) // the oldest were closed to make room
            QCOMPARE(StillOpen(silent.fds[size_t(i)]), i >= kSilent - held);
    }

    // A request that never completes, one byte every 250 ms: the idle time-out
    // counts from the last whole request, so the trickle does not hold it open.
    void tricklingClientIsClosedWhenIdle()
    {
        PerfdRunner perfd(PerfdArgs(proc_, {"--listen", "127.0.0.35", "--idle", "2"}));
        QVERIFY(perfd.Listening());
        RawClient trickler("127.0.0.35");
        trickler.Send(kConnect);
        QCOMPARE(trickler.Read()->status, 0u);
        QElapsedTimer sinceRequest;
        sinceRequest.start();
        const QByteArray endless = Query(1u << 20, QByteArray(4000, 'x'));
        QTcpSocket &socket = trickler.Socket();
        qint64 latency = -1;
        for (int i = 0;
             socket.state() == QAbstractSocket::ConnectedState && sinceRequest.elapsed() < 10000;
             ++i) {
            socket.write(endless.mid(i, 1));
            socket.waitForBytesWritten(1000);
            socket.waitForReadyRead(250); // ends early when the service closes
            if (i == 4) latency = ServedWithin("127.0.0.35");
        }
        const qint64 closedAfter = sinceRequest.elapsed();
        qInfo("trickling client closed %lld ms after its last whole request (idle 2 s); "
              "a normal client served in %lld ms meanwhile",
              closedAfter, latency);
        QVERIFY(latency >= 0);
        QCOMPARE(socket.state(), QAbstractSocket::UnconnectedState);
        QVERIFY(closedAfter >= 1500);
    }

    // Many connections from one address keep queries queued, each of which
    // needs the process table: another client is still answered promptly.
    void floodLeavesRoomForOthers()
    {
        constexpr int kFlooders = 64;
        PerfdRunner perfd(PerfdArgs(proc_, {"--listen", "127.0.0.36"}));
        QVERIFY(perfd.Listening());
        QueryFlood flood("127.0.0.36", kFlooders);
        QVERIFY(flood.Running());
        QTRY_VERIFY(flood.AnswerBytes() > 16 * kFlooders);
        const qint64 latency = ServedWithin("127.0.0.36");
        const qint64 answeredBefore = flood.AnswerBytes();
        QThread::msleep(500);
        const qint64 perSecond = (flood.AnswerBytes() - answeredBefore) / 16 * 2;
        qInfo("flood of %lld queries/s on %d connections: a normal client served in %lld ms",
              perSecond, kFlooders, latency);
        QVERIFY(latency >= 0 && latency < 2000);
    }

    // Back-to-back queries share scans of /proc, and a change to /proc shows
    // once the share window has passed.
    void queriesShareScans()
    {
        QTemporaryDir proc;
        WriteWorkers(proc.path(), 20);
        PerfdRunner perfd(PerfdArgs(proc, {"--listen", "127.0.0.39"}));
        QVERIFY(perfd.Listening());
        RawClient client("127.0.0.39");
        client.Send(kConnect);
        QCOMPARE(client.Read()->status, 0u);
        QSet<std::uint64_t> scans;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 40; ++i) {
            client.Send(Query(1u << 26, "230"));
            const auto answer = client.Read();
            QVERIFY(answer && answer->status == 0);
            scans.insert(PerfTime(answer->payload));
        }
        const qint64 spent = timer.elapsed();
        qInfo("40 queries in %lld ms used %lld scans", spent, qint64(scans.size()));
        QVERIFY(scans.size() <= spent / kShareWindowMs + 2);

        WriteFixtureProcess(proc.path(), {99999, "fresh", 1, 0, 1, "100"});
        QThread::msleep(4 * kShareWindowMs);
        client.Send(Query(1u << 26, "230"));
        const auto fresh = client.Read();
        QVERIFY(fresh && fresh->status == 0);
        QCOMPARE(Instances(fresh->payload), 21u);
    }

    // At the cap a new client closes the connection that made progress least
    // recently: the second here, since the first has asked again after it.
    void fullServiceClosesTheLeastRecentlyActive()
    {
        PerfdRunner perfd(PerfdArgs(proc_, {"--listen", "127.0.0.37", "--max-connections", "3"}));
        QVERIFY(perfd.Listening());
        RawClient first("127.0.0.37");
        RawClient second("127.0.0.37");
        RawClient third("127.0.0.37");
        for (RawClient *client : {&second, &third, &first}) {
            client->Send(kConnect);
            QCOMPARE(client->Read()->status, 0u);
        }
        RawClient fourth("127.0.0.37");
        fourth.Send(kConnect);
        QCOMPARE(fourth.Read()->status, 0u);
        QVERIFY(second.ClosedSilently());
        for (RawClient *client : {&first, &third, &fourth}) {
            client->Send(Query(16, "230"));
            QCOMPARE(client->Read()->status, 234u);
        }
    }

    // Accepting fails while this process has no descriptor left: the server
    // neither spins nor gives up, and serves the waiting client afterwards.
    void acceptFailuresDoNotSpin()
    {
        PerfdOptions options;
        options.listen = {*ParseIpv4("127.0.0.38")};
        options.procDir = proc_.path().toStdString();
        EventLoop loop;
        PerfdServer server(loop, options);
        try {
            server.Listen();
        } catch (const PerfdError &e) {
            QFAIL(e.what());
        }
        const LoopThread serving(loop);
        QTcpSocket client;
        client.connectToHost(QStringLiteral("127.0.0.38"), 445);
        QVERIFY(client.waitForConnected(3000));
        client.write(kConnect);
        QVERIFY(client.waitForBytesWritten(3000));
        qint64 cpu = 0;
        {
            DescriptorHog hog;
            QVERIFY(hog.Exhausted());
            const qint64 before = OwnCpuMs();
            QTest::qWait(1000);
            cpu = OwnCpuMs() - before;
        }
        QElapsedTimer served;
        served.start();
        QTRY_VERIFY_WITH_TIMEOUT(client.bytesAvailable() >= 12, 5000);
        qInfo("%lld ms of CPU in 1 s without descriptors; served %lld ms after they came back", cpu,
              served.elapsed());
        QVERIFY(cpu < 250);
        QCOMPARE(client.read(12), Frame(0, {}));
    }

private:
    QTemporaryDir proc_;
};

QTEST_GUILESS_MAIN(TestPerfdAbuse)
#include "test_perfd_abuse.moc"
