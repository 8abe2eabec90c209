// The service's side: the /proc scanner on fixed directories (kernel
// threads, cut names, scheduling), the block writer's layout, and the
// reader's walk agreeing with the writer.
#include "collect/perf_block_walk.h"
#include "perfd/perf_block_writer.h"
#include "perfd/perf_query.h"
#include "perfd/proc_scanner.h"
#include "tests/perfd/proc_fixture.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace
{

std::uint32_t U32At(const std::string &b, size_t at)
{
    return qFromLittleEndian<std::uint32_t>(b.data() + at);
}

std::vector<TProcessRecord> Scan(const QTemporaryDir &proc, ScanOptions options = {})
{
    return ScanProcesses(proc.path().toStdString(), options);
}

QStringList Names(const std::vector<TProcessRecord> &processes)
{
    QStringList names;
    for (const TProcessRecord &p : processes)
        names << QString::fromStdString(p.Name);
    return names;
}

constexpr int kSchedFifo = 1, kSchedRoundRobin = 2, kSchedBatch = 3, kSchedIdle = 5,
              kSchedDeadline = 6;

const std::vector<TProcessRecord> kTable{
    {"systemd", 1, 0, 12 << 20, 1, 8},
    {"kworker/0:1-events", 15, 2, 0, 1, 8},
    {"caf\u00e9 \u4e2d \U0001F427", 812, 1, 6LL << 30, 37, 24},
    {"bash", 900, 812, 4096, 1, 4},
    {"bash", 901, 812, 4096, 1, 13},
    {"bad \xff\xe2\x82 bytes", 902, 1, 4096, 1, 8},
};

} // namespace

class TestPerfdBlock : public QObject
{
    Q_OBJECT
private slots:
    void scannerReadsCommStatAndStatus()
    {
        QTemporaryDir proc;
        WriteFixtureProcess(proc.path(), {7, "my (odd) name", 3, 5, 4, "1536"});
        WriteFixtureProcess(proc.path(), {5, "zombie", 1, 0, 1, ""});
        WriteFixtureProcess(proc.path(), {40, "hog", 1, 0, 9, "99999999"}); // ~95 GiB
        const auto processes = Scan(proc);
        QCOMPARE(processes.size(), size_t(3));
        const TProcessRecord &odd = processes[1]; // sorted by PID
        QCOMPARE(odd.Name, std::string("my (odd) name"));
        QCOMPARE(odd.PID, 7);
        QCOMPARE(odd.ParentPID, 3);
        QCOMPARE(odd.Priority, 6);
        QCOMPARE(odd.Threads, 4);
        QCOMPARE(odd.Memory, 1536 * 1024);
        QCOMPARE(processes[0].Memory, 0);
        QCOMPARE(processes[2].Memory, 99999999LL * 1024);
    }

    // Kernel threads are known by their flag, not their name; a process name
    // the kernel cut to 15 characters is kept as it is.
    void kernelThreadsAreLeftOutUnlessAsked()
    {
        QTemporaryDir proc;
        WriteFixtureProcess(proc.path(), {1, "systemd", 0, 0, 1, "12000"});
        WriteFixtureProcess(proc.path(), {2, "kthreadd", 0, 0, 1, "", true});
        WriteFixtureProcess(proc.path(), {3, "rcu_gp", 2, -20, 1, "", true});
        WriteFixtureProcess(proc.path(), {15, "kworker/0:1-events", 2, 0, 1, "", true});
        WriteFixtureProcess(proc.path(), {16, "migration/0", 2, 0, 1, "", true, kSchedFifo});
        WriteFixtureProcess(proc.path(), {300, "systemd-journal", 1, -1, 1, "30000"});
        WriteFixtureProcess(proc.path(), {301, "kworker-lookali", 1, 0, 1, "100"});
        const QStringList processes{"systemd", "systemd-journal", "kworker-lookali"};
        QCOMPARE(Names(Scan(proc)), processes);
        QCOMPARE(Names(Scan(proc)), processes); // the same names pass after pass

        const auto all = Scan(proc, ScanOptions{true});
        QCOMPARE(Names(all), QStringList({"systemd", "kthreadd", "rcu_gp", "kworker/0:1-events",
                                          "migration/0", "systemd-journal", "kworker-lookali"}));
        QCOMPARE(all[2].Priority, 13);
        QCOMPARE(all[3].Memory, 0);
        QCOMPARE(all[4].Priority, 24);
    }

