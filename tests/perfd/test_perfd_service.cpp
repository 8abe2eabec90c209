// tarvenix-perfd end to end on 127.0.0.20-33 and 127.0.6.1, with fixed /proc
// directories: the reader through the platform's client, the wire format, bad
// clients, SMB clients, refused networks, clients that never read, and
// stopping on signals. Also the client against services that answer wrongly
// or not at all.
#include "collect/process_table_reader.h"
#include "perfd/perf_query.h"
#include "perfd/proc_scanner.h"
#include "platform/perf_data.h"
#include "tests/perfd/perfd_runner.h"
#include "tests/perfd/proc_fixture.h"
#include "tests/perfd/raw_client.h"
#include "tests/perfd/scripted_server.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

std::vector<TProcessGroup> ReadWithin(const char *computer, int timeoutMs)
{
    const auto source = perf_data::NewPlatformSource(
        {std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs), nullptr});
    return TProcessTableReader(*source).Read(QLatin1String(computer)).groups;
}

} // namespace

class TestPerfdService : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(proc_.isValid());
        WriteInitAndWorkers(proc_.path(), 600);
        shared_ = std::make_unique<PerfdRunner>(PerfdArgs(proc_, {"--listen", "127.0.0.23"}));
        QVERIFY(shared_->Listening());
    }
    void cleanupTestCase() { shared_.reset(); }

    // Over 65535 bytes, so the client goes through a 234 answer.
    void readerGetsTheFixedTableOnEveryAddress()
    {
        PerfdRunner perfd(PerfdArgs(proc_, {"--listen", "127.0.0.20", "--listen", "127.0.0.21"}));
        QVERIFY(perfd.Listening());
        const std::vector<TProcessRecord> expected = ScanProcesses(proc_.path().toStdString());
        QCOMPARE(expected.size(), size_t(601));
        for (const char *address : {"127.0.0.20", "127.0.0.21"}) {
            const auto groups = ReadWithin(address, 3000);
            QCOMPARE(groups.size(), size_t(1));
            QCOMPARE(groups[0], expected);
        }
        QCOMPARE(expected[0].Memory, 9000 * 1024);
    }

    void wireFormat()
    {
        PerfdRunner perfd(PerfdArgs(proc_, {"--listen", "127.0.0.22"}));
        QVERIFY(perfd.Listening());
        RawClient early("127.0.0.22");
        early.Send(Query(65535, "230")); // before any connect
        QCOMPARE(early.Read()->status, 6u);

        RawClient client("127.0.0.22");
        client.Send(Frame(1, Le(0x80000002)));
        QCOMPARE(client.Read()->status, 6u);
        client.Send(kConnect);
        const auto connected = client.Read();
        QVERIFY(connected);
        QCOMPARE(connected->status, 0u);
        QVERIFY(connected->payload.isEmpty());
        client.Send(Query(16, "230"));
        const auto more = client.Read();
        QCOMPARE(more->status, 234u);
        QCOMPARE(more->payload.size(), 4);
        const auto needed = qFromLittleEndian<std::uint32_t>(more->payload.constData());
        client.Send(Query(needed, "Global"));
        const auto data = client.Read();
        QCOMPARE(data->status, 0u);
        QCOMPARE(std::uint32_t(data->payload.size()), needed);
        QVERIFY(data->payload.startsWith(QByteArray("P\0E\0R\0F\0", 8)));
        client.Send(Query(0xFFFFFFFF, "Costs"));
        QCOMPARE(client.Read()->status, 2u);
        client.Send(Frame(3, {}));
        QVERIFY(client.ClosedSilently());
    }

    void malformedRequestsCloseOnlyThatConnection_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::newRow("wrong magic") << QByteArray("TPD2\x01\0\0\0\x04\0\0\0\x04\0\0\x80", 16);
        QTest::newRow("unknown op") << Frame(9, {});
        QTest::newRow("op 0") << Frame(0, Le(0x80000004));
        QTest::newRow("payload over 4096") << Frame(2, Le(100) + QByteArray(4093, 'x'));
        QTest::newRow("length says over 4096") << "TPD1" + Le(1) + Le(0xFFFFFFFF);
        QTest::newRow("short connect") << Frame(1, "abc");
        QTest::newRow("short query") << kConnect + Frame(2, "ab");
    }
    void malformedRequestsCloseOnlyThatConnection()
    {
        QFETCH(QByteArray, request);
        RawClient bad("127.0.0.23");
        bad.Send(request);
        if (request.startsWith(kConnect)) QCOMPARE(bad.Read()->status, 0u);
        QVERIFY(bad.ClosedSilently());
        QCOMPARE(ReadWithin("127.0.0.23", 3000).size(), size_t(1));
    }

    // A program that tries SMB first loses no time on the service: its
    // negotiate, whole or only its first bytes, is closed at once, unlogged.
    void smbNegotiateIsClosedAtOnce()
    {
        PerfdRunner perfd(PerfdArgs(proc_, {"--listen", "127.0.6.1"}));
        QVERIFY(perfd.Listening());
        const auto netbios = [](const QByteArray &message) { // a session message
            const auto n = std::uint32_t(message.size());
            return QByteArray(1, '\0') + char(n >> 16) + char(n >> 8) + char(n) + message;
        };
        QByteArray smb2("\xFESMB\x40\0", 6);
        smb2 += QByteArray(58, '\0');                   // negotiate, no session
        smb2 += QByteArray("\x24\0\x02\0\x01\0", 6); // two dialects, signing enabled
        smb2 += QByteArray(30, '\0') + QByteArray("\x02\x02\x10\x02", 4);
        QByteArray smb1("\xFFSMB\x72", 5);
        smb1 += QByteArray(27, '\0') + QByteArray("\0\x0C\0\x02NT LM 0.12\0", 15);
        const QString before = perfd.Log();
        for (const QByteArray &opening : {netbios(smb2), netbios(smb1), netbios(smb2).left(8)}) {
            RawClient client("127.0.6.1");
            QElapsedTimer timer;
            timer.start();
            client.Send(opening);
            QVERIFY(client.ClosedSilently());
            QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        }
        QCOMPARE(perfd.Log(), before);
        QCOMPARE(ReadWithin("127.0.6.1", 3000).size(), size_t(1));
    }

    void clientsOutsideTheAllowedNetworksAreRefused()
    {
        PerfdRunner perfd(PerfdArgs(proc_, {"--listen", "127.0.0.24", "--allow", "127.0.0.25/32",
                                            "--allow", "10.0.0.0/8"}));
        QVERIFY(perfd.Listening());
        RawClient outsider("127.0.0.24", "127.0.0.26");
        QVERIFY(outsider.Connected());
        QVERIFY(outsider.ClosedSilently());
        RawClient allowed("127.0.0.24", "127.0.0.25");
        allowed.Send(kConnect);
        QCOMPARE(allowed.Read()->status, 0u);
        QCOMPARE(int(perfd.Log().count("refused 127.0.0.26")), 1);
        QCOMPARE(int(perfd.Log().count("refused")), 1);
    }

    void defaultAllowsOnlyLoopback()
    {
        PerfdRunner perfd(PerfdArgs(proc_, {"--listen", "127.0.0.27"}));
        QVERIFY(perfd.Listening());
        RawClient local("127.0.0.27", "127.0.0.28");
        local.Send(kConnect);
        QCOMPARE(local.Read()->status, 0u);
        QVERIFY(!perfd.Log().contains("refused"));
    }

    // One client fills its receive window and stops reading: the others are
    // served meanwhile, and the idle time-out closes it.
    void clientThatNeverReads()
    {
        PerfdRunner perfd(PerfdArgs(proc_, {"--listen", "127.0.0.29", "--idle", "3"}));
        QVERIFY(perfd.Listening());
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        const int small = 4096;
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_port = htons(445);
        inet_pton(AF_INET, "127.0.0.29", &at.sin_addr);
        QCOMPARE(::connect(fd, reinterpret_cast<sockaddr *>(&at), sizeof at), 0);
        QByteArray requests = kConnect;
        constexpr int kQueries = 200;
        for (int i = 0; i < kQueries; ++i)
            requests += Query(1u << 26, "230");
        QCOMPARE(send(fd, requests.constData(), size_t(requests.size()), 0), requests.size());

        QElapsedTimer timer;
        timer.start();
        QCOMPARE(ReadWithin("127.0.0.29", 3000).size(), size_t(1));
        qInfo("served in %lld ms beside the stuck client", timer.elapsed());
        QVERIFY(timer.elapsed() < 3000); // before the stuck client's idle close

        QTest::qWait(4000);
        qint64 received = 0;
        char sink[65536];
        pollfd p{fd, POLLIN, 0};
        ssize_t got = 1;
        while (poll(&p, 1, 3000) == 1 && (got = recv(fd, sink, sizeof sink, 0)) > 0)
            received += got;
        ::close(fd);
        QVERIFY2(got <= 0, "the connection was not closed");
        const qint64 block = qint64(AnswerPerfQuery("230", 0, proc_.path().toStdString()).block->size());
        QVERIFY(received < kQueries * block / 2);
    }

    void stopsCleanlyOnSignals_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
    }
    void stopsCleanlyOnSignals()
    {
        QFETCH(int, signal);
        PerfdRunner perfd(PerfdArgs(proc_, {"--listen", "127.0.0.30"}));
        QVERIFY(perfd.Listening());
        RawClient client("127.0.0.30");
        client.Send(kConnect);
        QCOMPARE(client.Read()->status, 0u);
        ::kill(pid_t(perfd.Process().processId()), signal);
        QVERIFY(perfd.Process().waitForFinished(5000));
        QCOMPARE(perfd.Process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(perfd.Process().exitCode(), 0);
        QVERIFY(perfd.Log().contains("stopped"));
    }

    // Port 445 held by a program of this test, named as Samba's server is:
    // the service says by what, or that it may not see what when it runs as
    // another user, as under its unit.
    void portInUseSaysByWhat_data()
    {
        QTest::addColumn<bool>("asNobody");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("expected");
        QTest::newRow("visible holder")
            << false << 445
            << QStringLiteral("port 445 is in use by smbd (Samba), PID %1").arg(getpid());
        // Unprivileged, the service can bind only a high port.
        QTest::newRow("holder out of sight")
            << true << 4450
            << QStringLiteral("port 4450 is in use by another program, which this service "
                              "may not see (as root, 'ss -ltnp sport = :4450' names it)");
    }
    void portInUseSaysByWhat()
    {
        QFETCH(bool, asNobody);
        QFETCH(int, port);
        QFETCH(QString, expected);
        if (asNobody && getuid() != 0) QSKIP("needs root to run the service as another user");
        const int holder = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_port = htons(std::uint16_t(port));
        inet_pton(AF_INET, "127.0.0.31", &at.sin_addr);
        QCOMPARE(bind(holder, reinterpret_cast<sockaddr *>(&at), sizeof at), 0);
        QCOMPARE(listen(holder, 1), 0);
        char ownName[16] = {};
        prctl(PR_GET_NAME, ownName);
        prctl(PR_SET_NAME, "smbd");
        QProcess perfd;
        if (asNobody) perfd.setChildProcessModifier([] { [[maybe_unused]] int r = setuid(65534); });
        perfd.start(QStringLiteral(TARVENIX_PERFD_PATH),
                    {"--listen", "127.0.0.31", "--port", QString::number(port)});
        const bool finished = perfd.waitForFinished(5000);
        prctl(PR_SET_NAME, ownName);
        ::close(holder);
        QVERIFY(finished);
        QCOMPARE(perfd.exitCode(), 1);
        const QString log = QString::fromLocal8Bit(perfd.readAllStandardError());
        QVERIFY2(log.contains(QStringLiteral("cannot listen on 127.0.0.31:%1: ").arg(port) + expected),
                 qPrintable(log));
    }

    void badOptionsAreRefused()
    {
        QProcess perfd;
        perfd.start(QStringLiteral(TARVENIX_PERFD_PATH),
                    {"--allow", "127.0.0.1", "--listen", "127.0.0.31"});
        QVERIFY(perfd.waitForFinished(5000));
        QCOMPARE(perfd.exitCode(), 1);
    }

    // The client's side: whatever goes wrong is no data, within the time-out.
    void brokenServicesGiveNothing_data()
    {
        QTest::addColumn<QByteArray>("connectAnswer"); // empty: never answers
        QTest::addColumn<QByteArray>("queryAnswer");   // empty: closes instead
        const QByteArray ok = Frame(0, {});
        QTest::newRow("silent") << QByteArray() << QByteArray();
        QTest::newRow("wrong magic") << "TPDX" + Le(0) + Le(0) << QByteArray();
        QTest::newRow("connect answer with payload") << Frame(0, "x") << QByteArray();
        QTest::newRow("more data than offered") << ok << Frame(0, QByteArray(70000, '\0'));
        QTest::newRow("234 with 8 bytes") << ok << Frame(234, Le(1) + Le(2));
        QTest::newRow("closed after connect") << ok << QByteArray();
        QTest::newRow("answer cut short") << ok << ("TPD1" + Le(0) + Le(100) + QByteArray(50, 'x'));
    }
    void brokenServicesGiveNothing()
    {
        QFETCH(QByteArray, connectAnswer);
        QFETCH(QByteArray, queryAnswer);
        QElapsedTimer timer;
        timer.start();
        {
            ScriptedServer server("127.0.0.32", [&](int fd) {
                if (!ScriptedServer::ReadRequest(fd)) return;
                if (connectAnswer.isEmpty()) return ScriptedServer::ReadUntilClosed(fd);
                if (!ScriptedServer::Write(fd, connectAnswer) || !ScriptedServer::ReadRequest(fd) ||
                    queryAnswer.isEmpty())
                    return;
                ScriptedServer::Write(fd, queryAnswer);
                ScriptedServer::ReadUntilClosed(fd);
            });
            QVERIFY(ReadWithin("127.0.0.32", 400).empty());
        }
        QVERIFY(timer.elapsed() < 3000);
    }

    void nobodyListening()
    {
        QElapsedTimer timer;
        timer.start();
        QVERIFY(ReadWithin("127.0.0.33", 2000).empty());
        QVERIFY(timer.elapsed() < 1000);
    }

private:
    QTemporaryDir proc_;
    std::unique_ptr<PerfdRunner> shared_; // for the malformed requests
};

QTEST_GUILESS_MAIN(TestPerfdService)
#include "test_perfd_service.moc"
