// The charts answered from the store's summaries give exactly the rows of
// their statements run plainly: on random stores written by another program,
// after its updates and deletes and after the program's own deletion, on a
// store upgraded in place, and on stores the summaries do not cover.
// Where a statement leaves the order of ties open, its rows are compared
// sorted on their ordering key, ties by process ID, and the summary form must
// already be in that order; the timeline's order (by parent PID, which it does
// not return) is checked against the plain statement extended by PID and
// parent PID.
#include "../store/store_fixture.h"
#include "store/statement.h"
#include "store/summary_statements.h"
#include "tools/store_summaries.h"
#include "tools/sqlite_database.h"
#include "tools/store_upgrade.h"
#include "ui/analysis_statement.h"
#include "ui/computer_list.h"
#include "ui/user_prompts.h"

#include <QRandomGenerator>
#include <QtTest>
#include <algorithm>

namespace {

using Rows = QList<QVariantList>;

Rows Run(sqlite3 *db, const QString &sql)
{
    Statement statement(db, sql);
    Rows rows;
    while (statement.Step()) {
        QVariantList row;
        for (int c = 0; c < statement.ColumnCount(); ++c) {
            switch (sqlite3_column_type(statement.Handle(), c)) {
            case SQLITE_INTEGER:
                row << qlonglong(sqlite3_column_int64(statement.Handle(), c));
                break;
            case SQLITE_FLOAT:
                row << sqlite3_column_double(statement.Handle(), c);
                break;
            case SQLITE_NULL:
                row << QVariant();
                break;
            default:
                row << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement.Handle(), c)));
            }
        }
        rows << row;
    }
    return rows;
}

// Sorted on the columns named, in that order of precedence.
Rows Sorted(Rows rows, const QList<int> &columns)
{
    std::stable_sort(rows.begin(), rows.end(), [&columns](const QVariantList &a, const QVariantList &b) {
        for (int c : columns)
            if (QVariant::compare(a[c], b[c]) != QPartialOrdering::Equivalent)
                return QVariant::compare(a[c], b[c]) == QPartialOrdering::Less;
        return false;
    });
    return rows;
}

QList<QVariant> Column(const Rows &rows, int column)
{
    QList<QVariant> values;
    for (const QVariantList &row : rows)
        values << row[column];
    return values;
}

class Yes : public UserPrompts {
public:
    std::optional<QString> InputQuery(const QString &, const QString &, const QString &, int) override { return {}; }
    bool WarningYesNo(const QString &, const QString &) override { return true; }
};

const QDate kDay(2026, 3, 9);

qint64 At(int dayOffset, int seconds) { return StoredDateTime(QDateTime(kDay.addDays(dayOffset), QTime(0, 0))) + seconds; }

} // namespace

class ChartSummaries : public QObject {
    Q_OBJECT
    StoreFixture *fixture = nullptr;
    TMonitoringStore *store = nullptr;

    sqlite3 *Db() const { return store->adocMain.Handle(); }

    void Open()
    {
        store = new TMonitoringStore;
        store->adocMain.Open();
    }

    // Blocks of three computers over three days, some at the same moment
    // and some on the midnights; few names, PIDs and parents, so that
    // groups and ties are many.
    void WriteHistory(QRandomGenerator &random, int blocks)
    {
        QStringList sql{QStringLiteral("begin")};
        const int first = int(fixture->Scalar(QStringLiteral("select coalesce(max(ID), 0) from t__blocks"))) + 1;
        for (int b = first; b < first + blocks; ++b) {
            const int second = random.bounded(4) == 0 ? 0 : 36 * random.bounded(2400);
            sql << QStringLiteral("insert into t__blocks (ID, COMPUTER_ID, DATETIME) values (%1, %2, %3)")
                       .arg(b)
                       .arg(1 + random.bounded(3))
                       .arg(At(random.bounded(-1, 2), second));
            for (int r = random.bounded(6); r > 0; --r)
                sql << QStringLiteral("insert into t__data (BLOCK_ID, PROCESS_ID, PID, PARENTPID, MEMORY, PRIORITY, "
                                      "THREADS) values (%1, %2, %3, %4, %5, 8, 2)")
                           .arg(b)
                           .arg(1 + random.bounded(4))
                           .arg(random.bounded(3))
                           .arg(random.bounded(3))
                           .arg(random.bounded(2) ? random.bounded(2000000000) : random.bounded(-5, 5));
        }
        sql << QStringLiteral("commit");
        fixture->Sql(sql.join(QLatin1Char(';')));
    }

