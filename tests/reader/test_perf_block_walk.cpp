// The walk of a performance data block: which objects become groups, the
// values and names of the records, where lying or cut blocks end it, and
// which absurd blocks it refuses whole.
#include "collect/perf_block_walk.h"
#include "tests/reader/synthetic_block.h"

#include <QtTest>
#include <climits>
#include <cstring>
#include <memory>

Q_DECLARE_METATYPE(std::vector<SynObject>)

namespace
{

// Walks a copy in a heap buffer of exactly the given size, so that
// AddressSanitizer sees any read past it.
std::vector<TProcessGroup> WalkExact(const QByteArray &bytes, qsizetype size = -1)
{
    const auto n = size_t(size < 0 ? bytes.size() : size);
    const auto copy = std::make_unique<unsigned char[]>(n);
    std::memcpy(copy.get(), bytes.constData(), n);
    return WalkPerfBlock(copy.get(), n);
}

SynInstance Inst(std::u16string name, std::int32_t pid)
{
    return {std::move(name), pid, pid + 1, pid * 4096, pid % 7 + 1, 8};
}

SynObject ProcessObject(int count)
{
    SynObject object;
    for (int i = 0; i < count; ++i)
        object.instances.push_back(
            Inst(u"proc" + std::u16string(1, char16_t('a' + i % 26)), 100 + i));
    return object;
}

SynObject OtherObject(std::uint32_t titleIndex)
{
    SynObject object = ProcessObject(2);
    object.titleIndex = titleIndex;
    return object;
}

} // namespace

class TestPerfBlockWalk : public QObject
{
    Q_OBJECT
private slots:
    void recordsTakeTheirValuesFromTheCounterOffsets()
    {
        SynObject object;
        object.instances = {{u"svchost", 1234, 567, 0x7FFFFFFF, 42, -3}};
        const auto groups = WalkExact(SyntheticBlock({object}, 40).bytes);
        QCOMPARE(groups.size(), size_t(1));
        QCOMPARE(groups[0].size(), size_t(1));
        const TProcessRecord expected{"svchost", 1234, 567, 0x7FFFFFFF, 42, -3};
        QCOMPARE(groups[0][0], expected);
    }

    void onlyProcessObjectsWithInstancesBecomeGroups()
    {
        // Process object third, after two others; a second one later on.
        SynObject second = ProcessObject(1);
        second.instances[0].pid = 900;
        const auto groups = WalkExact(SyntheticBlock({OtherObject(238), OtherObject(2),
                                                      ProcessObject(3), OtherObject(4), second})
                                          .bytes);
        QCOMPARE(groups.size(), size_t(2));
        QCOMPARE(groups[0].size(), size_t(3));
        QCOMPARE(groups[0][2].PID, 102);
        QCOMPARE(groups[1].size(), size_t(1));
        QCOMPARE(groups[1][0].PID, 900);
    }

    void noGroupWithoutInstances_data()
    {
        QTest::addColumn<std::uint32_t>("numInstances");
        QTest::newRow("zero") << 0u;
        QTest::newRow("minus one") << 0xFFFFFFFFu;
        QTest::newRow("most negative") << std::uint32_t(INT_MIN);
    }
    void noGroupWithoutInstances()
    {
        QFETCH(std::uint32_t, numInstances);
        SynBlock block = SyntheticBlock({ProcessObject(2)});
        PatchU32(block.bytes, block.objects[0] + syn::kObjNumInstances, numInstances);
        QVERIFY(WalkExact(block.bytes).empty());
    }

    void equalNamesStayTwoRecordsInInstanceOrder()
    {
        SynObject object;
        object.instances = {Inst(u"svchost", 800), Inst(u"svchost", 640)};
        const auto groups = WalkExact(SyntheticBlock({object}).bytes);
        QCOMPARE(groups.size(), size_t(1));
        QCOMPARE(groups[0].size(), size_t(2));
        QCOMPARE(groups[0][0].Name, std::string("svchost"));
        QCOMPARE(groups[0][1].Name, std::string("svchost"));
        QCOMPARE(groups[0][0].PID, 800);
        QCOMPARE(groups[0][1].PID, 640);
    }

