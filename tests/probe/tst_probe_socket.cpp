#include "collect/probe_net.h"
#include "collect/probe_socket.h"
#include "collect/socket_error_str.h"
#include "core/error_box.h"
#include "core/exception.h"
#include "fake_host_lookup.h"
#include "loopback_listener.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QtTest>

#include <unistd.h>

namespace
{

constexpr quint32 Ip(int last)
{
    return (127u << 24) | quint32(last);
}

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

} // namespace

class TestProbeSocket : public QObject
{
    Q_OBJECT

private slots:
    void errorTexts_data();
    void errorTexts();
    void dottedAddresses_data();
    void dottedAddresses();
    void acceptedProbeResetsFirstThenCloses();
    void closedPortFailsBeforeTimeOut();
    void unansweredConnectTimesOut();
    void zeroTimeOutWaitsForThePlatform();
    void abandonedTimeOutDoesNotEndTheNextProbe();
    void namesAreLookedUp();
    void lookupWithoutAnswerTimesOut();
    void negativeTimeOutIsRangeError();
    void eventsRunDuringTheWait();
    void nestedCallsAreRefused();
    void cancelOrDestroyEndsTheWait_data();
    void cancelOrDestroyEndsTheWait();
    void timeOutHandlerErrorIsShown();
    void remoteCloseGivesFreshSocket();
};

void TestProbeSocket::errorTexts_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("text");
    QTest::newRow("refused") << 10061 << "10061:Connection refused";
    QTest::newRow("gap after 10071") << 10072 << "Unknown Error No. 10072";
    QTest::newRow("lookup") << 11004 << "11004:Valid name, no data record of requested type";
    QTest::newRow("zero") << 0 << "0:Unrecognized error code";
    QTest::newRow("unmapped") << probe_net::kUnmappedBase + 2 << "Unknown Error No. 20002";
}

void TestProbeSocket::errorTexts()
{
    QFETCH(int, error);
    QFETCH(QString, text);
    QCOMPARE(SocketErrorStr(error), text);
}

void TestProbeSocket::dottedAddresses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("address"); // -1: not an address
    QTest::newRow("four parts") << "127.0.0.40" << qint64(Ip(40));
    QTest::newRow("octal and hex") << "0177.0.0.0x28" << qint64(Ip(40));
    QTest::newRow("one number") << "2130706472" << qint64(Ip(40));
    QTest::newRow("all ones") << "255.255.255.255" << qint64(0xFFFFFFFFu);
    QTest::newRow("part too big") << "127.0.0.256" << qint64(-1);
    QTest::newRow("empty") << "" << qint64(-1);
}

void TestProbeSocket::dottedAddresses()
{
    QFETCH(QString, text);
    QFETCH(qint64, address);
    const auto parsed = probe_net::ParseDottedAddress(text.toStdString());
    QCOMPARE(parsed ? qint64(*parsed) : qint64(-1), address);
}

void TestProbeSocket::acceptedProbeResetsFirstThenCloses()
{
    LoopbackListener listener("127.0.0.40", 47040);
    TProbeSocket probe;
    const auto lookups = UseFakeLookup(probe, std::nullopt);
    int connects = 0;
    probe.OnConnect = [&] { ++connects; };
    Aim(probe, "127.0.0.40", 47040, 2000);
    // The first socket resets on close; the fresh ones close gracefully.
    for (const char *ending : {"reset", "closed", "closed"}) {
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
        const Outcome outcome = Probe(probe);
        QCOMPARE(outcome.error, QStringLiteral("Connection Timed out"));
        QVERIFY2(outcome.ms >= 395 && outcome.ms < 700, qPrintable(QString::number(outcome.ms)));
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

    // No answer and no limit of its own: only a cancel ends it.
    LoopbackListener listener("127.0.0.43", 47043, 0);
    listener.FillQueue();
    QTimer::singleShot(900, &probe, [&] { probe.Cancel(); });
    const Outcome outcome = Probe(probe);
    QCOMPARE(outcome.error, QStringLiteral("Connection Canceled"));
    QVERIFY2(outcome.ms >= 890, qPrintable(QString::number(outcome.ms)));
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

    const auto log = UseFakeLookup(probe, std::optional<quint32>(Ip(44)));
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

void TestProbeSocket::negativeTimeOutIsRangeError()
{
    TProbeSocket probe;
    const auto log = UseFakeLookup(probe, std::optional<quint32>(Ip(46)));
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

void TestProbeSocket::nestedCallsAreRefused()
{
    LoopbackListener listener("127.0.0.48", 47048);
    TProbeSocket probe;
    UseFakeLookup(probe, std::optional<quint32>(Ip(48)), 150);
    Aim(probe, "probe-host", 47048, 2000);
    QStringList refusals;
    QTimer::singleShot(30, &probe, [&] {
        for (auto call : {&TProbeSocket::Connect, &TProbeSocket::Disconnect}) {
            try {
                (probe.*call)();
            } catch (const ESockError &e) {
                refusals << e.message();
            }
        }
    });
    QCOMPARE(Probe(probe).error, QString());
    QCOMPARE(refusals, QStringList(2, QStringLiteral("Probe already waiting for an answer")));
    probe.Disconnect();
}

void TestProbeSocket::cancelOrDestroyEndsTheWait_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("destroy");
    QTest::addColumn<QString>("error");
    QTest::newRow("cancel lookup") << "silent-host" << false << "Host Lookup Canceled";
    QTest::newRow("destroy in lookup") << "silent-host" << true << "Host Lookup Canceled";
    QTest::newRow("cancel connect") << "127.0.0.49" << false << "Connection Canceled";
    QTest::newRow("destroy in connect") << "127.0.0.49" << true << "Connection Canceled";
}

void TestProbeSocket::cancelOrDestroyEndsTheWait()
{
    QFETCH(QString, host);
    QFETCH(bool, destroy);
    QFETCH(QString, error);
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
    if (probe) {
        QVERIFY(!probe->IsWaiting());
        delete probe.data();
    }
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
    ::close(listener.Accept());
    QTRY_VERIFY_WITH_TIMEOUT(!probe.IsConnected(), 2000);
    QCOMPARE(disconnects, 1);
    QCOMPARE(Probe(probe).error, QString()); // no Disconnect needed in between
    probe.Disconnect();
}

QTEST_GUILESS_MAIN(TestProbeSocket)
#include "tst_probe_socket.moc"
