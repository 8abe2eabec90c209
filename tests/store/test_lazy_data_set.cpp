// Data sets that read their rows a window at a time give, on random stores,
// the rows the statement gives when run plainly: in order, sorted, filtered,
// searched, after deletions, and as of their open while others append.
#include "store/row_cache.h"
#include "store_fixture.h"

#include <QRandomGenerator>
#include <QtTest>
#include <algorithm>

namespace {

using Rows = QList<QVariantList>;

constexpr int kComputers = 3;
constexpr int kBlocks = 30; // per computer
constexpr int kRowsPerBlock = 120; // more rows than the cache keeps
constexpr int kNames = 300;   // more than a window, so the catalogue pages too

// Fills the store at random: block times go back and forth, some names
// differ only in case, some values are null (more than a window of times).
void FillRandomStore(const StoreFixture &fixture, quint32 seed)
{
    QRandomGenerator random(seed);
    QStringList sql{QStringLiteral("begin")};
    for (int c = 1; c <= kComputers; ++c)
        sql << QStringLiteral("insert into t__computers (NAME) values ('%1')")
                   .arg(c == 2 ? QStringLiteral("pc-b") : QStringLiteral("PC-%1").arg(QChar('A' + c)));
    for (int n = 1; n <= kNames; ++n)
        sql << QStringLiteral("insert into t__process (NAME, TYPE_ID) values ('%1', %2)")
                   .arg(n % 7 == 0 ? QStringLiteral("Proc%1").arg(n / 2) : QStringLiteral("proc%1").arg(n))
                   .arg(1 + n % 4);
    int block = 0;
    for (int b = 0; b < kBlocks; ++b)
        for (int c = 1; c <= kComputers; ++c) {
            ++block;
            sql << QStringLiteral("insert into t__blocks (ID, COMPUTER_ID, DATETIME) values (%1, %2, %3)")
                       .arg(block)
                       .arg(c)
                       .arg(c == 1 && b < 3 ? QStringLiteral("null")
                                            : QString::number(1700000000 + random.bounded(3) * 3600 + b * 10));
            for (int r = 0; r < kRowsPerBlock; ++r)
                sql << QStringLiteral("insert into t__data (BLOCK_ID, PROCESS_ID, PID, PARENTPID, MEMORY, PRIORITY, "
                                      "THREADS) values (%1, %2, %3, %4, %5, %6, %7)")
                           .arg(block)
                           .arg(1 + random.bounded(kNames))
                           .arg(random.bounded(50))
                           .arg(random.bounded(10) == 0 ? QStringLiteral("null") : QString::number(random.bounded(9)))
                           .arg(random.bounded(100000))
                           .arg(random.bounded(4) * 4)
                           .arg(random.bounded(1, 30));
        }
    sql << QStringLiteral("commit");
    fixture.Sql(sql.join(QStringLiteral(";")));
}

// The history statement run plainly, in the order of its data rows.
Rows PlainHistory(TMonitoringStore &store, const QString &conditions = QString())
{
    Query plain(store.adocMain);
    plain.SetSQL({TMonitoringStore::FullStatementLines().join(QLatin1Char(' ')) + conditions +
                  QStringLiteral(" order by d.ID")});
    plain.Open();
    Rows rows;
    for (int p = 0; p < plain.RecordCount(); ++p) {
        QVariantList row;
        for (int f = 0; f < plain.FieldCount(); ++f)
            row << plain.ValueAt(p, f);
        rows << row;
    }
    return rows;
}

Rows Read(const DataSet &dataSet, const std::vector<int> &positions)
{
    Rows rows;
    for (int p : positions) {
        QVariantList row;
        for (int f = 0; f < dataSet.FieldCount(); ++f)
            row << dataSet.ValueAt(p, f);
        rows << row;
    }
    return rows;
}

std::vector<int> Positions(int count)
{
    std::vector<int> positions(size_t(count), 0);
    std::iota(positions.begin(), positions.end(), 0);
    return positions;
}

// Ascending as the store compares the column: nulls first, names without
// regard to case.
bool InOrder(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull();
    if (a.typeId() == QMetaType::QString)
        return a.toString().compare(b.toString(), Qt::CaseInsensitive) <= 0;
    if (a.typeId() == QMetaType::QDateTime)
        return a.toDateTime() <= b.toDateTime();
    return a.toLongLong() <= b.toLongLong();
}

} // namespace

class LazyDataSet : public QObject {
    Q_OBJECT
    StoreFixture *fixture = nullptr;
    TMonitoringStore *store = nullptr;

private slots:
    void init()
    {
        fixture = new StoreFixture;
        FillRandomStore(*fixture, quint32(QTest::currentDataTag() ? qHash(QString::fromLatin1(QTest::currentDataTag())) : 1));
        store = new TMonitoringStore;
        store->adocMain.Open();
    }
    void cleanup()
    {
        delete store;
        delete fixture;
    }

