// The benchmark store generator: sizes, links between the tables, value ranges.

#include "bench/fixture/bench_store.h"
#include "core/exception.h"
#include "store/stored_datetime.h"
#include "tests/tools/store_reader.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class BenchStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    void hasTheAskedSizesAndConsistentLinks();
    void valuesLookLikeAProcessTable();
    void blocksAreTenSecondsApartOverConsecutiveDays();
    void catalogueMixesTheFourTypes();
    void sameSeedGivesTheSameStore();
    void refusedShapesLeaveNoFile();
    void commandLineReadsItsSizes();

private:
    QString make(const QString &name, const BenchStoreShape &shape)
    {
        const QString file = dir_->filePath(name);
        MakeBenchStore(file, shape);
        return file;
    }

    std::unique_ptr<QTemporaryDir> dir_;
};

namespace
{

int Count(const StoreReader &store, const QString &sql)
{
    return store.value(sql).toInt();
}

} // namespace

void BenchStoreTest::hasTheAskedSizesAndConsistentLinks()
{
    const StoreReader store(make("links.mdb", {3, 5, 7, 12, 9}));
    const QList<QPair<const char *, int>> counts = {
        {"select count(*) from t__computers", 3},
        {"select count(*) from t__blocks", 15},
        {"select count(*) from t__data", 105},
        {"select count(*) from t__process", 12},
        {"select count(*) from t__blocks group by COMPUTER_ID having count(*) <> 5", 0},
        {"select count(*) from t__data where BLOCK_ID not in (select ID from t__blocks)", 0},
        {"select count(*) from t__data where PROCESS_ID not in (select ID from t__process)", 0},
        {"select count(*) from t__blocks where COMPUTER_ID not in (select ID from t__computers)",
         0},
        {"select count(*) from t__process where TYPE_ID not in (select ID from t__ptype)", 0},
    };
    for (const auto &[sql, expected] : counts)
        QVERIFY2(Count(store, sql) == expected, sql);
}

void BenchStoreTest::valuesLookLikeAProcessTable()
{
    const StoreReader store(make("values.mdb", {2, 40, 50, 80, 3}));
    const char *const wrongRows[] = {
        "select count(*) from t__data where PID not between 1 and 32767 or MEMORY not between 1 "
        "and 2000000000 or PRIORITY not between 4 and 24 or THREADS not between 1 and 200",
        // PIDs are unique in a block, and every parent is another process of it.
        "select count(*) from (select 1 from t__data group by BLOCK_ID, PID having count(*) > 1)",
        "select count(*) from t__data d where d.PARENTPID = d.PID or not exists (select 1 from "
        "t__data p where p.BLOCK_ID = d.BLOCK_ID and p.PID = d.PARENTPID)",
    };
    for (const char *sql : wrongRows)
        QVERIFY2(Count(store, sql) == 0, sql);
    // Processes live on from one collection to the next, and some end.
    const int kept = Count(store, "select count(*) from t__data a, t__data b where a.BLOCK_ID = 1 "
                                  "and b.BLOCK_ID = 3 and a.PID = b.PID and a.PROCESS_ID = "
                                  "b.PROCESS_ID");
    QVERIFY2(kept >= 40 && kept <= 50, qPrintable(QString::number(kept)));
    QVERIFY(Count(store, "select count(distinct PID) from t__data where BLOCK_ID % 2 = 1") > 50);
}

void BenchStoreTest::blocksAreTenSecondsApartOverConsecutiveDays()
{
    const StoreReader store(make("days.mdb", {2, 362, 1, 3, 1}));
    const QList<QVariantList> blocks =
        store.rows("select COMPUTER_ID, DATETIME from t__blocks order by ID");
    QCOMPARE(blocks.size(), 724);
    const QDateTime first = DateTimeFromStored(blocks[0][1].toLongLong());
    for (int i = 2; i < blocks.size(); ++i) {
        QCOMPARE(blocks[i][0].toInt(), blocks[i - 2][0].toInt());
        QVERIFY(blocks[i][1].toLongLong() > blocks[i - 1][1].toLongLong());
    }
    const QDateTime lastOfDay = DateTimeFromStored(blocks[718][1].toLongLong());
    const QDateTime nextDay = DateTimeFromStored(blocks[720][1].toLongLong());
    QCOMPARE(DateTimeFromStored(blocks[2][1].toLongLong()), first.addSecs(10));
    QCOMPARE(lastOfDay, first.addSecs(359 * 10));
    QCOMPARE(nextDay, first.addDays(1));
    // A table of one process has no other process to be its parent.
    QCOMPARE(Count(store, "select count(*) from t__data where PARENTPID <> 0"), 0);
}