    void priorityFollowsPolicyAndNice_data()
    {
        QTest::addColumn<int>("policy");
        QTest::addColumn<int>("nice");
        QTest::addColumn<int>("priority");
        QTest::newRow("normal") << 0 << 0 << 8;
        QTest::newRow("nice 1") << 0 << 1 << 6;
        QTest::newRow("nice 10") << 0 << 10 << 6;
        QTest::newRow("nice 14") << 0 << 14 << 6;
        QTest::newRow("nice 15") << 0 << 15 << 4;
        QTest::newRow("nice 19") << 0 << 19 << 4;
        QTest::newRow("nice -1") << 0 << -1 << 10;
        QTest::newRow("nice -9") << 0 << -9 << 10;
        QTest::newRow("nice -10") << 0 << -10 << 13;
        QTest::newRow("nice -20") << 0 << -20 << 13;
        QTest::newRow("batch") << kSchedBatch << 0 << 8;
        QTest::newRow("batch, nice 10") << kSchedBatch << 10 << 6;
        QTest::newRow("idle policy") << kSchedIdle << 0 << 4;
        QTest::newRow("FIFO") << kSchedFifo << 0 << 24;
        QTest::newRow("round robin, nice 19") << kSchedRoundRobin << 19 << 24;
        QTest::newRow("deadline") << kSchedDeadline << 0 << 24;
    }
    void priorityFollowsPolicyAndNice()
    {
        QFETCH(int, policy);
        QFETCH(int, nice);
        QFETCH(int, priority);
        QTemporaryDir proc;
        WriteFixtureProcess(proc.path(), {42, "task", 1, nice, 1, "100", false, policy});
        const auto processes = Scan(proc);
        QCOMPARE(processes.size(), size_t(1));
        QCOMPARE(processes[0].Priority, priority);
    }

    void scannerSkipsWhatIsNotAWholeProcess()
    {
        QTemporaryDir proc;
        WriteFixtureProcess(proc.path(), {10, "kept", 1, 0, 1, "8"});
        QDir(proc.path()).mkpath("11"); // vanished: no files left
        WriteFixtureProcess(proc.path(), {12, "cut", 1, 0, 1, "8"});
        QFile stat(proc.path() + "/12/stat");
        QVERIFY(stat.open(QIODevice::WriteOnly | QIODevice::Truncate));
        stat.write("12 (cut) S 1 1");
        stat.close();
        WriteFixtureProcess(proc.path(), {13, "garbled", 1, 0, 1, "8"});
        QFile garbled(proc.path() + "/13/stat");
        QVERIFY(garbled.open(QIODevice::ReadWrite));
        QList<QByteArray> fields = garbled.readAll().split(' ');
        fields[40] = "x"; // the policy, field 41, no longer a number
        garbled.resize(0);
        garbled.write(fields.join(' '));
        garbled.close();
        QDir(proc.path()).mkpath("self");
        QDir(proc.path()).mkpath("sys");
        const auto processes = Scan(proc);
        QCOMPARE(Names(processes), QStringList{"kept"});
        QVERIFY(ScanProcesses(proc.path().toStdString() + "/missing").empty());
    }

