// The fixed statements of the store components against a small store.
#include "store_fixture.h"

#include <QtTest>

namespace {

void Reopen(Query &query, std::initializer_list<std::pair<const char *, QVariant>> params)
{
    query.Close();
    for (const auto &[name, value] : params)
        query.SetParam(QLatin1String(name), value);
    query.Open();
}

QStringList Column(DataSet &dataSet, const QString &field)
{
    QStringList values;
    const int f = dataSet.FieldIndexOrThrow(field);
    for (int p = 0; p < dataSet.RecordCount(); ++p)
        values << dataSet.ValueAt(p, f).toString();
    return values;
}

} // namespace

class FixedComponents : public QObject {
    Q_OBJECT
    StoreFixture *fixture = nullptr;
    TMonitoringStore *store = nullptr;
    const QDateTime t1{QDate(2026, 3, 1), QTime(10, 0, 0)};
    const QDateTime t2{QDate(2026, 3, 1), QTime(10, 0, 10)};

private slots:
    void init()
    {
        fixture = new StoreFixture;
        fixture->Sql(QStringLiteral("insert into t__computers (NAME) values ('alpha'), ('beta'), ('gamma');"
                                    "insert into t__process (NAME, TYPE_ID) values ('init', 2), ('sshd', 3), ('evil', 4);"));
        fixture->AddBlock(1, 1, t1);
        fixture->AddRow(1, 1, 1);
        fixture->AddBlock(2, 2, t1);
        fixture->AddRow(2, 2, 20);
        fixture->AddBlock(3, 1, t2);
        fixture->AddRow(3, 1, 1);
        fixture->AddRow(3, 3, 666, 5000);
        store = new TMonitoringStore;
        store->adocMain.Open();
        for (DataSet *dataSet : store->StartupDataSets())
            dataSet->Open();
    }
    void cleanup()
    {
        delete store;
        delete fixture;
    }

    void lastBlockOfOneComputer()
    {
        QCOMPARE(store->adoqLast.RecordCount(), 0); // both parameters 0 at start
        Reopen(store->adoqLast, {{"CID1", 1}, {"CID2", 1}});
        QCOMPARE(Column(store->adoqLast, QStringLiteral("PROCESSNAME")), QStringList({"init", "evil"}));
        QCOMPARE(store->adoqLast.Value(QStringLiteral("DATETIME")).toDateTime(), t2);
        QCOMPARE(store->adoqLast.Value(QStringLiteral("COMPUTERNAME")).toString(), QStringLiteral("alpha"));
        Reopen(store->adoqLast, {{"CID1", 3}, {"CID2", 3}});
        QCOMPARE(store->adoqLast.RecordCount(), 0); // gamma has no blocks
    }

    void lastFieldsInGridOrder()
    {
        QStringList names, labels;
        for (int f = 0; f < store->adoqLast.FieldCount(); ++f) {
            names << store->adoqLast.Field(f).name;
            if (store->adoqLast.Field(f).visible)
                labels << store->adoqLast.Field(f).DisplayLabel();
        }
        QCOMPARE(names, QStringList({"PROCESSNAME", "PID", "PARENTPID", "MEMORY", "PRIORITY", "THREADS",
                                     "COMPUTERNAME", "DATETIME"}));
        QCOMPARE(labels, QStringList({"Process", "Process ID", "Parent PID", "Memory", "Priority", "Threads"}));
    }

    void blockSummary()
    {
        Reopen(store->adoqCompRule, {{"comp", 1}});
        QCOMPARE(store->adoqCompRule.Value(QStringLiteral("count")).toInt(), 2);
        QCOMPARE(store->adoqCompRule.Value(QStringLiteral("min")).toDateTime(), t1);
        QCOMPARE(store->adoqCompRule.Value(QStringLiteral("max")).toDateTime(), t2);
        Reopen(store->adoqCompRule, {{"comp", 3}});
        QCOMPARE(store->adoqCompRule.Value(QStringLiteral("count")).toInt(), 0);
        QVERIFY(store->adoqCompRule.Value(QStringLiteral("min")).isNull());
        QVERIFY(store->adoqCompRule.Value(QStringLiteral("max")).isNull());
        Reopen(store->adoqCompRule, {{"comp", QVariant()}}); // nothing chosen yet
        QCOMPARE(store->adoqCompRule.Value(QStringLiteral("count")).toInt(), 0);
    }

