// The analysis page's statements: the texts for every mode and kind, the
// computer and day conditions, and what the queries return.
#include "../store/store_fixture.h"
#include "store/date_text.h"
#include "ui/analysis_statement.h"

#include <QtTest>

class AnalysisStatement : public QObject {
    Q_OBJECT
    StoreFixture *fixture = nullptr;
    TMonitoringStore *store = nullptr;
    const QDate day{2026, 5, 10};

    Query &Run(const AnalysisState &state)
    {
        const auto plan = PlanAnalysis(*store, state);
        plan->query->Close();
        plan->query->SetSQL({plan->statement});
        plan->query->Open();
        return *plan->query;
    }
    static QStringList Column(DataSet &data, const char *field)
    {
        QStringList values;
        for (int p = 0; p < data.RecordCount(); ++p)
            values << data.ValueAt(p, data.FieldIndexOrThrow(QLatin1String(field))).toString();
        return values;
    }

private slots:
    void init()
    {
        fixture = new StoreFixture;
        fixture->Sql(QStringLiteral("insert into t__computers (NAME) values ('alpha'), ('beta');"
                                    "insert into t__process (NAME, TYPE_ID) values ('big', 1), ('small', 1), ('mid', 2);"));
        fixture->AddBlock(1, 1, QDateTime(day, QTime(0, 0, 0)));          // midnight of the day: in it
        fixture->AddRow(1, 1, 10, 9000);
        fixture->AddRow(1, 2, 11, 100);
        fixture->AddBlock(2, 2, QDateTime(day, QTime(23, 59, 59)));
        fixture->AddRow(2, 3, 12, 500);
        fixture->AddRow(2, 2, 11, 300);
        fixture->AddBlock(3, 1, QDateTime(day.addDays(1), QTime(0, 0, 0))); // next midnight: not in it
        fixture->AddRow(3, 1, 10, 1000);
        store = new TMonitoringStore;
        store->adocMain.Open();
        store->adoqProcess.Open();
    }
    void cleanup()
    {
        delete store;
        delete fixture;
    }

    void textsForEveryModeAndKind()
    {
        AnalysisState state{0, 0, true, {}, true, {}};
        auto plan = PlanAnalysis(*store, state);
        QCOMPARE(plan->query, &store->adoqAnalyseByMemory);
        QCOMPARE(plan->series, 0);
        QCOMPARE(plan->statement, QStringLiteral("select d.process_id, avg(d.memory) as mem from t__data d, t__blocks b "
                                                 "where d.block_id = b.id  group by d.process_id order by avg(d.memory) "));
        state.kind = 1;
        QCOMPARE(PlanAnalysis(*store, state)->statement,
                 QStringLiteral("select count(d.id), d.process_id from t__data d, t__blocks b where d.block_id = b.id "
                                " group by d.process_id order by count(d.id) "));
        state.mainType = 1;
        state.kind = 0;
        plan = PlanAnalysis(*store, state);
        QCOMPARE(plan->query, &store->adoqStatByMemory);
        QCOMPARE(plan->series, 3);
        state.kind = 1;
        QCOMPARE(PlanAnalysis(*store, state)->series, 4);
        state.kind = 2;
        const auto statisticsTimeline = PlanAnalysis(*store, state);
        state.mainType = 0;
        const auto analyseTimeline = PlanAnalysis(*store, state);
        QCOMPARE(statisticsTimeline->statement, analyseTimeline->statement);
        QCOMPARE(statisticsTimeline->query, &store->adoqAnalyzeTimeline);
        QCOMPARE(statisticsTimeline->series, 2);
        QVERIFY(analyseTimeline->statement.endsWith(QStringLiteral(" group by d.process_id,d.pid,d.parentpid order by d.parentpid")));
        state.kind = -1;
        QVERIFY(!PlanAnalysis(*store, state));
    }

    void conditionsForOneComputerAndOneDay()
    {
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        const QDateTime at(day, QTime(15, 4, 5));
        const AnalysisState state{0, 0, false, 2, false, at};
        QCOMPARE(AnalysisCondition(state),
                 QStringLiteral(" and b.computer_id = 2 and b.datetime >= DateValue( '%1' ) and b.datetime < DateValue( '%2' )")
                     .arg(DateTimeText(at), DateTimeText(at.addDays(1))));
        QLocale::setDefault(QLocale::c());
        const AnalysisState none{0, 0, false, {}, true, {}};
        QVERIFY_THROWS_EXCEPTION(Exception, AnalysisCondition(none));
    }

    void dayIncludesItsMidnightAndNotTheNext()
    {
        QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
        Query &count = Run({1, 1, true, {}, false, QDateTime(day, QTime(12, 0))});
        QCOMPARE(Column(count, "count"), QStringList({"2", "2"})); // blocks 1 and 2, not 3
        Query &empty = Run({1, 1, true, {}, false, QDateTime(day.addDays(5), QTime(12, 0))});
        QCOMPARE(empty.RecordCount(), 0);
        QLocale::setDefault(QLocale::c());
    }

    void analyseChartsNameTheirProcesses()
    {
        Query &memory = Run({0, 0, true, {}, true, {}});
        QCOMPARE(Column(memory, "name"), QStringList({"small", "mid", "big"})); // ascending average
        QCOMPARE(Column(memory, "mem"), QStringList({"200", "500", "5000"}));
        Query &count = Run({0, 1, false, 1, true, {}});
        QCOMPARE(Column(count, "NAME"), QStringList({"small", "big"}));
        QCOMPARE(Column(count, "Expr1000"), QStringList({"1", "2"}));
        Query &timeline = Run({0, 2, true, {}, true, {}});
        QCOMPARE(timeline.RecordCount(), 3); // one bar per name, PID and parent PID
        const int big = Column(timeline, "name").indexOf(QStringLiteral("big"));
        QCOMPARE(timeline.ValueAt(big, timeline.FieldIndex(QStringLiteral("starttime"))).toDateTime(),
                 QDateTime(day, QTime(0, 0)));
        QCOMPARE(timeline.ValueAt(big, timeline.FieldIndex(QStringLiteral("endtime"))).toDateTime(),
                 QDateTime(day.addDays(1), QTime(0, 0)));
    }
};

QTEST_GUILESS_MAIN(AnalysisStatement)
#include "test_analysis_statement.moc"
