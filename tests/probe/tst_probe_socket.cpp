#include "collect/probe_socket.h"
#include "core/error_box.h"
#include "core/exception.h"
#include "fake_host_lookup.h"
#include "loopback_listener.h"

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QHostInfo>
#include <QPointer>
#include <QtTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

namespace
{

struct Outcome {
    QString error; // empty when the connection stood
    qint64 ms = 0;
};

Outcome Probe(TProbeSocket &probe)
{
    QElapsedTimer clock;
    clock.start();
    try {
        probe.Connect();
    } catch (const Exception &e) {
        return {e.message(), clock.elapsed()};
    }
    return {QString(), clock.elapsed()};
}

std::shared_ptr<LookupLog>
UseFakeLookup(TProbeSocket &probe, std::optional<std::optional<quint32>> reply, int delayMs = 20)
{
    auto log = std::make_shared<LookupLog>();
    probe.SetHostLookup(std::make_unique<FakeHostLookup>(log, reply, delayMs));
    return log;
}

void Aim(TProbeSocket &probe, const QString &host, int port, int timeOut)
{
    probe.Host = host;
    probe.Port = port;
    probe.TimeOut = timeOut;
}

// Counts the event loop's wake-ups: a wait that sleeps until it is woken has
// a handful, one that polls every 2 ms has hundreds a second.
class WakeCounter
{
public:
    WakeCounter()
    {
        connection_ = QObject::connect(QAbstractEventDispatcher::instance(),
                                       &QAbstractEventDispatcher::awake, [this] { ++wakes; });
    }
    ~WakeCounter() { QObject::disconnect(connection_); }
    WakeCounter(const WakeCounter &) = delete;
    WakeCounter &operator=(const WakeCounter &) = delete;

    int wakes = 0;

private:
    QMetaObject::Connection connection_;
};

std::optional<quint32> LookUpNow(THostLookup &lookup, const QString &name)
{
    std::optional<quint32> answer;
    bool answered = false;
    lookup.Start(name, [&](std::optional<quint32> address) {
        answer = address;
        answered = true;
    });
    if (!QTest::qWaitFor([&] { return answered; }, 10000)) qWarning("the lookup did not answer");
    return answer;
}

} // namespace

class TestProbeSocket : public QObject
{
    Q_OBJECT

private slots:
    void acceptedProbeResetsFirstThenCloses();
    void closedPortFailsBeforeTimeOut();
    void unansweredConnectTimesOut();
    void zeroTimeOutWaitsForThePlatform();
    void abandonedTimeOutDoesNotEndTheNextProbe();
    void namesAreLookedUp();
    void emptyHostIsTheLocalComputer();
    void lookupWithoutAnswerTimesOut();
    void lookupAndConnectHaveATimeOutEach();
    void negativeTimeOutIsRangeError();
    void eventsRunDuringTheWait();
    void nestedCallsAreRefused_data();
    void nestedCallsAreRefused();
    void cancelOrDestroyEndsTheWait_data();
    void cancelOrDestroyEndsTheWait();
    void timeOutHandlerErrorIsShown();
    void remoteCloseGivesFreshSocket();
    void noSocketLeft();
};

void TestProbeSocket::acceptedProbeResetsFirstThenCloses()
{
    LoopbackListener listener("127.0.0.40", 47040);
    TProbeSocket probe;
    const auto lookups = UseFakeLookup(probe, std::nullopt);
    int connects = 0;
    probe.OnConnect = [&] { ++connects; };
    Aim(probe, QString(), 47040, 2000);
    // The first socket resets on close; the fresh ones close gracefully.
    const std::pair<const char *, const char *> rounds[] = {
        {"127.0.0.40", "reset"}, {"127.0.40", "closed"}, {"0x7f.0.0.050", "closed"}};
    for (const auto &[host, ending] : rounds) {
        probe.Host = QString::fromLatin1(host);
        QCOMPARE(Probe(probe).error, QString());
        QVERIFY(probe.IsConnected());
        probe.Disconnect();
        QVERIFY(!probe.IsConnected());
        const int connection = listener.Accept();
        QVERIFY(connection >= 0);
        QCOMPARE(LoopbackListener::PeerEnding(connection), QString::fromLatin1(ending));
        ::close(connection);
    }
    QCOMPARE(connects, 3);
    QCOMPARE(lookups->starts, 0);
}

void TestProbeSocket::closedPortFailsBeforeTimeOut()
{
    TProbeSocket probe;
    int failures = 0;
    probe.OnConnectionFailed = [&] { ++failures; };
    Aim(probe, "127.0.0.41", 47041, 5000);
    for (int round = 0; round < 2; ++round) {
        const Outcome outcome = Probe(probe);
        QCOMPARE(outcome.error, QStringLiteral("Connection Failed"));
        QVERIFY2(outcome.ms < 1000, qPrintable(QString::number(outcome.ms)));
        probe.Disconnect();
    }
    QCOMPARE(failures, 2);
}

