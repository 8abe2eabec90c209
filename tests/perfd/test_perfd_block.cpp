// The service's side: the /proc scanner on fixed directories, the block
// writer's layout, and the reader's walk agreeing with the writer.
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

std::uint32_t U32At(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<std::uint32_t>(b.constData() + at);
}

const std::vector<PerfProcess> kTable{
    {QStringLiteral("systemd"), 1, 0, 12 << 20, 1, 20},
    {QStringLiteral("kworker/0:1-events"), 15, 2, 0, 1, 0},
    {QStringLiteral("caf\u00e9 \u4e2d"), 812, 1, 0x7FFFFFFF, 37, 39},
    {QStringLiteral("bash"), 900, 812, 4096, 1, -51},
    {QStringLiteral("bash"), 901, 812, 4096, 1, 20},
};

} // namespace

class TestPerfdBlock : public QObject
{
    Q_OBJECT
private slots:
    void scannerReadsCommStatAndStatus()
    {
        QTemporaryDir proc;
        WriteFixtureProcess(proc.path(), {7, "my (odd) name", 3, 25, 4, "1536"});
        WriteFixtureProcess(proc.path(), {2, "kthreadd", 0, 20, 1, ""});
        WriteFixtureProcess(proc.path(), {40, "hog", 1, 20, 9, "99999999"}); // ~95 GiB
        const auto processes = ScanProcesses(proc.path());
        QCOMPARE(processes.size(), size_t(3));
        const PerfProcess &odd = processes[1]; // sorted by PID
        QCOMPARE(odd.Name, QStringLiteral("my (odd) name"));
        QCOMPARE(odd.PID, 7);
        QCOMPARE(odd.ParentPID, 3);
        QCOMPARE(odd.Priority, 25);
        QCOMPARE(odd.Threads, 4);
        QCOMPARE(odd.Memory, 1536 * 1024);
        QCOMPARE(processes[0].Memory, 0);
        QCOMPARE(processes[2].Memory, 2147483647);
    }

    void scannerSkipsWhatIsNotAWholeProcess()
    {
        QTemporaryDir proc;
        WriteFixtureProcess(proc.path(), {10, "kept", 1, 20, 1, "8"});
        QDir(proc.path()).mkpath("11"); // vanished: no files left
        WriteFixtureProcess(proc.path(), {12, "cut", 1, 20, 1, "8"});
        QFile stat(proc.path() + "/12/stat");
        QVERIFY(stat.open(QIODevice::WriteOnly | QIODevice::Truncate));
        stat.write("12 (cut) S 1 1");
        stat.close();
        QDir(proc.path()).mkpath("self");
        QDir(proc.path()).mkpath("sys");
        const auto processes = ScanProcesses(proc.path());
        QCOMPARE(processes.size(), size_t(1));
        QCOMPARE(processes[0].Name, QStringLiteral("kept"));
        QVERIFY(ScanProcesses(proc.path() + "/missing").empty());
    }

    void writerLayout()
    {
        const QByteArray b = BuildPerfDataBlock(kTable, QStringLiteral("HOST"));
        QCOMPARE(b.left(8), QByteArray("P\0E\0R\0F\0", 8));
        QCOMPARE(U32At(b, 8), 1u);                       // little-endian
        QCOMPARE(U32At(b, 20), std::uint32_t(b.size())); // TotalByteLength
        const std::uint32_t header = U32At(b, 24);
        QCOMPARE(header, 88u + 16); // "HOST" and NUL, padded
        QCOMPARE(U32At(b, 28), 1u);
        QCOMPARE(U32At(b, 84), 88u);
        QCOMPARE(b.mid(88, 10), QByteArray("H\0O\0S\0T\0\0\0", 10));
        const std::uint32_t object = header;
        QCOMPARE(U32At(b, object), std::uint32_t(b.size()) - object);
        const std::uint32_t numCounters = U32At(b, object + 32);
        QCOMPARE(U32At(b, object + 4), 64 + 40 * numCounters);
        QCOMPARE(U32At(b, object + 12), 230u);
        QCOMPARE(U32At(b, object + 40), std::uint32_t(kTable.size()));
        QSet<std::uint32_t> offsets;
        for (std::uint32_t i = 0; i < numCounters; ++i)
            offsets.insert(U32At(b, object + 64 + 40 * i + 36));
        QCOMPARE(offsets, (QSet<std::uint32_t>{52, 80, 84, 96, 100}));
        qsizetype inst = object + U32At(b, object + 4);
        for (size_t i = 0; i < kTable.size(); ++i) {
            const std::uint32_t length = U32At(b, inst);
            QCOMPARE(length % 8, 0u);
            QCOMPARE(U32At(b, inst + 16), 24u);
            QCOMPARE(U32At(b, inst + 20), std::uint32_t(kTable[i].Name.size() + 1) * 2);
            QCOMPARE(U32At(b, inst + length), 104u);
            QCOMPARE(std::int32_t(U32At(b, inst + length + 96)), kTable[i].PID);
            inst += length + 104;
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
        const std::vector<PerfProcess> table(kTable.begin(), kTable.begin() + count);
        const QByteArray b = BuildPerfDataBlock(table, QStringLiteral("a-rather-long-name"));
        const auto groups =
            WalkPerfBlock(reinterpret_cast<const unsigned char *>(b.constData()), size_t(b.size()));
        QCOMPARE(groups.size(), size_t(count > 0));
        for (int i = 0; i < count; ++i) {
            const PerfProcess &p = table[size_t(i)];
            QCOMPARE(groups[0][size_t(i)],
                     (TProcessRecord{p.Name, p.PID, p.ParentPID, p.Memory, p.Threads, p.Priority}));
        }
    }

    void queryAnswers()
    {
        QTemporaryDir proc;
        WriteWorkers(proc.path(), 3);
        const PerfQueryResult process = AnswerPerfQuery("230", 65535, proc.path());
        QCOMPARE(process.status, 0L);
        QCOMPARE(AnswerPerfQuery("Global", 65535, proc.path()).block.size(), process.block.size());
        const PerfQueryResult small =
            AnswerPerfQuery("230", std::uint32_t(process.block.size() - 1), proc.path());
        QCOMPARE(small.status, 234L);
        QCOMPARE(small.block.size(), process.block.size());
        QCOMPARE(AnswerPerfQuery("238", 65535, proc.path()).status, 2L);
        QCOMPARE(AnswerPerfQuery("", 65535, proc.path()).status, 2L);
    }
};

QTEST_GUILESS_MAIN(TestPerfdBlock)
#include "test_perfd_block.moc"