    void names_data()
    {
        QTest::addColumn<QString>("utf16");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << QStringLiteral("System") << QStringLiteral("System");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("outside ASCII") << QStringLiteral("caf\u00e9 \u4e2d\U0001F600")
                                       << QStringLiteral("caf\u00e9 \u4e2d\U0001F600");
        QTest::newRow("ends at first NUL")
            << QString::fromUtf16(u"ab\0cd", 5) << QStringLiteral("ab");
        // Unpaired surrogates have no narrow form.
        QTest::newRow("lone surrogates") << QString::fromUtf16(u"a\xD800"
                                                               u"b\xDC00",
                                                               4)
                                         << QStringLiteral("a?b?");
    }
    void names()
    {
        QFETCH(QString, utf16);
        QFETCH(QString, expected);
        SynObject object;
        object.instances = {Inst(utf16.toStdU16String(), 5)};
        const auto groups = WalkExact(SyntheticBlock({object}).bytes);
        QCOMPARE(groups.size(), size_t(1));
        QCOMPARE(QString::fromStdString(groups[0][0].Name), expected);
    }

    // A lying field ends the walk, keeping the records taken before it.
    void lyingFieldsEndTheWalk_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<std::uint32_t>("value");
        QTest::addColumn<int>("records");
        enum {
            HeaderLength,
            NumObjects,
            FirstTotal,
            ProcTotal,
            Definition,
            NumInstances,
            SecondLength,
            SecondName,
            SecondCounters
        };
        QTest::newRow("header length 0") << int(HeaderLength) << 0u << 0;
        QTest::newRow("header length past end") << int(HeaderLength) << 0x7FFFFFF0u << 0;
        QTest::newRow("header length max") << int(HeaderLength) << 0xFFFFFFFFu << 0;
        QTest::newRow("object count huge") << int(NumObjects) << 0xFFFFFFFFu << 3;
        QTest::newRow("object before, length 0") << int(FirstTotal) << 0u << 0;
        QTest::newRow("object before, past end") << int(FirstTotal) << 0xFFFFFFF0u << 0;
        QTest::newRow("process object past end") << int(ProcTotal) << 0x10000u << 0;
        QTest::newRow("definition length 0") << int(Definition) << 0u << 0;
        QTest::newRow("definition past end") << int(Definition) << 0xFFFFFFF0u << 0;
        QTest::newRow("instance length 0") << int(SecondLength) << 0u << 1;
        QTest::newRow("instance length past end") << int(SecondLength) << 0xFFFFFFF0u << 1;
        QTest::newRow("name past end") << int(SecondName) << 0xFFFFFF00u << 1;
        QTest::newRow("counter block 0") << int(SecondCounters) << 0u << 1;
        QTest::newRow("counter block 103") << int(SecondCounters) << 103u << 1;
        QTest::newRow("counter block past end") << int(SecondCounters) << 0x7FFFFFFFu << 1;
    }
    void lyingFieldsEndTheWalk()
    {
        QFETCH(int, field);
        QFETCH(std::uint32_t, value);
        QFETCH(int, records);
        SynBlock block = SyntheticBlock({OtherObject(238), ProcessObject(3)});
        const std::uint32_t proc = block.objects[1];
        const std::uint32_t second = block.instances[3]; // the other object holds two
        const std::uint32_t at[] = {syn::kHeaderLength,
                                    syn::kNumObjectTypes,
                                    block.objects[0] + syn::kObjTotal,
                                    proc + syn::kObjTotal,
                                    proc + syn::kObjDefinition,
                                    proc + syn::kObjNumInstances,
                                    second + syn::kInstByteLength,
                                    second + syn::kInstNameOffset,
                                    block.counters[3]};
        PatchU32(block.bytes, at[field], value);
        const auto groups = WalkExact(block.bytes);
        const size_t taken = groups.empty() ? 0 : groups[0].size();
        QCOMPARE(int(taken), records);
        QVERIFY(groups.size() <= 1);
        for (size_t i = 0; i < taken; ++i)
            QCOMPARE(groups[0][i].PID, 100 + int(i));
    }

    // More instances than a computer can run, declared or present, in one
    // object or in all: no records at all, not those before the end.
    void tooManyInstancesRefuseTheBlock_data()
    {
        QTest::addColumn<std::vector<SynObject>>("objects");
        QTest::addColumn<std::uint32_t>("declared"); // patched into the last object, 0: as built
        QTest::addColumn<int>("records");
        const SynObject three = ProcessObject(3);
        const SynObject half = ProcessObject(32768), halfAndOne = ProcessObject(32769);
        QTest::newRow("65536 declared") << std::vector{three} << 65536u << 3;
        QTest::newRow("65537 declared") << std::vector{three} << 65537u << 0;
        QTest::newRow("a million declared") << std::vector{three} << 1000000u << 0;
        QTest::newRow("most positive declared") << std::vector{three} << 0x7FFFFFFFu << 0;
        QTest::newRow("65536 present in two objects") << std::vector{half, half} << 0u << 65536;
        QTest::newRow("65537 present in two objects") << std::vector{half, halfAndOne} << 0u << 0;
        QTest::newRow("65537 declared in all") << std::vector{three, three} << 65534u << 0;
    }
    void tooManyInstancesRefuseTheBlock()
    {
        QFETCH(std::vector<SynObject>, objects);
        QFETCH(std::uint32_t, declared);
        QFETCH(int, records);
        SynBlock block = SyntheticBlock(objects);
        if (declared) PatchU32(block.bytes, block.objects.back() + syn::kObjNumInstances, declared);
        int taken = 0;
        for (const TProcessGroup &group : WalkExact(block.bytes))
            taken += int(group.size());
        QCOMPARE(taken, records);
    }

    // No process has a name over 260 characters: one that long refuses the
    // block, however its NUL lies or whether it has one.
    void overlongNameRefusesTheBlock_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("terminated");
        QTest::addColumn<int>("records");
        QTest::newRow("260") << 260 << true << 3;
        QTest::newRow("261") << 261 << true << 0;
        QTest::newRow("a million") << 1000000 << true << 0;
        QTest::newRow("two million, no NUL before the end") << 2000000 << false << 0;
    }
    void overlongNameRefusesTheBlock()
    {
        QFETCH(int, length);
        QFETCH(bool, terminated);
        QFETCH(int, records);
        SynObject object = ProcessObject(2);
        object.instances.push_back(Inst(std::u16string(size_t(length), u'n'), 300));
        SynBlock block = SyntheticBlock({object});
        // Unterminated: the block and its object end inside the name.
        const auto end = std::uint32_t(block.bytes.size() - (terminated ? 0 : 104 + 8));
        PatchU32(block.bytes, block.objects[0] + syn::kObjTotal, end - block.objects[0]);
        const auto groups = WalkExact(block.bytes, end);
        QCOMPARE(groups.empty() ? 0 : int(groups[0].size()), records);
        if (records) QCOMPARE(groups[0].back().Name.size(), size_t(length));
    }

    // Every cut of a block gives a prefix of the whole block's records.
    void cutBlocksNeverReadPastTheirEnd()
    {
        const QByteArray bytes = SyntheticBlock({OtherObject(238), ProcessObject(3)}).bytes;
        const auto whole = WalkExact(bytes);
        QCOMPARE(whole.size(), size_t(1));
        for (qsizetype size = 0; size < bytes.size(); ++size) {
            const auto cut = WalkExact(bytes, size);
            QVERIFY2(cut.size() <= 1, qPrintable(QString::number(size)));
            if (!cut.empty()) {
                QVERIFY(cut[0].size() < whole[0].size());
                QVERIFY(std::equal(cut[0].begin(), cut[0].end(), whole[0].begin()));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestPerfBlockWalk)
#include "test_perf_block_walk.moc"