void TestProbeSocket::unansweredConnectTimesOut()
{
    LoopbackListener listener("127.0.0.42", 47042, 0);
    listener.FillQueue();
    TProbeSocket probe;
    Aim(probe, "127.0.0.42", 47042, 400);
    for (int round = 0; round < 2; ++round) {
        const WakeCounter counter;
        const Outcome outcome = Probe(probe);
        QCOMPARE(outcome.error, QStringLiteral("Connection Timed out"));
        QVERIFY2(outcome.ms >= 395 && outcome.ms < 700, qPrintable(QString::number(outcome.ms)));
        QVERIFY2(counter.wakes < 10, qPrintable(QString::number(counter.wakes)));
        QVERIFY(!probe.IsWaiting());
        probe.Disconnect();
    }
}

void TestProbeSocket::zeroTimeOutWaitsForThePlatform()
{
    TProbeSocket probe;
    Aim(probe, "127.0.0.43", 47043, 0);
    QCOMPARE(Probe(probe).error, QStringLiteral("Connection Failed"));
    probe.Disconnect();

    // A slow lookup, then no answer, and no limit of its own: only a cancel
    // ends it.
    LoopbackListener listener("127.0.0.43", 47043, 0);
    listener.FillQueue();
    const auto log = UseFakeLookup(probe, std::optional<quint32>(LoopbackIp(43)), 300);
    probe.Host = QStringLiteral("probe-host");
    QTimer::singleShot(900, &probe, [&] { probe.Cancel(); });
    const Outcome outcome = Probe(probe);
    QCOMPARE(outcome.error, QStringLiteral("Connection Canceled"));
    QVERIFY2(outcome.ms >= 890, qPrintable(QString::number(outcome.ms)));
    QCOMPARE(log->starts, 1);
    probe.Disconnect();
}

void TestProbeSocket::abandonedTimeOutDoesNotEndTheNextProbe()
{
    TProbeSocket probe;
    UseFakeLookup(probe, std::nullopt);
    Aim(probe, "probe-host", 47053, 100);
    probe.ReportLevel = 8;
    // A socket error of a handler during the lookup only leaves the address
    // unresolved, and the time-out armed.
    probe.OnStatus = [](const QString &) { throw ESockError(QStringLiteral("status failed")); };
    QCOMPARE(Probe(probe).error, QStringLiteral("Null Remote Address"));
    probe.OnStatus = nullptr;
    probe.Disconnect();

    LoopbackListener listener("127.0.0.53", 47053, 0);
    listener.FillQueue();
    Aim(probe, "127.0.0.53", 47053, 0);
    QTimer::singleShot(300, &probe, [&] { probe.Cancel(); });
    QCOMPARE(Probe(probe).error, QStringLiteral("Connection Canceled"));
    probe.Disconnect();
}

void TestProbeSocket::namesAreLookedUp()
{
    LoopbackListener listener("127.0.0.44", 47044);
    TProbeSocket probe;
    int resolved = 0, invalid = 0;
    probe.OnHostResolved = [&] { ++resolved; };
    probe.OnInvalidHost = [&] { ++invalid; };
    Aim(probe, "probe-host", 47044, 2000);

    const auto log = UseFakeLookup(probe, std::optional<quint32>(LoopbackIp(44)));
    QCOMPARE(Probe(probe).error, QString());
    probe.Disconnect();
    QCOMPARE(log->name, QStringLiteral("probe-host"));
    QVERIFY(listener.Accept() >= 0);

    UseFakeLookup(probe, std::optional<quint32>());
    QCOMPARE(Probe(probe).error, QStringLiteral("Null Remote Address"));
    probe.Disconnect();
    QCOMPARE(resolved, 1);
    QCOMPARE(invalid, 1);

    probe.SetHostLookup(MakeSystemHostLookup());
    probe.Host = QStringLiteral("nosuch-probe.invalid");
    QCOMPARE(Probe(probe).error, QStringLiteral("Null Remote Address"));
    probe.Disconnect();

    UseFakeLookup(probe, std::optional<quint32>(LoopbackIp(44)));
    probe.Host = QStringLiteral("probe-host");
    QCOMPARE(Probe(probe).error, QString());
    probe.Disconnect();
    QCOMPARE(resolved, 2);
}

void TestProbeSocket::emptyHostIsTheLocalComputer()
{
    const auto lookup = MakeSystemHostLookup();
    const std::optional<quint32> named = LookUpNow(*lookup, QHostInfo::localHostName());
    if (!named) QSKIP("this computer's name does not resolve here");
    QCOMPARE(LookUpNow(*lookup, QString()), named);
}