    void writerLayout()
    {
        const std::string b = BuildPerfDataBlock(kTable, "HOST");
        QCOMPARE(b.substr(0, 8), std::string("P\0E\0R\0F\0", 8));
        QCOMPARE(U32At(b, 8), 1u);                       // little-endian
        QCOMPARE(U32At(b, 20), std::uint32_t(b.size())); // TotalByteLength
        const std::uint32_t header = U32At(b, 24);
        QCOMPARE(header, 88u + 16); // "HOST" and NUL, padded
        QCOMPARE(U32At(b, 28), 1u);
        QCOMPARE(U32At(b, 84), 88u);
        QCOMPARE(b.substr(88, 10), std::string("H\0O\0S\0T\0\0\0", 10));
        const std::uint32_t object = header;
        QCOMPARE(U32At(b, object), std::uint32_t(b.size()) - object);
        const std::uint32_t numCounters = U32At(b, object + 32);
        QCOMPARE(U32At(b, object + 4), 64 + 40 * numCounters);
        QCOMPARE(U32At(b, object + 12), 230u);
        QCOMPARE(U32At(b, object + 40), std::uint32_t(kTable.size()));
        QSet<std::uint32_t> offsets;
        for (std::uint32_t i = 0; i < numCounters; ++i)
            offsets.insert(U32At(b, object + 64 + 40 * i + 36));
        // Working Set whole past the five slots of old, where readers by
        // offset still find it, cut to 2 GiB - 1.
        QCOMPARE(offsets, (QSet<std::uint32_t>{104, 80, 84, 96, 100}));
        size_t inst = object + U32At(b, object + 4);
        for (size_t i = 0; i < kTable.size(); ++i) {
            const std::uint32_t length = U32At(b, inst);
            QCOMPARE(length % 8, 0u);
            QCOMPARE(U32At(b, inst + 16), 24u);
            const QString name = QString::fromStdString(kTable[i].Name);
            QCOMPARE(U32At(b, inst + 20), std::uint32_t(name.size() + 1) * 2);
            const size_t counters = inst + length;
            QCOMPARE(U32At(b, counters), 112u);
            QCOMPARE(std::int32_t(U32At(b, counters + 96)), kTable[i].PID);
            QCOMPARE(U32At(b, counters + 52),
                     std::uint32_t(std::min<std::int64_t>(kTable[i].Memory, INT32_MAX)));
            QCOMPARE(qFromLittleEndian<std::int64_t>(b.data() + counters + 104), kTable[i].Memory);
            inst += length + 112;
        }
        QCOMPARE(inst, b.size());
    }

    void readerAgreesWithWriter_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("empty table") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("fixed table") << int(kTable.size());
    }
    void readerAgreesWithWriter()
    {
        QFETCH(int, count);
        const std::vector<TProcessRecord> table(kTable.begin(), kTable.begin() + count);
        const std::string b = BuildPerfDataBlock(table, "a-rather-long-name");
        const auto groups =
            WalkPerfBlock(reinterpret_cast<const unsigned char *>(b.data()), b.size());
        QCOMPARE(groups.size(), size_t(count > 0));
        for (int i = 0; i < count; ++i) {
            const TProcessRecord &p = table[size_t(i)];
            // Qt's decoder replaces bad UTF-8 bytes as the writer does.
            TProcessRecord written = p;
            written.Name = QString::fromStdString(p.Name).toStdString();
            QCOMPARE(groups[0][size_t(i)], written);
        }
    }

    void queryAnswers()
    {
        QTemporaryDir proc;
        WriteWorkers(proc.path(), 3);
        const std::string dir = proc.path().toStdString();
        const PerfQueryResult process = AnswerPerfQuery("230", 65535, dir);
        QCOMPARE(process.status, 0L);
        QCOMPARE(AnswerPerfQuery("Global", 65535, dir).block->size(), process.block->size());
        const PerfQueryResult small =
            AnswerPerfQuery("230", std::uint32_t(process.block->size() - 1), dir);
        QCOMPARE(small.status, 234L);
        QCOMPARE(small.block->size(), process.block->size());
        QCOMPARE(AnswerPerfQuery("238", 65535, dir).status, 2L);
        QCOMPARE(AnswerPerfQuery("", 65535, dir).status, 2L);
    }
};

QTEST_GUILESS_MAIN(TestPerfdBlock)
#include "test_perfd_block.moc"