    void fullHistoryAtStart()
    {
        QCOMPARE(store->adoqFull.RecordCount(), 4);
        QCOMPARE(Column(store->adoqFull, QStringLiteral("COMPUTERNAME")).count(QStringLiteral("beta")), 1);
        QCOMPARE(store->adoqFull.Field(1).DisplayLabel(), QStringLiteral("Date and time"));
        QCOMPARE(TMonitoringStore::FullStatementLines().join(QLatin1Char(' ')),
                 QStringLiteral("select c.NAME AS COMPUTERNAME,b.DATETIME,p.NAME AS PROCESSNAME,d.PID,d.PARENTPID,"
                                "d.MEMORY,d.PRIORITY,d.THREADS from t__data d,t__computers c,t__blocks b,t__process p "
                                "where b.ID = d.BLOCK_ID and d.PROCESS_ID = p.ID and c.ID = b.COMPUTER_ID"));
        QVERIFY(store->adoqFull.SQLText().contains(QStringLiteral("\r\nfrom t__data")));
    }

    void catalogueAndTypes()
    {
        QCOMPARE(Column(store->adoqProcess, QStringLiteral("NAME")), QStringList({"evil", "init", "sshd"}));
        QCOMPARE(Column(store->adoqProcessTypes, QStringLiteral("name")),
                 QStringList({"Unknown", "System", "User", "Danger"}));
        store->adoqProcessByType.Open();
        QCOMPARE(store->adoqProcessByType.RecordCount(), 0); // parameter 0 at load
        Reopen(store->adoqProcessByType, {{"ProcessType", 4}});
        QCOMPARE(Column(store->adoqProcessByType, QStringLiteral("name")), QStringList({"evil"}));
    }

    void dataAddInsertsOneRowPerExecution()
    {
        for (const char *name : {"BLOCK_ID", "PROCESS_ID", "PID", "PARENTPID", "MEMORY", "PRIORITY", "THREADS"})
            QCOMPARE(store->adoqDataAdd.Param(QLatin1String(name)).toInt(), 255);
        store->adoqDataAdd.SetParam(QStringLiteral("BLOCK_ID"), 2);
        store->adoqDataAdd.SetParam(QStringLiteral("PID"), 40000); // kept whole, not wrapped
        QCOMPARE(store->adoqDataAdd.ExecSQL(), 1);
        QCOMPARE(store->adoqDataAdd.ExecSQL(), 1);
        QCOMPARE(fixture->Scalar(QStringLiteral("select count(*) from t__data where PID = 40000 and BLOCK_ID = 2")), 2);
    }

    void analysisLookupNames()
    {
        Query &count = store->adoqAnalyseByCount;
        count.SetSQL({QStringLiteral("select count(d.id), d.process_id from t__data d, t__blocks b where d.block_id = "
                                     "b.id  group by d.process_id order by count(d.id) ")});
        count.Open();
        QCOMPARE(Column(count, QStringLiteral("Expr1000")), QStringList({"1", "1", "2"}));
        QCOMPARE(Column(count, QStringLiteral("NAME")).last(), QStringLiteral("init"));
        // A name entered after the catalogue list was read shows no label.
        fixture->Sql(QStringLiteral("insert into t__process (ID, NAME, TYPE_ID) values (9, 'late', 1)"));
        fixture->AddRow(2, 9, 99);
        count.Close();
        count.Open();
        const int name = count.FieldIndex(QStringLiteral("name"));
        const int id = count.FieldIndex(QStringLiteral("process_id"));
        for (int p = 0; p < count.RecordCount(); ++p)
            if (count.ValueAt(p, id).toInt() == 9)
                QVERIFY(count.ValueAt(p, name).isNull());
    }

    void persistentFieldMissingFailsTheOpen()
    {
        Query &timeline = store->adoqAnalyzeTimeline;
        timeline.SetSQL({QStringLiteral("select d.process_id, min(b.datetime) as starttime from t__blocks b, t__data "
                                        "d where b.id = d.block_id group by d.process_id")});
        try {
            timeline.Open();
            QFAIL("opened without its endtime field");
        } catch (const EDatabaseError &e) {
            QVERIFY(e.message().contains(QStringLiteral("'endtime'")));
        }
        QVERIFY(!timeline.Active());
    }

    void openQueriesRefuseNewStatementOrParameters()
    {
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, store->adoqLast.SetParam(QStringLiteral("CID1"), 1));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, store->adoqFull.SetSQL({QStringLiteral("select 1")}));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, store->adoqLast.SetParam(QStringLiteral("nope"), 1));
    }

    void closingKeepsPersistentFieldsForTheGrids()
    {
        store->adoqFull.Close();
        QCOMPARE(store->adoqFull.FieldCount(), 8);
        QCOMPARE(store->adoqFull.RecordCount(), 0);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, store->adoqFull.SetSort(QStringLiteral("PROCESSNAME")));
    }
};

QTEST_GUILESS_MAIN(FixedComponents)
#include "test_fixed_components.moc"
