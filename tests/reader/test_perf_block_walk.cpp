// The walk of a performance data block: which objects become groups, the
// values and names of the records, by counter definitions or fixed offsets,
// where lying or cut blocks end it, and which absurd blocks it refuses whole.
#include "collect/perf_block_walk.h"
#include "tests/reader/synthetic_block.h"

#include <QtTest>
#include <climits>
#include <cstring>
#include <memory>

Q_DECLARE_METATYPE(std::vector<SynObject>)
Q_DECLARE_METATYPE(std::vector<SynCounter>)

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

// The Process object's counters on Windows 11, in its order: bytes are 64-bit,
// so the fixed offsets hold other counters. The first sixteen as Windows 11
// lists them, the rest laid out after them the same way (Handle Count padded).
const std::vector<SynCounter> kWindows11{
    {6, 8, 8},      {142, 8, 16},   {144, 8, 24},   {172, 8, 32},   {174, 8, 40},   {28, 4, 48},
    {178, 8, 56},   {180, 8, 64},   {182, 8, 72},   {184, 8, 80},   {186, 8, 88},   {680, 4, 96},
    {682, 4, 100},  {684, 8, 104},  {784, 4, 112},  {1410, 4, 116}, {56, 8, 120},   {58, 8, 128},
    {952, 4, 136},  {1412, 8, 144}, {1414, 8, 152}, {1416, 8, 160}, {1418, 8, 168}, {1420, 8, 176},
    {1422, 8, 184}, {1424, 8, 192}, {1426, 8, 200}, {1478, 8, 208}};

// Samba: ascending title indexes, every counter 8 bytes wide, none below the
// object's own index (so no Working Set).
const std::vector<SynCounter> kSamba{{680, 8, 8},  {682, 8, 16}, {684, 8, 24},
                                     {784, 8, 32}, {952, 8, 40}, {1410, 8, 48}};

SynObject ObjectWith(const std::vector<SynCounter> &counters, const SynInstance &instance)
{
    SynObject object;
    object.counters = counters;
    object.instances = {instance};
    return object;
}

const SynInstance kBig{u"sqlservr", 70000, 41000, 5LL << 30, 212, -3};

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

    void valuesFollowTheCounterDefinitions_data()
    {
        QTest::addColumn<std::vector<SynCounter>>("counters");
        QTest::addColumn<std::int64_t>("memory");
        QTest::newRow("Windows 11") << kWindows11 << std::int64_t(5LL << 30);
        QTest::newRow("Samba, no Working Set") << kSamba << std::int64_t(0);
        std::vector<SynCounter> odd = kWindows11;
        odd[7].size = 2; // Working Set, of no size a value has
        QTest::newRow("size neither 4 nor 8") << odd << std::int64_t(0);
    }
    void valuesFollowTheCounterDefinitions()
    {
        QFETCH(std::vector<SynCounter>, counters);
        QFETCH(std::int64_t, memory);
        const auto groups = WalkExact(SyntheticBlock({ObjectWith(counters, kBig)}).bytes);
        QCOMPARE(groups.size(), size_t(1));
        QCOMPARE(groups[0].size(), size_t(1));
        const TProcessRecord expected{"sqlservr", 70000, 41000, memory, 212, -3};
        QCOMPARE(groups[0][0], expected);
    }

    // A definition that lies outside the definitions, or places a value
    // beyond the counter block, ends the walk inside the object: no group.
    void lyingDefinitionsEndTheWalk_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<std::uint32_t>("value");
        QTest::addColumn<int>("records");
        enum { NumCounters, WorkingSetLength, WorkingSetOffset, IdProcessOffset };
        QTest::newRow("as built") << int(NumCounters) << 28u << 1;
        QTest::newRow("one more counter than defined") << int(NumCounters) << 29u << 0;
        QTest::newRow("definition length 0") << int(WorkingSetLength) << 0u << 0;
        QTest::newRow("definition past the definitions") << int(WorkingSetLength) << 0x10000u << 0;
        QTest::newRow("working set ends the counter block") << int(WorkingSetOffset) << 208u << 1;
        QTest::newRow("working set past the counter block") << int(WorkingSetOffset) << 212u << 0;
        QTest::newRow("offset wraps") << int(WorkingSetOffset) << 0xFFFFFFFCu << 0;
        QTest::newRow("ID Process ends it") << int(IdProcessOffset) << 212u << 1;
        QTest::newRow("ID Process past it") << int(IdProcessOffset) << 213u << 0;
    }
    void lyingDefinitionsEndTheWalk()
    {
        QFETCH(int, field);
        QFETCH(std::uint32_t, value);
        QFETCH(int, records);
        SynBlock block = SyntheticBlock({ObjectWith(kWindows11, kBig), OtherObject(238)});
        const std::uint32_t workingSet = block.definitions[7], idProcess = block.definitions[14];
        const std::uint32_t at[] = {block.objects[0] + syn::kObjNumCounters,
                                    workingSet + syn::kDefByteLength, workingSet + syn::kDefOffset,
                                    idProcess + syn::kDefOffset};
        PatchU32(block.bytes, at[field], value);
        const auto groups = WalkExact(block.bytes);
        QCOMPARE(groups.empty() ? 0 : int(groups[0].size()), records);
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

    // A lying field ends the walk, keeping the groups of the objects before
    // it but none of the object it lies in.
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
        QTest::newRow("instance length 0") << int(SecondLength) << 0u << 0;
        QTest::newRow("instance length past end") << int(SecondLength) << 0xFFFFFFF0u << 0;
        QTest::newRow("name past end") << int(SecondName) << 0xFFFFFF00u << 0;
        QTest::newRow("counter block 0") << int(SecondCounters) << 0u << 0;
        QTest::newRow("counter block 103") << int(SecondCounters) << 103u << 0;
        QTest::newRow("counter block past end") << int(SecondCounters) << 0x7FFFFFFFu << 0;
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

    // A cut block gives the process table whole, when the cut lies past it,
    // or nothing; never a part of it, nor a byte read past the cut.
    void cutBlocksGiveTheTableWholeOrNot()
    {
        const SynBlock block = SyntheticBlock(
            {OtherObject(238), ObjectWith(kWindows11, kBig), ProcessObject(3), OtherObject(2)});
        const auto whole = WalkExact(block.bytes);
        QCOMPARE(whole.size(), size_t(2));
        for (qsizetype size = 0; size < block.bytes.size(); ++size) {
            const auto cut = WalkExact(block.bytes, size);
            const size_t expected = (size >= block.objects[2]) + (size >= block.objects[3]);
            QVERIFY2(cut.size() == expected, qPrintable(QString::number(size)));
            QVERIFY(std::equal(cut.begin(), cut.end(), whole.begin()));
        }
    }
};

QTEST_GUILESS_MAIN(TestPerfBlockWalk)
#include "test_perf_block_walk.moc"
