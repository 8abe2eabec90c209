// Tables, the cursor, look-ups, sorting, change signals and the row storage.
#include "store_fixture.h"
#include "store/stored_datetime.h"

#include <QSignalSpy>
#include <QtTest>

class DataSetLayer : public QObject {
    Q_OBJECT
    StoreFixture *fixture = nullptr;
    TMonitoringStore *store = nullptr;

    void AddComputer(const QString &name)
    {
        store->adotComputers.Append();
        store->adotComputers.SetValue(QStringLiteral("NAME"), name);
        store->adotComputers.Post();
    }

private slots:
    void init()
    {
        fixture = new StoreFixture;
        store = new TMonitoringStore;
        store->adocMain.Open();
        store->adotComputers.Open();
    }
    void cleanup()
    {
        delete store;
        delete fixture;
    }

    void postedRowCarriesItsNewKeyAndViewsSeeItAtOnce()
    {
        QSignalSpy inserted(&store->adotComputers, &DataSet::AfterInsertRow);
        AddComputer(QStringLiteral("alpha"));
        AddComputer(QStringLiteral("a-network-name-longer-than-15"));
        QCOMPARE(inserted.count(), 2);
        const qint64 id = store->adotComputers.Value(QStringLiteral("ID")).toLongLong();
        QCOMPARE(id, fixture->Scalar(QStringLiteral("select max(ID) from t__computers")));
        QCOMPARE(fixture->Scalar(QStringLiteral("select length(NAME) from t__computers where ID = %1").arg(id)), 29);
        store->adotComputers.Delete();
        AddComputer(QStringLiteral("gamma"));
        QVERIFY(store->adotComputers.Value(QStringLiteral("ID")).toLongLong() > id); // keys are never reused
    }

