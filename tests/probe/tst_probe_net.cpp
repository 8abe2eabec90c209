// The platform layer under the probe: the texts of the socket error numbers,
// dotted addresses read as inet_addr reads them, and the system's errors of
// real socket calls turned into their Windows numbers.
#include "collect/probe_net.h"
#include "collect/socket_error_str.h"
#include "loopback_listener.h"

#include <QtTest>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

bool Writable(probe_net::Handle socket, int waitMs = 1000)
{
    pollfd p{int(socket), POLLOUT, 0};
    return ::poll(&p, 1, waitMs) == 1;
}

} // namespace

class TestProbeNet : public QObject
{
    Q_OBJECT

private slots:
    void errorTexts_data();
    void errorTexts();
    void dottedAddresses_data();
    void dottedAddresses();
    void platformErrorsAreWindowsNumbers();
};

void TestProbeNet::errorTexts_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("text");
    QTest::newRow("refused") << 10061 << "10061:Connection refused";
    QTest::newRow("gap after 10071") << 10072 << "Unknown Error No. 10072";
    QTest::newRow("lookup") << 11004 << "11004:Valid name, no data record of requested type";
    QTest::newRow("zero") << 0 << "0:Unrecognized error code";
    QTest::newRow("unmapped") << probe_net::kUnmappedBase + 2 << "Unknown Error No. 20002";
}

void TestProbeNet::errorTexts()
{
    QFETCH(int, error);
    QFETCH(QString, text);
    QCOMPARE(SocketErrorStr(error), text);
}

void TestProbeNet::dottedAddresses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("address"); // -1: not an address
    QTest::newRow("four parts") << "127.0.0.40" << qint64(LoopbackIp(40));
    QTest::newRow("octal and hex") << "0177.0.0.0x28" << qint64(LoopbackIp(40));
    QTest::newRow("one number") << "2130706472" << qint64(LoopbackIp(40));
    QTest::newRow("two parts") << "127.1" << qint64(LoopbackIp(1));
    QTest::newRow("two parts, hex") << "0x7f.1" << qint64(LoopbackIp(1));
    QTest::newRow("three parts") << "127.0.40" << qint64(LoopbackIp(40));
    QTest::newRow("last of three is 16 bits") << "127.0.256" << qint64(LoopbackIp(256));
    QTest::newRow("last of two is 24 bits") << "127.65536" << qint64(LoopbackIp(65536));
    QTest::newRow("all ones") << "255.255.255.255" << qint64(0xFFFFFFFFu);
    QTest::newRow("part too big") << "127.0.0.256" << qint64(-1);
    QTest::newRow("last of two too big") << "127.16777216" << qint64(-1);
    QTest::newRow("five parts") << "127.0.0.0.40" << qint64(-1);
    QTest::newRow("not octal") << "127.0.0.08" << qint64(-1);
    QTest::newRow("empty part") << "127..0.40" << qint64(-1);
    QTest::newRow("name") << "probe-host" << qint64(-1);
    QTest::newRow("empty") << "" << qint64(-1);
}

void TestProbeNet::dottedAddresses()
{
    QFETCH(QString, text);
    QFETCH(qint64, address);
    const auto parsed = probe_net::ParseDottedAddress(text.toStdString());
    QCOMPARE(parsed ? qint64(*parsed) : qint64(-1), address);
}

void TestProbeNet::platformErrorsAreWindowsNumbers()
{
    LoopbackListener accepting("127.0.0.55", 47055);
    LoopbackListener silent("127.0.0.56", 47056, 0);
    silent.FillQueue();

    const probe_net::Handle refused = probe_net::OpenStream(false).socket;
    int error = probe_net::StartConnect(refused, LoopbackIp(55), 47057);
    if (error == probe_net::kWouldBlock) {
        QVERIFY(Writable(refused));
        error = probe_net::ConnectResult(refused);
    }
    QCOMPARE(error, 10061);
    QCOMPARE(probe_net::Close(refused), 0);

    const probe_net::Handle pending = probe_net::OpenStream(false).socket;
    QCOMPARE(probe_net::StartConnect(pending, LoopbackIp(56), 47056), probe_net::kWouldBlock);
    QCOMPARE(probe_net::StartConnect(pending, LoopbackIp(56), 47056), 10037);
    QCOMPARE(probe_net::Close(pending), 0);
    QCOMPARE(probe_net::Close(pending), 10009);

    const probe_net::Handle standing = probe_net::OpenStream(false).socket;
    probe_net::StartConnect(standing, LoopbackIp(55), 47055);
    QVERIFY(Writable(standing));
    QCOMPARE(probe_net::ConnectResult(standing), 0);
    // Linux reports the finished connect once more before it refuses.
    int again = probe_net::StartConnect(standing, LoopbackIp(55), 47055);
    if (again == 0) again = probe_net::StartConnect(standing, LoopbackIp(55), 47055);
    QCOMPARE(again, 10056);
    const int connection = accepting.Accept();
    const linger reset{1, 0};
    ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    ::close(connection);
    const probe_net::Peek peek = probe_net::PeekOneByte(standing); // loopback resets at once
    QCOMPARE(peek.state, probe_net::PeekState::Closed);
    QCOMPARE(peek.error, 10054);
    probe_net::Close(standing);
}

QTEST_GUILESS_MAIN(TestProbeNet)
#include "tst_probe_net.moc"