    // Another program's changes: single rows, whole blocks with and without
    // their rows, rows and blocks moved.
    void ChangeHistory(QRandomGenerator &random)
    {
        for (int i = 0; i < 12; ++i) {
            const QString change[] = {
                QStringLiteral("delete from t__data where ID = (select ID from t__data order by random() limit 1)"),
                QStringLiteral("delete from t__data where BLOCK_ID = (select ID from t__blocks order by random() limit 1)"),
                QStringLiteral("delete from t__blocks where ID = (select ID from t__blocks order by random() limit 1)"),
                QStringLiteral("update t__data set PID = %1, MEMORY = MEMORY + 7 where ID = (select ID from t__data "
                               "order by random() limit 1)")
                    .arg(random.bounded(3)),
                QStringLiteral("update t__blocks set DATETIME = %1, COMPUTER_ID = %2 where ID = (select ID from "
                               "t__blocks order by random() limit 1)")
                    .arg(At(random.bounded(-1, 2), 3600 * random.bounded(24)))
                    .arg(1 + random.bounded(3)),
            };
            fixture->Sql(change[random.bounded(5)]);
        }
    }

    // Every chart, for all computers, one and one day, equals its plain
    // statement; expectSummaries says whether the store answers from them.
    void CompareCharts(bool expectSummaries)
    {
        for (const auto &[mode, kind] : {std::pair{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}})
            for (const bool allComputers : {true, false})
                for (const int day : {-2, -1, 0, 1, 99})
                    CompareChart({mode, kind, allComputers, 2, day == 99, QDateTime(kDay.addDays(day), QTime(13, 7))},
                                 expectSummaries);
    }

    void CompareChart(const AnalysisState &state, bool expectSummaries)
    {
        const QString plain = PlanAnalysis(*store, state)->statement;
        const QString summary = StatementToRun(Db(), plain);
        QCOMPARE(summary != plain, expectSummaries);
        const Rows expected = Run(Db(), plain);
        const Rows got = Run(Db(), summary);
        if (state.kind == 2) {
            // The rows in parent-PID order with their ties by process and PID.
            QString extended = plain;
            extended.replace(QStringLiteral("as endtime from"), QStringLiteral("as endtime, d.parentpid, d.pid from"));
            Rows ordered = Sorted(Run(Db(), extended), {3, 0, 4});
            for (QVariantList &row : ordered)
                row = row.mid(0, 3);
            QCOMPARE(got, ordered);
            QCOMPARE(Sorted(got, {0, 1, 2}), Sorted(expected, {0, 1, 2}));
        } else if (state.mainType == 0) {
            const int key = state.kind == 0 ? 1 : 0, process = 1 - key;
            QCOMPARE(Column(got, key), Column(expected, key)); // the statement's own order
            QCOMPARE(got, Sorted(expected, {key, process}));
        } else {
            QCOMPARE(Sorted(got, {0}), Sorted(expected, {0}));
        }
    }

    // The summaries hold what filling them afresh would: no more, no less.
    // What a deletion changes on the program's connection while it runs.
    Rows ConnectionSettings() const
    {
        sqlite3 *db = store->adocMain.Handle();
        return Run(db, QStringLiteral("pragma cache_size")) + Run(db, QStringLiteral("pragma wal_autocheckpoint"));
    }