    void historyReadsInWindowsTheRowsOfThePlainStatement_data()
    {
        QTest::addColumn<int>("unused");
        for (const char *seed : {"seed-1", "seed-2", "seed-3"})
            QTest::newRow(seed) << 0;
    }
    void historyReadsInWindowsTheRowsOfThePlainStatement()
    {
        const Rows plain = PlainHistory(*store);
        Query &history = store->adoqFull;
        history.Open();
        QCOMPARE(history.FetchedCount(), RowCache::kWindowRows); // the open reads one window
        QVERIFY(history.CanFetchMore());
        QCOMPARE(history.RecordCount(), plain.size());
        const size_t oneWindow = history.MemoryUsage();
        QCOMPARE(Read(history, Positions(plain.size())), plain);
        QVERIFY(plain.size() > (RowCache::kResidentWindows + 2) * RowCache::kWindowRows);
        QVERIFY(history.MemoryUsage() <= oneWindow * (RowCache::kResidentWindows + 1));
        QVERIFY(!history.CanFetchMore());
        // Read again out of order, the cache having let go of the first windows.
        std::vector<int> shuffled = Positions(plain.size());
        std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
        shuffled.resize(600);
        Rows expected;
        for (int p : shuffled)
            expected << plain[p];
        QCOMPARE(Read(history, shuffled), expected);
    }

    void everyTitleSortOrdersTheSameRows_data()
    {
        QTest::addColumn<int>("unused");
        for (const char *seed : {"seed-4", "seed-5"})
            QTest::newRow(seed) << 0;
    }
    void everyTitleSortOrdersTheSameRows()
    {
        const Rows plain = PlainHistory(*store);
        Query &history = store->adoqFull;
        history.Open();
        for (int f = 0; f < history.FieldCount(); ++f) {
            history.SetSort(history.Field(f).name);
            QCOMPARE(history.FetchedCount(), RowCache::kWindowRows);
            const Rows sorted = Read(history, Positions(history.RecordCount()));
            QCOMPARE(sorted.size(), plain.size());
            for (int r = 1; r < sorted.size(); ++r)
                QVERIFY2(InOrder(sorted[r - 1][f], sorted[r][f]),
                         qPrintable(QStringLiteral("%1 at row %2").arg(history.Field(f).name).arg(r)));
            const auto text = [](const Rows &rows) {
                QStringList lines;
                for (const QVariantList &row : rows) {
                    QStringList cells;
                    for (const QVariant &v : row)
                        cells << v.toString();
                    lines << cells.join(QLatin1Char('|'));
                }
                lines.sort();
                return lines;
            };
            QCOMPARE(text(sorted), text(plain)); // the same rows, each once
        }
        history.SetSort(QString());
        QCOMPARE(Read(history, Positions(plain.size())), plain);
    }

    void filterByComputerAndTimeGivesThePlainResult()
    {
        const QString conditions = QStringLiteral(" and b.COMPUTER_ID = 2 and b.DATETIME > 1700000000");
        const Rows plain = PlainHistory(*store, conditions);
        QVERIFY(plain.size() > RowCache::kWindowRows);
        Query &history = store->adoqFull;
        history.SetSQL({TMonitoringStore::FullStatementLines().join(QLatin1Char(' ')) + conditions});
        history.Open();
        QCOMPARE(Read(history, Positions(history.RecordCount())), plain);
    }

    void locateAndLookupFindTheFirstExactMatchBeyondTheFirstWindow()
    {
        Table &catalogue = store->adotProcess;
        catalogue.Open();
        const int name = catalogue.FieldIndex(QStringLiteral("NAME"));
        QVERIFY(catalogue.Locate(QStringLiteral("NAME"), QStringLiteral("proc299")));
        QCOMPARE(catalogue.ValueAt(catalogue.Position(), name).toString(), QStringLiteral("proc299"));
        QCOMPARE(catalogue.RecNo(), 299);
        QVERIFY(!catalogue.Locate(QStringLiteral("NAME"), QStringLiteral("PROC299"))); // exact, not without case
        QCOMPARE(catalogue.RecNo(), 299);
        QCOMPARE(catalogue.Lookup(QStringLiteral("ID"), 280, QStringLiteral("NAME")).toString(), QStringLiteral("Proc140"));
        QCOMPARE(catalogue.Lookup(QStringLiteral("NAME"), QStringLiteral("Proc140"), QStringLiteral("ID")).toInt(), 280);
        QVERIFY(catalogue.Lookup(QStringLiteral("ID"), 9999, QStringLiteral("NAME")).isNull());
        QVERIFY(catalogue.Lookup(QStringLiteral("ID"), QStringLiteral("x"), QStringLiteral("NAME")).isNull());
        // Sorted by name, the position follows the sort.
        catalogue.SetSort(QStringLiteral("NAME"));
        QVERIFY(catalogue.Locate(QStringLiteral("ID"), 1));
        QCOMPARE(catalogue.ValueAt(catalogue.Position(), name).toString(), QStringLiteral("proc1"));
        QCOMPARE(catalogue.Position(), 0);
        QVERIFY(catalogue.Locate(QStringLiteral("NAME"), QStringLiteral("proc99")));
        QCOMPARE(catalogue.Position(), catalogue.RecordCount() - 1);
    }