void TestProbeSocket::lookupWithoutAnswerTimesOut()
{
    TProbeSocket probe;
    const auto log = UseFakeLookup(probe, std::nullopt);
    QStringList steps;
    probe.ReportLevel = 8;
    probe.OnStatus = [&](const QString &text) { steps << text; };
    Aim(probe, "silent-host", 47045, 300);
    for (int round = 0; round < 2; ++round) {
        const Outcome outcome = Probe(probe);
        QCOMPARE(outcome.error, QStringLiteral("Host Lookup Timed Out"));
        QVERIFY2(outcome.ms >= 295 && outcome.ms < 600, qPrintable(QString::number(outcome.ms)));
        probe.Disconnect();
    }
    QCOMPARE(log->starts, 2);
    QCOMPARE(log->aborts, 2);
    QVERIFY(steps.filter(QStringLiteral("Connecting")).isEmpty());
}

void TestProbeSocket::lookupAndConnectHaveATimeOutEach()
{
    LoopbackListener listener("127.0.0.52", 47052, 0);
    listener.FillQueue();
    TProbeSocket probe;
    UseFakeLookup(probe, std::optional<quint32>(LoopbackIp(52)), 250);
    Aim(probe, "probe-host", 47052, 400);
    const Outcome outcome = Probe(probe);
    QCOMPARE(outcome.error, QStringLiteral("Connection Timed out"));
    QVERIFY2(outcome.ms >= 645 && outcome.ms < 1000, qPrintable(QString::number(outcome.ms)));
    probe.Disconnect();
}

void TestProbeSocket::negativeTimeOutIsRangeError()
{
    TProbeSocket probe;
    const auto log = UseFakeLookup(probe, std::optional<quint32>(LoopbackIp(46)));
    Aim(probe, "probe-host", 47046, -1);
    QVERIFY_THROWS_EXCEPTION(ERangeError, probe.Connect());
    QCOMPARE(log->starts, 0); // raised before the lookup
    probe.Disconnect();

    // For an address the connect is already under way when it is raised.
    LoopbackListener listener("127.0.0.46", 47046);
    probe.Host = QStringLiteral("127.0.0.46");
    QCOMPARE(Probe(probe).error, QStringLiteral("Range check error"));
    QVERIFY(listener.Accept() >= 0);
    probe.Disconnect();

    probe.TimeOut = 1000;
    QCOMPARE(Probe(probe).error, QString());
    probe.Disconnect();
}

void TestProbeSocket::eventsRunDuringTheWait()
{
    LoopbackListener listener("127.0.0.47", 47047, 0);
    listener.FillQueue();
    TProbeSocket probe;
    Aim(probe, "127.0.0.47", 47047, 500);
    int ranWhileWaiting = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ranWhileWaiting += probe.IsWaiting(); });
    ticker.start(50);
    QCOMPARE(Probe(probe).error, QStringLiteral("Connection Timed out"));
    QVERIFY2(ranWhileWaiting >= 7, qPrintable(QString::number(ranWhileWaiting)));
    probe.Disconnect();
}

void TestProbeSocket::nestedCallsAreRefused_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("minMs");
    QTest::newRow("during the lookup") << "probe-host" << QString() << 150;
    QTest::newRow("during the connect") << "127.0.0.54"
                                        << "Connection Timed out" << 395;
}

void TestProbeSocket::nestedCallsAreRefused()
{
    QFETCH(QString, host);
    QFETCH(QString, error);
    QFETCH(int, minMs);
    LoopbackListener accepting("127.0.0.48", 47048);
    LoopbackListener silent("127.0.0.54", 47048, 0);
    silent.FillQueue();
    TProbeSocket probe;
    UseFakeLookup(probe, std::optional<quint32>(LoopbackIp(48)), 150);
    Aim(probe, host, 47048, 400);
    QStringList refusals;
    const std::function<void()> calls[] = {
        [&] { probe.Connect(); },
        [&] { probe.Disconnect(); },
        [&] { probe.SetHostLookup(MakeSystemHostLookup()); },
    };
    QTimer::singleShot(30, &probe, [&] {
        for (const auto &call : calls) {
            try {
                call();
            } catch (const ESockError &e) {
                refusals << e.message();
            }
        }
    });
    // The waiting probe ends as it would have without them.
    const Outcome outcome = Probe(probe);
    QCOMPARE(outcome.error, error);
    QVERIFY2(outcome.ms >= minMs && outcome.ms < 1000, qPrintable(QString::number(outcome.ms)));
    QCOMPARE(refusals, QStringList(3, QStringLiteral("Probe already waiting for an answer")));
    probe.Disconnect();
}