    void editAndDeleteGoThroughTheKey()
    {
        AddComputer(QStringLiteral("alpha"));
        AddComputer(QStringLiteral("beta"));
        QVERIFY(store->adotComputers.Locate(QStringLiteral("name"), QStringLiteral("alpha")));
        store->adotComputers.Edit();
        store->adotComputers.SetValue(QStringLiteral("NAME"), QStringLiteral("alpha2"));
        store->adotComputers.Post();
        QCOMPARE(fixture->Scalar(QStringLiteral("select count(*) from t__computers where NAME = 'alpha2'")), 1);
        store->adotComputers.Delete();
        QCOMPARE(fixture->Scalar(QStringLiteral("select count(*) from t__computers")), 1);
        QCOMPARE(store->adotComputers.RecordCount(), 1);
        // A row another program removed cannot be changed silently.
        fixture->Sql(QStringLiteral("delete from t__computers"));
        store->adotComputers.Edit();
        store->adotComputers.SetValue(QStringLiteral("NAME"), QStringLiteral("x"));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, store->adotComputers.Post());
    }

    void locateAndLookupAreExactAndLeaveTheCursorAlone()
    {
        AddComputer(QStringLiteral("Alpha"));
        AddComputer(QStringLiteral("alpha"));
        AddComputer(QStringLiteral("beta"));
        QCOMPARE(store->adotComputers.RecNo(), 3);
        const QVariant id = store->adotComputers.Lookup(QStringLiteral("NAME"), QStringLiteral("alpha"), QStringLiteral("ID"));
        QCOMPARE(store->adotComputers.RecNo(), 3);
        QVERIFY(store->adotComputers.Locate(QStringLiteral("ID"), id));
        QCOMPARE(store->adotComputers.RecNo(), 2);
        QVERIFY(!store->adotComputers.Locate(QStringLiteral("NAME"), QStringLiteral("ALPHA")));
        QVERIFY(store->adotComputers.Lookup(QStringLiteral("ID"), 999, QStringLiteral("NAME")).isNull());
        QVERIFY(store->adotComputers.Lookup(QStringLiteral("ID"), QVariant(), QStringLiteral("NAME")).isNull());
    }

    void filterSelectsInTheEngineAndSwitchesOffOnAnOpenTable()
    {
        const QDateTime at(QDate(2026, 1, 1), QTime(8, 0));
        for (int b = 1; b <= 6; ++b)
            fixture->AddBlock(b, b % 2 + 1, at.addSecs(b));
        Table &blocks = store->adotBlocks;
        blocks.SetFilter(QStringLiteral("COMPUTER_ID = 2"));
        blocks.SetFiltered(true);
        blocks.Open();
        QCOMPARE(blocks.RecordCount(), 3);
        blocks.Delete();
        QCOMPARE(fixture->Scalar(QStringLiteral("select count(*) from t__blocks")), 5);
        blocks.SetFiltered(false);
        QCOMPARE(blocks.RecordCount(), 5);
        blocks.Close();
        blocks.SetFilter(QStringLiteral("COMPUTER_ID = 1 or 1=1"));
        blocks.SetFiltered(true);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, blocks.Open());
        QVERIFY(!blocks.Active());
    }

    void sortIsAscendingByOneFieldAndGoesWithTheOpen()
    {
        for (const char *name : {"delta", "alpha", "charlie", "bravo"})
            AddComputer(QLatin1String(name));
        Table &computers = store->adotComputers;
        QVERIFY(computers.Locate(QStringLiteral("NAME"), QStringLiteral("charlie")));
        QSignalSpy reset(&computers, &DataSet::AfterReset);
        computers.SetSort(QStringLiteral("NAME"));
        computers.SetSort(QStringLiteral("NAME"));
        QCOMPARE(reset.count(), 2);
        const int name = computers.FieldIndex(QStringLiteral("NAME"));
        QStringList names;
        for (int p = 0; p < computers.RecordCount(); ++p)
            names << computers.ValueAt(p, name).toString();
        QCOMPARE(names, QStringList({"alpha", "bravo", "charlie", "delta"}));
        QCOMPARE(computers.Value(QStringLiteral("NAME")).toString(), QStringLiteral("charlie")); // current row kept
        computers.Close();
        computers.Open();
        QCOMPARE(computers.ValueAt(0, name).toString(), QStringLiteral("delta"));
        QVERIFY(computers.Sort().isEmpty());
    }

    void queryRunsItsStatementOnceAndTypesExpressionsFromTheFirstRow()
    {
        static int calls = 0;
        calls = 0;
        sqlite3_create_function_v2(
            store->adocMain.Handle(), "Counted", 1, SQLITE_UTF8, nullptr,
            [](sqlite3_context *context, int, sqlite3_value **value) {
                ++calls;
                sqlite3_result_value(context, value[0]);
            },
            nullptr, nullptr, nullptr);
        for (const char *name : {"alpha", "beta", "gamma"})
            AddComputer(QLatin1String(name));
        Query query(store->adocMain);
        query.SetSQL({QStringLiteral("select NAME, Counted(ID * 1.5) as weight from t__computers order by Counted(ID) desc")});
        query.Open();
        QCOMPARE(calls, 6); // two calls per row, in a single run
        QCOMPARE(query.RecordCount(), 3);
        QCOMPARE(query.Value(QStringLiteral("NAME")).toString(), QStringLiteral("gamma"));
        QCOMPARE(query.Field(query.FieldIndex(QStringLiteral("weight"))).type, FieldType::Float);
        query.Close();
        calls = 0;
        query.SetSQL({QStringLiteral("select NAME from t__computers where Counted(ID) > 100")});
        query.Open();
        QCOMPARE(query.RecordCount(), 0);
        QCOMPARE(calls, 3); // not run again after its end
    }

    // A result without a row key is held whole and searched in memory: the
    // first exact match in the cursor's order, after a sort as after a reopen.
    void wholeResultIsSearchedInItsCurrentOrder()
    {
        for (const char *name : {"beta", "alpha", "beta"})
            AddComputer(QLatin1String(name));
        const QDateTime noon(QDate(2026, 5, 10), QTime(12, 0));
        fixture->AddBlock(1, 3, noon);
        Query query(store->adocMain);
        query.SetSQL({QStringLiteral("select c.ID, c.NAME, b.DATETIME from t__computers c left join t__blocks b "
                                     "on b.COMPUTER_ID = c.ID")});
        query.Open();
        QCOMPARE(query.Lookup(QStringLiteral("NAME"), QStringLiteral("beta"), QStringLiteral("ID")).toInt(), 1);
        QVERIFY(!query.Locate(QStringLiteral("NAME"), QStringLiteral("BETA")));
        QVERIFY(!query.Locate(QStringLiteral("ID"), QStringLiteral("not a number")));
        QVERIFY(query.Locate(QStringLiteral("ID"), QStringLiteral("2")));
        QCOMPARE(query.RecNo(), 2);
        QVERIFY(query.Locate(QStringLiteral("DATETIME"), QVariant()));
        QCOMPARE(query.RecNo(), 1);
        QCOMPARE(query.Lookup(QStringLiteral("DATETIME"), noon, QStringLiteral("ID")).toInt(), 3);
        const int time = query.FieldIndex(QStringLiteral("DATETIME"));
        QCOMPARE(query.ValueAt(2, time).toDateTime(), noon);
        QCOMPARE(query.DateTimeAt(2, time), std::optional<qint64>(StoredDateTime(noon)));
        QCOMPARE(query.DateTimeAt(0, time), std::nullopt);

        query.SetSort(QStringLiteral("NAME")); // alpha 2, beta 1, beta 3
        QVERIFY(query.Locate(QStringLiteral("NAME"), QStringLiteral("beta")));
        QCOMPARE(query.RecNo(), 2);
        QVERIFY(query.Locate(QStringLiteral("ID"), 3));
        QCOMPARE(query.RecNo(), 3);
        AddComputer(QStringLiteral("gamma"));
        QVERIFY(query.Lookup(QStringLiteral("NAME"), QStringLiteral("gamma"), QStringLiteral("ID")).isNull());
        query.Close();
        query.Open();
        QCOMPARE(query.Lookup(QStringLiteral("NAME"), QStringLiteral("gamma"), QStringLiteral("ID")).toInt(), 4);
    }

    void closedDataSetsRefuseWork()
    {
        store->adotComputers.Close();
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, store->adotComputers.Append());
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, store->adotComputers.Locate(QStringLiteral("ID"), 1));
        QCOMPARE(store->adotComputers.RecordCount(), 0);
    }
};

QTEST_GUILESS_MAIN(DataSetLayer)
#include "test_data_set_layer.moc"