    void deletingEveryFilteredRowWalksPastTheFirstWindow()
    {
        Table &data = store->adotData;
        data.SetFilter(QStringLiteral("BLOCK_ID = 5"));
        data.SetFiltered(true);
        data.Open();
        QCOMPARE(data.RecordCount(), kRowsPerBlock);
        data.Close();
        data.SetFiltered(false);
        data.Open();
        const int total = kComputers * kBlocks * kRowsPerBlock;
        QCOMPARE(data.RecordCount(), total);
        // Every other row goes, one by one through the cursor.
        int deleted = 0;
        for (int p = 0; p < data.RecordCount(); p += 2, ++deleted) {
            data.SetRecNo(p + 1);
            data.Delete();
        }
        QCOMPARE(fixture->Scalar(QStringLiteral("select count(*) from t__data")), total - deleted);
        QCOMPARE(data.RecordCount(), total - deleted);
        Query plain(store->adocMain);
        plain.SetSQL({QStringLiteral("select * from t__data order by ID")});
        plain.Open();
        QCOMPARE(Read(data, Positions(data.RecordCount())), Read(plain, Positions(plain.RecordCount())));
        while (!data.IsEmpty()) {
            data.First();
            data.Delete();
        }
        QCOMPARE(fixture->Scalar(QStringLiteral("select count(*) from t__data")), 0);
    }

    void rowsAppendedAfterTheOpenStayOutUntilTheNextOpen()
    {
        Query &history = store->adoqFull;
        history.Open();
        const int before = history.RecordCount();
        // The monitoring cycle writes a block meanwhile, through its own components.
        store->adotBlocks.Open();
        store->adotBlocks.Append();
        store->adotBlocks.SetValue(QStringLiteral("COMPUTER_ID"), 1);
        store->adotBlocks.SetValue(QStringLiteral("DATETIME"), QDateTime::currentDateTime());
        store->adotBlocks.Post();
        const int block = store->adotBlocks.Value(QStringLiteral("ID")).toInt();
        QCOMPARE(store->adotBlocks.RecNo(), store->adotBlocks.RecordCount()); // the posted row is current, last
        for (int r = 0; r < 3; ++r)
            fixture->AddRow(block, 1, 9000 + r);
        while (history.CanFetchMore())
            history.FetchMore();
        QCOMPARE(history.FetchedCount(), before);
        QCOMPARE(history.RecordCount(), before);
        history.SetSort(QStringLiteral("PID"));
        QCOMPARE(history.RecordCount(), before);
        const int pid = history.FieldIndex(QStringLiteral("PID"));
        QVERIFY(history.ValueAt(before - 1, pid).toInt() < 9000);
        history.Close();
        history.Open();
        QCOMPARE(history.RecordCount(), before + 3);
    }

    void noReadIsLeftOpenBetweenWindows()
    {
        Query &history = store->adoqFull;
        history.Open();
        history.FetchMore();
        history.Lookup(QStringLiteral("PID"), 3, QStringLiteral("MEMORY"));
        history.RecordCount();
        // Another program writes and checkpoints the log completely: no read
        // of ours holds it back.
        sqlite3 *other = nullptr;
        sqlite3_open(fixture->Path().toUtf8().constData(), &other);
        sqlite3_exec(other, "insert into t__computers (NAME) values ('late')", nullptr, nullptr, nullptr);
        sqlite3_stmt *checkpoint = nullptr;
        sqlite3_prepare_v2(other, "pragma wal_checkpoint(truncate)", -1, &checkpoint, nullptr);
        QCOMPARE(sqlite3_step(checkpoint), SQLITE_ROW);
        const int busy = sqlite3_column_int(checkpoint, 0);
        sqlite3_finalize(checkpoint);
        sqlite3_close(other);
        QCOMPARE(busy, 0);
    }
};

QTEST_GUILESS_MAIN(LazyDataSet)
#include "test_lazy_data_set.moc"