void TestProbeSocket::cancelOrDestroyEndsTheWait_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("destroy");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("nextError"); // of the probe after a cancel
    QTest::newRow("cancel lookup") << "silent-host" << false << "Host Lookup Canceled"
                                   << "Host Lookup Timed Out";
    QTest::newRow("destroy in lookup") << "silent-host" << true << "Host Lookup Canceled"
                                       << "";
    QTest::newRow("cancel connect") << "127.0.0.49" << false << "Connection Canceled"
                                    << "Connection Timed out";
    QTest::newRow("destroy in connect") << "127.0.0.49" << true << "Connection Canceled"
                                        << "";
}

void TestProbeSocket::cancelOrDestroyEndsTheWait()
{
    QFETCH(QString, host);
    QFETCH(bool, destroy);
    QFETCH(QString, error);
    QFETCH(QString, nextError);
    LoopbackListener listener("127.0.0.49", 47049, 0);
    listener.FillQueue();
    QPointer<TProbeSocket> probe = new TProbeSocket;
    UseFakeLookup(*probe, std::nullopt);
    Aim(*probe, host, 47049, 5000);
    QTimer::singleShot(100, [&] {
        if (destroy)
            delete probe.data();
        else
            probe->Cancel();
    });
    const Outcome outcome = Probe(*probe);
    QCOMPARE(outcome.error, error);
    QVERIFY(outcome.ms < 1000);
    QCOMPARE(probe.isNull(), destroy);
    if (!probe) return;
    QVERIFY(!probe->IsWaiting());
    probe->Disconnect();
    // The cancel is forgotten: the next probe waits out its own time-out.
    probe->TimeOut = 200;
    const Outcome next = Probe(*probe);
    QCOMPARE(next.error, nextError);
    QVERIFY2(next.ms >= 195, qPrintable(QString::number(next.ms)));
    delete probe.data();
}

void TestProbeSocket::timeOutHandlerErrorIsShown()
{
    QStringList shown;
    const ErrorSink previous = SetErrorSink([&](const QString &text) { shown << text; });
    LoopbackListener listener("127.0.0.50", 47050, 0);
    listener.FillQueue();
    TProbeSocket probe;
    Aim(probe, "127.0.0.50", 47050, 200);
    probe.ReportLevel = 8;
    probe.OnStatus = [](const QString &text) {
        if (text == QLatin1String("Timed out"))
            throw ESockError(QStringLiteral("status display broke"));
    };
    const Outcome outcome = Probe(probe);
    SetErrorSink(previous);
    QCOMPARE(outcome.error, QStringLiteral("Connection Timed out"));
    QCOMPARE(shown, QStringList(QStringLiteral("status display broke.")));
    probe.Disconnect();
}

void TestProbeSocket::remoteCloseGivesFreshSocket()
{
    LoopbackListener listener("127.0.0.51", 47051);
    TProbeSocket probe;
    int disconnects = 0;
    probe.OnDisconnect = [&] { ++disconnects; };
    Aim(probe, "127.0.0.51", 47051, 2000);
    QCOMPARE(Probe(probe).error, QString());
    QCOMPARE(Probe(probe).error, QStringLiteral("Already connected"));
    QVERIFY(probe.IsConnected());
    ::close(listener.Accept());
    QTRY_VERIFY_WITH_TIMEOUT(!probe.IsConnected(), 2000);
    QCOMPARE(disconnects, 1);
    QCOMPARE(Probe(probe).error, QString()); // no Disconnect needed in between
    probe.Disconnect();
}

void TestProbeSocket::noSocketLeft()
{
    LoopbackListener listener("127.0.0.57", 47057);
    TProbeSocket probe;
    Aim(probe, "127.0.0.57", 47057, 2000);
    // Every descriptor the process may have is taken.
    const int anchor = ::open("/dev/null", O_RDONLY);
    QVERIFY(anchor >= 0);
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    rlimit lowered = limit;
    lowered.rlim_cur = rlim_t(anchor + 8);
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
    std::vector<int> taken{anchor};
    for (int fd; (fd = ::dup(anchor)) >= 0;)
        taken.push_back(fd);

    QString created;
    try {
        TProbeSocket starved;
    } catch (const ESockError &e) {
        created = e.message();
    }
    // A probe made earlier goes on: its fresh socket takes the closed one's place.
    QString probed;
    try {
        probed = Probe(probe).error;
        probe.Disconnect();
    } catch (const ESockError &e) {
        probed = e.message();
    }

    for (const int fd : taken)
        ::close(fd);
    ::setrlimit(RLIMIT_NOFILE, &limit);
    QCOMPARE(created, QStringLiteral("Initializaton of windows sockets failed"));
    QCOMPARE(probed, QString());
    QVERIFY(listener.Accept() >= 0);
}

QTEST_GUILESS_MAIN(TestProbeSocket)
#include "tst_probe_socket.moc"
