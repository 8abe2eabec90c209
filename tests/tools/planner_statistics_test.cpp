// The planner's statistics: on a new store and on an upgraded one, the
// history's sorts and filter keep the plans that show a first screen
// without reading the whole join; the upgrade adds them once.

#include "tests/tools/store_reader.h"
#include "tools/store_schema.h"
#include "tools/store_upgrade.h"

#include <QTemporaryDir>
#include <QtTest>

namespace
{

// The history as the program's data set reads one window of it: the row
// key and tie keys first, bounded by the key, in the order of one column.
QString HistoryWindow(const QString &condition, const QString &order)
{
    return QStringLiteral(
               "select * from (select d.ID as k__0, c.ID as k__1, b.ID as k__2, p.ID as k__3, "
               "c.NAME AS COMPUTERNAME,b.DATETIME,p.NAME AS PROCESSNAME,d.PID,d.PARENTPID,d.MEMORY,d.PRIORITY,"
               "d.THREADS from t__data d,t__computers c,t__blocks b,t__process p where b.ID = d.BLOCK_ID and "
               "d.PROCESS_ID = p.ID and c.ID = b.COMPUTER_ID%1) where k__0 <= 99999999 order by %2 limit 256")
        .arg(condition, order);
}

QString Plan(const StoreReader &store, const QString &sql)
{
    // The program's data sets plan their windows without automatic indexes.
    store.rows(QStringLiteral("PRAGMA automatic_index=OFF"));
    QStringList steps;
    for (const QVariantList &step : store.rows(QStringLiteral("explain query plan ") + sql))
        steps << step.value(3).toString();
    return steps.join(QLatin1Char('\n'));
}

void FillHistory(const StoreReader &store)
{
    store.rows("insert into t__computers (NAME) values ('beta'), ('alpha')");
    store.rows("insert into t__process (NAME, TYPE_ID) values ('init', 2), ('sshd', 2), ('bash', 3)");
    store.rows("with recursive n(i) as (select 1 union all select i + 1 from n where i < 40) "
               "insert into t__blocks (COMPUTER_ID, DATETIME) select 1 + i % 2, 1773014400 + i * 10 from n");
    store.rows("insert into t__data (BLOCK_ID, PROCESS_ID, PID, PARENTPID, MEMORY, PRIORITY, THREADS) "
               "select b.ID, p.ID, p.ID * 7, 1, b.ID * p.ID, 8, 1 from t__blocks b, t__process p");
}

} // namespace

class PlannerStatisticsTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    void historyKeepsItsPlans_data()
    {
        QTest::addColumn<bool>("upgraded");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("walks");
        QTest::addColumn<QString>("never");
        const QString sorted = QStringLiteral("TEMP B-TREE FOR ORDER BY");
        for (const bool upgraded : {false, true}) {
            const char *store = upgraded ? "upgraded store" : "new store";
            // A sorted window bounds its column from below, as the data set does.
            QTest::addRow("%s: sort by computer", store) << upgraded << " and c.NAME >= ''"
                                                         << "COMPUTERNAME, k__1, k__2, k__0" << "i__computers_name"
                                                         << sorted;
            QTest::addRow("%s: sort by date and time", store) << upgraded << " and b.DATETIME >= -9e999"
                                                              << "DATETIME, k__2, k__0" << "i__blocks_datetime"
                                                              << sorted;
            QTest::addRow("%s: sort by process", store) << upgraded << " and p.NAME >= ''"
                                                        << "PROCESSNAME, k__3, k__0" << "i__process_name" << sorted;
            QTest::addRow("%s: computer and day", store)
                << upgraded << " and b.COMPUTER_ID = 2 and b.DATETIME > 1773014400 and b.DATETIME <= 1773100800"
                << "k__0" << "i__blocks_time (COMPUTER_ID=? AND DATETIME>? AND DATETIME<?)" << "SCAN";
        }
    }

    // Sorted windows walk an index in their order; a filter on a computer
    // and a day finds its snapshots by their index.
    void historyKeepsItsPlans()
    {
        QFETCH(bool, upgraded);
        QFETCH(QString, condition);
        QFETCH(QString, order);
        QFETCH(QString, walks);
        QFETCH(QString, never);
        const StoreReader store(Store(upgraded));
        const QString plan = Plan(store, HistoryWindow(condition, order));
        QVERIFY2(plan.contains(walks), qPrintable(plan));
        QVERIFY2(!plan.contains(never), qPrintable(plan));
    }

    // A numeric column has no index: the rows are read once in the order of
    // t__data, not along its process index, which reads the table at random.
    void numericSortReadsTheRowsInTheirOrder()
    {
        for (const bool upgraded : {false, true}) {
            const StoreReader store(Store(upgraded));
            const QString plan = Plan(store, HistoryWindow(QString(), QStringLiteral("MEMORY, k__0")));
            QVERIFY2(plan.startsWith(QLatin1String("SEARCH d USING INTEGER PRIMARY KEY")), qPrintable(plan));
        }
    }

    // A store upgraded by an earlier tool has its summaries but not the
    // statistics; a user's own ANALYZE is left alone.
    void upgradeAddsStatisticsOnce()
    {
        const QString file = dir_->filePath(QStringLiteral("Tarvenix.mdb"));
        CreateStore(file);
        {
            const StoreReader store(file);
            FillHistory(store);
            store.rows("drop index i__computers_name");
            store.rows("drop table sqlite_stat1");
        }
        QCOMPARE(UpgradeStore(file), UpgradeOutcome::StatisticsAdded);
        {
            const StoreReader store(file);
            QCOMPARE(store.value("select stat from sqlite_stat1 where idx = 'i__computers_name'").toString(), "20 1");
            QCOMPARE(store.value("select count(*) from sqlite_stat1 where tbl = 't__data'").toInt(), 2);
            store.rows("ANALYZE");
        }
        QCOMPARE(UpgradeStore(file), UpgradeOutcome::AlreadyCurrent);
        const StoreReader store(file);
        QCOMPARE(store.value("select stat from sqlite_stat1 where idx = 'i__computers_name'").toString(), "2 1");
    }

private:
    QString Store(bool upgraded)
    {
        const QString file = dir_->filePath(upgraded ? QStringLiteral("old.mdb") : QStringLiteral("new.mdb"));
        if (QFileInfo::exists(file))
            return file;
        CreateStore(file, {}, upgraded ? StoreExtras::None : StoreExtras::Summaries);
        if (upgraded) {
            FillHistory(StoreReader(file));
            if (UpgradeStore(file) != UpgradeOutcome::SummariesAdded)
                qFatal("the upgrade did not add the summaries");
        }
        return file;
    }

    std::unique_ptr<QTemporaryDir> dir_;
};

QTEST_GUILESS_MAIN(PlannerStatisticsTest)
#include "planner_statistics_test.moc"
