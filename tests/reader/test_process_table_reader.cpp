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
Q_DECLARE_METATYPE(std::vector<std::uint32_t>)

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
        const auto groups = TProcessTableReader(source).Read(QStringLiteral("ws-07.lan")).groups;
        QCOMPARE(source.connectedName, std::string("ws-07.lan"));
        QCOMPARE(source.connectedKey, 0x80000004u);
        QCOMPARE(source.valueNames, std::vector<std::string>{"230"});
        QCOMPARE(source.offers, std::vector<std::uint32_t>{65535});
        QCOMPARE(groups.size(), size_t(1));
        QCOMPARE(groups[0].size(), size_t(3));
        QCOMPARE(source.closed, 1);
    }

    // The refusal's status comes back, so that the reason can be told.
    void refusedConnectionReadsNothing()
    {
        FakePerfSource source;
        source.block = TableOf(3);
        source.connectStatus = 53;
        const ReadingOutcome outcome = TProcessTableReader(source).Read(QStringLiteral("gone"));
        QVERIFY(outcome.groups.empty());
        QCOMPARE(outcome.status, 53);
        QVERIFY(source.offers.empty());
        QCOMPARE(source.closed, 0);
    }

    // A count above the offer is what the platform needs, and gets 10240
    // bytes more; any other count makes the offer four times larger.
    void largeTableAfterGrowthSteps_data()
    {
        QTest::addColumn<More>("more");
        QTest::addColumn<std::vector<std::uint32_t>>("offers");
        const auto needed = std::uint32_t(TableOf(2000).size());
        QVERIFY(needed > 4 * 65535);
        QTest::newRow("count says what is needed")
            << More::Needed << std::vector{65535u, needed + 10240};
        QTest::newRow("count left as offered")
            << More::Unchanged << std::vector{65535u, 262140u, 1048560u};
        QTest::newRow("count left at 0") << More::Zero << std::vector{65535u, 262140u, 1048560u};
    }
    void largeTableAfterGrowthSteps()
    {
        QFETCH(More, more);
        QFETCH(std::vector<std::uint32_t>, offers);
        FakePerfSource source;
        source.block = TableOf(2000);
        source.moreData = more;
        const auto groups = TProcessTableReader(source).Read(QStringLiteral("big")).groups;
        QCOMPARE(source.offers, offers);
        QCOMPARE(groups.size(), size_t(1));
        QCOMPARE(groups[0].size(), size_t(2000));
        QCOMPARE(groups[0].back().PID, 2000);
        QCOMPARE(source.closed, 1);
    }

    // A real platform answers in two; one that never stops asking gets six
    // queries, and four times the offer never passes 64 MiB meanwhile.
    void endlessMoreDataEndsAfterSixQueries_data()
    {
        QTest::addColumn<More>("more");
        QTest::newRow("one byte more each time") << More::OneMore;
        QTest::newRow("count left as offered") << More::Unchanged;
    }
    void endlessMoreDataEndsAfterSixQueries()
    {
        QFETCH(More, more);
        FakePerfSource source;
        source.block = TableOf(3);
        source.moreData = more;
        source.alwaysMoreData = true;
        QVERIFY(TProcessTableReader(source).Read(QStringLiteral("x")).groups.empty());
        QCOMPARE(source.offers.size(), size_t(6));
        QVERIFY(source.offers.back() <= 64u * 1024 * 1024);
        QCOMPARE(source.closed, 1);
    }

    // A block answered with success but fewer bytes than it declares is
    // asked for again as if the platform had said more data; one that stays
    // short gives nothing, never a part of the table.
    void shortAnswerIsAskedAgain_data()
    {
        QTest::addColumn<bool>("cutAtOffer");
        QTest::addColumn<std::uint32_t>("shortBy");
        QTest::addColumn<int>("totalByteLength"); // patched into the block; -1: as built
        QTest::addColumn<int>("records");
        QTest::newRow("cut at the offer") << true << 0u << -1 << 2000;
        QTest::newRow("cut at the offer, no block length") << true << 0u << 0 << 2000;
        QTest::newRow("always a byte short") << false << 1u << -1 << 0;
        QTest::newRow("block length past its objects") << true << 0u << 1000000 << 0;
    }
    void shortAnswerIsAskedAgain()
    {
        QFETCH(bool, cutAtOffer);
        QFETCH(std::uint32_t, shortBy);
        QFETCH(int, totalByteLength);
        QFETCH(int, records);
        FakePerfSource source;
        source.block = TableOf(2000);
        if (totalByteLength >= 0) PatchU32(source.block, syn::kTotalByteLength, totalByteLength);
        source.cutAtOffer = cutAtOffer;
        source.shortBy = shortBy;
        const ReadingOutcome outcome = TProcessTableReader(source).Read(QStringLiteral("x"));
        QCOMPARE(outcome.groups.empty() ? 0 : int(outcome.groups[0].size()), records);
        QVERIFY(source.offers.size() >= 2);
        if (records) {
            QCOMPARE(source.offers, (std::vector<std::uint32_t>{
                                        65535, std::uint32_t(source.block.size()) + 10240}));
        } else {
            QCOMPARE(outcome.status, perf_data::kMoreData);
            QVERIFY(source.offers.size() <= 6 && source.offers.back() <= 64u * 1024 * 1024);
        }
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
        QVERIFY(TProcessTableReader(source).Read(QStringLiteral("x")).groups.empty());
        QVERIFY(source.offers.size() <= 2);
        QCOMPARE(source.closed, 1);
    }

    void exceptionOfThePlatformStillClosesTheKey()
    {
        FakePerfSource source;
        source.throwOnQuery = true;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 TProcessTableReader(source).Read(QStringLiteral("x")).groups);
        QCOMPARE(source.closed, 1);
    }

    // Counted past the buffer: only the buffer is walked.
    void overstatedCountIsHeldToTheBuffer()
    {
        FakePerfSource source;
        source.block = TableOf(2);
        source.successCountBonus = 1u << 30;
        const auto groups = TProcessTableReader(source).Read(QStringLiteral("x")).groups;
        QCOMPARE(groups.size(), size_t(1));
        QCOMPARE(groups[0].size(), size_t(2));
    }

    // Read in-process, without a network bound: even a spent budget reads.
    void emptyNameReadsThisComputer()
    {
        const auto groups =
            ReadProcessTable(QString(), {std::chrono::steady_clock::now(), nullptr}).groups;
        QCOMPARE(groups.size(), size_t(1));
        const auto self = std::find_if(groups[0].begin(), groups[0].end(),
                                       [](const TProcessRecord &r) { return r.PID == getpid(); });
        QVERIFY(self != groups[0].end());
        QCOMPARE(self->ParentPID, int(getppid()));
        QVERIFY(self->Threads >= 1);
        QVERIFY(self->Memory > 0);
        QCOMPARE(QString::fromStdString(self->Name), QCoreApplication::applicationName().left(15));
    }
};

QTEST_GUILESS_MAIN(TestProcessTableReader)
#include "test_process_table_reader.moc"