    // Deleting a row at an instance's first or last time leaves that time a
    // bound, marked stale; every other sum is exact.
    void CompareWithRefill()
    {
        const QString sums[] = {QStringLiteral("select * from s__blocks order by 1"),
                                QStringLiteral("select * from s__processes where ROWS > 0 order by 1, 2, 3"),
                                QStringLiteral("select * from s__state"), QStringLiteral("select * from s__announced"),
                                QStringLiteral("select * from s__leaving")};
        const QString instances = QStringLiteral("select COMPUTER_ID, DAY, PROCESS_ID, PID, PARENTPID, ROWS, FIRST, "
                                                 "LAST, STALE from s__instances where ROWS > 0 order by 1, 2, 3, 4, 5");
        SqliteDatabase db(fixture->Path());
        QList<Rows> kept;
        for (const QString &sql : sums)
            kept << Run(db.handle(), sql);
        const Rows keptInstances = Run(db.handle(), instances);
        db.execute("BEGIN;");
        RefillSummaries(db);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(Run(db.handle(), sums[i]), kept[i]);
        const Rows exact = Run(db.handle(), instances);
        db.execute("ROLLBACK;");
        QCOMPARE(keptInstances.size(), exact.size());
        for (int i = 0; i < exact.size(); ++i) {
            const QVariantList &row = keptInstances[i], &truth = exact[i];
            QCOMPARE(row.mid(0, 6), truth.mid(0, 6));
            if (row[8].toInt() == 0) {
                QCOMPARE(row.mid(6, 2), truth.mid(6, 2));
            } else {
                QVERIFY(row[6].toLongLong() <= truth[6].toLongLong());
                QVERIFY(row[7].toLongLong() >= truth[7].toLongLong());
            }
        }
    }

    // Announces the blocks of a computer from first to last ID, as a
    // deletion does.
    void Announce(int computer, int first, int last)
    {
        fixture->Sql(QStringLiteral("insert into s__announce (COMPUTER_ID, FIRST_ID, LAST_ID) values (%1, %2, %3)")
                         .arg(computer)
                         .arg(first)
                         .arg(last));
    }

private slots:
    void init()
    {
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        fixture = new StoreFixture;
        fixture->Sql(QStringLiteral("insert into t__computers (NAME) values ('a'), ('b'), ('c')"));
    }
    void cleanup()
    {
        delete store;
        store = nullptr;
        delete fixture;
    }

