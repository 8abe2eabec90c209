// The reading of one computer: what it asks of the platform, how it grows
// its buffer, that every failure is an empty result with the key closed,
// and the local computer's own table.
#include "collect/process_table_reader.h"
#include "tests/reader/fake_perf_source.h"
#include "tests/reader/synthetic_block.h"

#include <QtTest>
#include <unistd.h>

using More = FakePerfSource::MoreDataCount;
Q_DECLARE_METATYPE(More)

namespace
{

// A process table of the given number of instances, about 160 bytes each.
QByteArray TableOf(int processes)
{
    SynObject object;
    for (int i = 0; i < processes; ++i)
        object.instances.push_back(
            {u"process-" + QString::number(i).toStdU16String(), i + 1, 0, 1000, 1, 8});
    return SyntheticBlock({object}).bytes;
}

} // namespace

class TestProcessTableReader : public QObject
{
    Q_OBJECT
private slots:
    void asksForTheProcessObjectOfTheNamedComputer()
    {
        FakePerfSource source;
        source.block = TableOf(3);
        const auto groups = TProcessTableReader(source).Read(QStringLiteral("ws-07.lan"));
        QCOMPARE(source.connectedName, std::string("ws-07.lan"));
        QCOMPARE(source.connectedKey, 0x80000004u);
        QCOMPARE(source.valueNames, std::vector<std::string>{"230"});
        QCOMPARE(source.offers, std::vector<std::uint32_t>{65535});
        QCOMPARE(groups.size(), size_t(1));
        QCOMPARE(groups[0].size(), size_t(3));
        QCOMPARE(source.closed, 1);
    }

    void refusedConnectionReadsNothing()
    {
        FakePerfSource source;
        source.block = TableOf(3);
        source.connectStatus = 53;
        QVERIFY(TProcessTableReader(source).Read(QStringLiteral("gone")).empty());
        QVERIFY(source.offers.empty());
        QCOMPARE(source.closed, 0);
    }

    // Each retry grows by 10240 from the larger of offered and returned.
    void largeTableAfterGrowthSteps_data()
    {
        QTest::addColumn<More>("more");
        QTest::addColumn<int>("queries");
        const int steps = int((TableOf(1500).size() - 65535 + 10239) / 10240);
        QTest::newRow("count says what is needed") << More::Needed << 2;
        QTest::newRow("count left as offered") << More::Unchanged << 1 + steps;
        QTest::newRow("count left at 0") << More::Zero << 1 + steps;
    }
    void largeTableAfterGrowthSteps()
    {
        QFETCH(More, more);
        QFETCH(int, queries);
        FakePerfSource source;
        source.block = TableOf(1500);
        QVERIFY(source.block.size() > 200000);
        source.moreData = more;
        const auto groups = TProcessTableReader(source).Read(QStringLiteral("big"));
        QCOMPARE(int(source.offers.size()), queries);
        QCOMPARE(source.offers.front(), 65535u);
        for (size_t i = 1; i < source.offers.size(); ++i) {
            const std::uint32_t larger =
                more == More::Needed ? std::uint32_t(source.block.size()) : source.offers[i - 1];
            QCOMPARE(source.offers[i], larger + 10240);
        }
        QCOMPARE(groups.size(), size_t(1));
        QCOMPARE(groups[0].size(), size_t(1500));
        QCOMPARE(groups[0].back().PID, 1500);
        QCOMPARE(source.closed, 1);
    }

    void failuresGiveNothingAndCloseTheKey_data()
    {
        QTest::addColumn<int>("processes");
        QTest::addColumn<int>("failFrom");
        QTest::addColumn<More>("more");
        QTest::newRow("first query fails") << 3 << 0 << More::Needed;
        QTest::newRow("query after growth fails") << 1500 << 1 << More::Needed;
        QTest::newRow("platform asks for 4 GiB") << 1500 << INT_MAX << More::Huge;
    }
    void failuresGiveNothingAndCloseTheKey()
    {
        QFETCH(int, processes);
        QFETCH(int, failFrom);
        QFETCH(More, more);
        FakePerfSource source;
        source.block = TableOf(processes); // the buffer holds a good block even so
        source.failFrom = size_t(failFrom);
        source.moreData = more;
        QVERIFY(TProcessTableReader(source).Read(QStringLiteral("x")).empty());
        QVERIFY(source.offers.size() <= 2);
        QCOMPARE(source.closed, 1);
    }

    void exceptionOfThePlatformStillClosesTheKey()
    {
        FakePerfSource source;
        source.throwOnQuery = true;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 TProcessTableReader(source).Read(QStringLiteral("x")));
        QCOMPARE(source.closed, 1);
    }

    // Counted past the buffer: only the buffer is walked.
    void overstatedCountIsHeldToTheBuffer()
    {
        FakePerfSource source;
        source.block = TableOf(2);
        source.successCountBonus = 1u << 30;
        const auto groups = TProcessTableReader(source).Read(QStringLiteral("x"));
        QCOMPARE(groups.size(), size_t(1));
        QCOMPARE(groups[0].size(), size_t(2));
    }

    void emptyNameReadsThisComputer()
    {
        const auto groups = ReadProcessTable(QString());
        QCOMPARE(groups.size(), size_t(1));
        const auto self = std::find_if(groups[0].begin(), groups[0].end(),
                                       [](const TProcessRecord &r) { return r.PID == getpid(); });
        QVERIFY(self != groups[0].end());
        QCOMPARE(self->ParentPID, int(getppid()));
        QVERIFY(self->Threads >= 1);
        QVERIFY(self->Memory > 0);
        QCOMPARE(self->Name, QCoreApplication::applicationName().left(15));
    }
};

QTEST_GUILESS_MAIN(TestProcessTableReader)
#include "test_process_table_reader.moc"