void BenchStoreTest::catalogueMixesTheFourTypes()
{
    const StoreReader store(make("names.mdb", {1, 1, 1, 1000, 5}));
    QCOMPARE(Count(store, "select count(distinct NAME) from t__process"), 1000);
    QVERIFY(Count(store, "select max(length(NAME)) from t__process") <= 15);
    const int system = Count(store, "select count(*) from t__process where TYPE_ID = 2");
    const int user = Count(store, "select count(*) from t__process where TYPE_ID = 3");
    const int danger = Count(store, "select count(*) from t__process where TYPE_ID = 4");
    QVERIFY2(system > 50 && system < 150, qPrintable(QString::number(system)));
    QVERIFY2(user > 50 && user < 150, qPrintable(QString::number(user)));
    QVERIFY2(danger > 0 && danger < 50, qPrintable(QString::number(danger)));
}

void BenchStoreTest::sameSeedGivesTheSameStore()
{
    const QString content = "select group_concat(BLOCK_ID || ':' || PROCESS_ID || ':' || PID || "
                            "':' || PARENTPID || ':' || MEMORY || ':' || PRIORITY || ':' || "
                            "THREADS) from t__data";
    const QString first = StoreReader(make("a.mdb", {2, 3, 20, 30, 77})).value(content).toString();
    const QString again = StoreReader(make("b.mdb", {2, 3, 20, 30, 77})).value(content).toString();
    const QString other = StoreReader(make("c.mdb", {2, 3, 20, 30, 78})).value(content).toString();
    QVERIFY(!first.isEmpty());
    QCOMPARE(again, first);
    QVERIFY(other != first);
}

void BenchStoreTest::refusedShapesLeaveNoFile()
{
    const QString file = dir_->filePath("refused.mdb");
    QVERIFY_THROWS_EXCEPTION(Exception, MakeBenchStore(file, {1, 1, 8192, 10, 1}));
    QVERIFY_THROWS_EXCEPTION(Exception, MakeBenchStore(file, {1, 1, 5, 0, 1}));
    QVERIFY_THROWS_EXCEPTION(Exception, MakeBenchStore(file, {-1, 1, 5, 5, 1}));
    QVERIFY(!QFile::exists(file));

    make("refused.mdb", {1, 1, 1, 1, 1});
    QVERIFY_THROWS_EXCEPTION(Exception, MakeBenchStore(file, {1, 1, 1, 1, 1}));
}

void BenchStoreTest::commandLineReadsItsSizes()
{
    QProcess tool;
    tool.setWorkingDirectory(dir_->path());
    tool.start(TARVENIX_BENCHGEN, {"cli.mdb", "--computers", "2", "--blocks", "3", "--rows", "4",
                                   "--names", "5", "--seed", "6"});
    QVERIFY(tool.waitForFinished(10000));
    QCOMPARE(tool.exitCode(), 0);
    {
        const StoreReader store(dir_->filePath("cli.mdb"));
        QCOMPARE(Count(store, "select count(*) from t__data"), 24);
        QCOMPARE(Count(store, "select count(*) from t__process"), 5);
    }
    tool.start(TARVENIX_BENCHGEN, {"bad.mdb", "--rows", "many"});
    QVERIFY(tool.waitForFinished(10000));
    QCOMPARE(tool.exitCode(), 1);
    QVERIFY(!QFile::exists(dir_->filePath("bad.mdb")));
}

QTEST_GUILESS_MAIN(BenchStoreTest)
#include "bench_store_test.moc"