    void summariesAnswerAsThePlainStatements_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed = 1; seed <= 6; ++seed)
            QTest::addRow("seed %u", seed) << seed;
    }
    void summariesAnswerAsThePlainStatements()
    {
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        Open();
        WriteHistory(random, 40);
        CompareCharts(true);
        CompareWithRefill();
        ChangeHistory(random);
        WriteHistory(random, 10);
        CompareCharts(true);
        CompareWithRefill();
    }

    void deletingAComputerKeepsThemExact()
    {
        QRandomGenerator random(7);
        WriteHistory(random, 60);
        Open();
        for (DataSet *dataSet : store->StartupDataSets())
            dataSet->Open();
        const Rows settings = ConnectionSettings();
        const QString blocksOf2 = QStringLiteral("select count(*) from t__blocks where COMPUTER_ID = 2");
        const qint64 blocks = fixture->Scalar(blocksOf2);
        Yes yes;
        int turns = 0;
        const DeletionProgress progress{[](int) {}, [](int) {}, [&turns] { return ++turns < 3; }, 0, 0};
        DeleteComputer(*store, yes, 2, progress); // stopped after two slices of one block, each with two turns
        QCOMPARE(turns, 3);
        QCOMPARE(fixture->Scalar(blocksOf2), blocks - 2);
        QCOMPARE(ConnectionSettings(), settings);
        CompareCharts(true);
        CompareWithRefill();
        // Between any two slices, whatever their size, the charts are exact.
        for (const qint64 sliceMs : {qint64(0), qint64(40)}) {
            fixture->Sql(QStringLiteral("insert into t__computers (ID, NAME) values (2, 'b') on conflict do nothing"));
            WriteHistory(random, 30);
            const DeletionProgress checked{[](int) {}, [](int) {},
                                           [&] {
                                               CompareCharts(true);
                                               return true;
                                           },
                                           sliceMs};
            DeleteComputer(*store, yes, 2, checked);
            QCOMPARE(fixture->Scalar(blocksOf2), 0);
            CompareWithRefill();
        }
        // The summaries of its days went with the last of its blocks.
        QCOMPARE(fixture->Scalar(QStringLiteral("select count(*) from s__instances where COMPUTER_ID = 2")), 0);
        QCOMPARE(fixture->Scalar(QStringLiteral("select count(*) from s__processes where COMPUTER_ID = 2")), 0);
    }

    // An announcement that outlives its transaction, or rows of an announced
    // block changed otherwise than by deletion, leave the summaries unread
    // until the deletion ends or the store tool refills them.
    void announcedBlocksAreExactOrAnsweredPlainly()
    {
        QRandomGenerator random(17);
        WriteHistory(random, 40);
        Open();
        const auto firstBlocksOf = [this](int computer, int count) {
            return std::pair{int(fixture->Scalar(QStringLiteral("select min(ID) from t__blocks where COMPUTER_ID = %1")
                                                     .arg(computer))),
                             int(fixture->Scalar(QStringLiteral("select max(ID) from (select ID from t__blocks where "
                                                                "COMPUTER_ID = %1 order by ID limit %2)")
                                                     .arg(computer)
                                                     .arg(count)))};
        };
        const auto [first, last] = firstBlocksOf(1, 4);
        Announce(1, first, last);
        Announce(1, first, last); // announced already: taken out once
        QCOMPARE(fixture->Scalar(QStringLiteral("select count(*) from s__announced")), 4);
        CompareCharts(false);
        fixture->Sql(QStringLiteral("delete from t__data where BLOCK_ID in (select BLOCK_ID from s__announced);"
                                    "delete from t__blocks where ID in (select BLOCK_ID from s__announced)"));
        QCOMPARE(fixture->Scalar(QStringLiteral("select count(*) from s__announced")), 0);
        CompareCharts(true);
        CompareWithRefill();

        const auto [next, upTo] = firstBlocksOf(3, 2);
        fixture->Sql(QStringLiteral("begin; insert into s__announce values (3, %1, %2);"
                                    "insert into t__data (BLOCK_ID, PROCESS_ID, PID, PARENTPID, MEMORY) values "
                                    "(%1, 1, 1, 1, 5); delete from t__data where BLOCK_ID between %1 and %2;"
                                    "delete from t__blocks where COMPUTER_ID = 3 and ID between %1 and %2; commit")
                         .arg(next)
                         .arg(upTo));
        QCOMPARE(fixture->Scalar(QStringLiteral("select STALE from s__state")), 1);
        CompareCharts(false);
        QCOMPARE(UpgradeStore(fixture->Path()), UpgradeOutcome::SummariesRefilled);
        CompareCharts(true);

        const auto [withdrawn, alone] = firstBlocksOf(2, 1);
        Q_UNUSED(alone);
        Announce(2, withdrawn, withdrawn);
        fixture->Sql(QStringLiteral("delete from s__announced"));
        QCOMPARE(fixture->Scalar(QStringLiteral("select STALE from s__state")), 1);
        CompareCharts(false);
    }

    void storeUpgradedInPlaceAnswersTheSame()
    {
        delete fixture;
        fixture = new StoreFixture(StoreExtras::None);
        fixture->Sql(QStringLiteral("insert into t__computers (NAME) values ('a'), ('b'), ('c')"));
        QRandomGenerator random(11);
        WriteHistory(random, 40);
        Open();
        CompareCharts(false); // an earlier store: plainly, the same rows
        // Its deletion has no summaries to announce its blocks to.
        for (DataSet *dataSet : store->StartupDataSets())
            dataSet->Open();
        Yes yes;
        DeleteComputer(*store, yes, 3, {[](int) {}, [](int) {}, [] { return true; }});
        QCOMPARE(fixture->Scalar(QStringLiteral("select count(*) from t__blocks where COMPUTER_ID = 3")), 0);
        QCOMPARE(UpgradeStore(fixture->Path()), UpgradeOutcome::SummariesAdded);
        CompareCharts(true);
        ChangeHistory(random);
        CompareCharts(true);
        CompareWithRefill();
    }

    // A store upgraded by an earlier tool is read plainly; upgrading it again
    // keeps its sums, adds what the layout lacks and renews the triggers.
    void earlierSummariesAreReadAndTheirTriggersRenewed()
    {
        QRandomGenerator random(5);
        WriteHistory(random, 30);
        // The layout before bounds could be stale and deletions announced.
        Rows triggers;
        {
            SqliteDatabase db(fixture->Path());
            triggers = Run(db.handle(), QStringLiteral("select name from sqlite_master where type = 'trigger' and "
                                                       "name like 's\\_\\_%' escape '\\'"));
        }
        for (const QVariantList &trigger : triggers)
            fixture->Sql(QStringLiteral("drop trigger ") + trigger[0].toString());
        fixture->Sql(QStringLiteral("drop view s__announce; drop view s__row_removal; drop table s__announced; drop table s__leaving;"
                                    "alter table s__instances drop column STALE; update s__state set VERSION = 2;"
                                    "update sqlite_stat1 set stat = '9 9' where tbl = 's__instances'"));
        Open();
        for (DataSet *dataSet : store->StartupDataSets())
            dataSet->Open();
        CompareCharts(false);
        QCOMPARE(UpgradeStore(fixture->Path()), UpgradeOutcome::SummariesUpdated);
        QCOMPARE(fixture->Scalar(QStringLiteral("select VERSION from s__state")), 3);
        // The instance summary was made afresh, and the planner's figures for it with it.
        QCOMPARE(fixture->Scalar(QStringLiteral("select count(*) from sqlite_stat1 where tbl = 's__instances' and "
                                                "stat = '9 9'")),
                 0);
        QCOMPARE(fixture->Scalar(QStringLiteral("select count(*) from sqlite_stat1 where tbl = 's__instances'")), 1);
        CompareCharts(true);
        QCOMPARE(UpgradeStore(fixture->Path()), UpgradeOutcome::AlreadyCurrent);
        Yes yes;
        DeleteComputer(*store, yes, 1, {[](int) {}, [](int) {}, [] { return true; }});
        QCOMPARE(fixture->Scalar(QStringLiteral("select count(*) from s__instances where COMPUTER_ID = 1")), 0);
        CompareCharts(true);
        CompareWithRefill();
    }

    // Rows the summaries cannot hold exactly, and rows replaced in place,
    // which SQLite deletes without triggers: the plain statements answer.
    void uncoveredRowsAreAnsweredPlainly()
    {
        QRandomGenerator random(13);
        WriteHistory(random, 30);
        Open();
        fixture->Sql(QStringLiteral("insert into t__blocks (ID, COMPUTER_ID, DATETIME) values (500, 2, '2026-03-09 10:00');"
                                    "insert into t__data (BLOCK_ID, PROCESS_ID, PID, PARENTPID, MEMORY) values "
                                    "(500, 1, 1, 1, 5), (3, 2, 1, 1, 'a lot'), (4, 2, 1, 1, NULL)"));
        QCOMPARE(fixture->Scalar(QStringLiteral("select IRREGULAR from s__state")), 3);
        CompareCharts(false);
        fixture->Sql(QStringLiteral("delete from t__data where typeof(MEMORY) <> 'integer';"
                                    "delete from t__blocks where ID = 500"));
        CompareCharts(true);
        fixture->Sql(QStringLiteral("insert or replace into t__data (ID, BLOCK_ID, PROCESS_ID, PID, PARENTPID, MEMORY) "
                                    "select ID, BLOCK_ID, 4, 2, 2, 77 from t__data limit 1"));
        CompareCharts(false);
        QCOMPARE(UpgradeStore(fixture->Path()), UpgradeOutcome::SummariesRefilled);
        CompareCharts(true);
        QCOMPARE(UpgradeStore(fixture->Path()), UpgradeOutcome::AlreadyCurrent);
    }
};

QTEST_MAIN(ChartSummaries)
#include "test_chart_summaries.moc"
