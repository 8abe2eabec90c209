// The monitoring cycle with a recorder that only notes the computers it is
// handed: periods, passes, Stop and Start during a pass, the halted state.
#include "../store/store_fixture.h"
#include "monitor/monitoring_cycle.h"

#include <QTimer>
#include <QtTest>

namespace {

class View : public MonitorView {
public:
    QString status = QStringLiteral("Monitoring stoped");
    bool on = false;
    void SetStatusText(const QString &text) override { status = text; }
    void ShowMonitoring(bool monitoring) override { on = monitoring; }
};

} // namespace

class Cycle : public QObject {
    Q_OBJECT
    StoreFixture *fixture = nullptr;
    TMonitoringStore *store = nullptr;
    QTimer *timer = nullptr;
    View view;
    QList<int> visited;
    std::function<void(int)> duringRecord;
    MonitoringCycle *cycle = nullptr;
    bool recorderBusy = false;

    void Fire() { cycle->TimerFired(); }

private slots:
    void init()
    {
        fixture = new StoreFixture;
        fixture->Sql(QStringLiteral("insert into t__computers (NAME) values ('a'), ('b'), ('c')"));
        store = new TMonitoringStore;
        store->adocMain.Open();
        store->adotComputers.Open();
        timer = new QTimer;
        visited.clear();
        duringRecord = nullptr;
        recorderBusy = false;
        view = View();
        cycle = new MonitoringCycle(*timer, store->adotComputers, [this](int id) {
            visited << id;
            if (duringRecord)
                duringRecord(id);
        }, [this] { return recorderBusy; }, view);
    }
    void cleanup()
    {
        delete cycle;
        delete timer;
        delete store;
        delete fixture;
    }

    void periodComesFromTheText()
    {
        QCOMPARE(MonitoringCycle::PeriodSeconds(QStringLiteral("5")), 5);
        QCOMPARE(MonitoringCycle::PeriodSeconds(QString()), 10);
        QCOMPARE(MonitoringCycle::PeriodSeconds(QStringLiteral("ab")), 10);
        QCOMPARE(MonitoringCycle::PeriodSeconds(QStringLiteral("00")), 0);
        QVERIFY_THROWS_EXCEPTION(Exception, MonitoringCycle::PeriodSeconds(QStringLiteral("-5")));
        QVERIFY_THROWS_EXCEPTION(Exception, MonitoringCycle::PeriodSeconds(QStringLiteral("99999999")));
    }

    void startArmsOnePeriodAndAPassVisitsEveryComputerInOrder()
    {
        cycle->Start(QStringLiteral("5"));
        QCOMPARE(view.status, QStringLiteral("Monitor started"));
        QVERIFY(view.on);
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 5000);
        QVERIFY(visited.isEmpty()); // the first pass runs one period after Start
        duringRecord = [this](int) { QVERIFY(!timer->isActive()); };
        Fire();
        QCOMPARE(visited, QList<int>({1, 2, 3}));
        QVERIFY(timer->isActive()); // armed afresh after the pass
    }

    void computersAddedOrDeletedDuringAPassCount()
    {
        cycle->Start(QStringLiteral("5"));
        duringRecord = [this](int id) {
            if (id == 1) { // appended while the first computer is read
                store->adotComputers.Append();
                store->adotComputers.SetValue(QStringLiteral("NAME"), QStringLiteral("d"));
                store->adotComputers.Post();
            }
        };
        Fire();
        QCOMPARE(visited, QList<int>({1, 2, 3, 4}));
        visited.clear();
        duringRecord = [this](int id) {
            if (id == 1 && store->adotComputers.Locate(QStringLiteral("ID"), 4))
                store->adotComputers.Delete();
        };
        Fire();
        QCOMPARE(visited, QList<int>({1, 2, 3}));
    }

    void emptyListKeepsTheTimerFiring()
    {
        fixture->Sql(QStringLiteral("delete from t__computers"));
        store->adotComputers.Close();
        store->adotComputers.Open();
        cycle->Start(QStringLiteral("1"));
        Fire();
        QVERIFY(visited.isEmpty());
        QVERIFY(timer->isActive());
    }

    void zeroArmsNothingAndStopEndsIt()
    {
        cycle->Start(QStringLiteral("0"));
        QCOMPARE(view.status, QStringLiteral("Monitor started"));
        QVERIFY(!timer->isActive());
        cycle->Stop();
        QCOMPARE(view.status, QStringLiteral("Monitor stoped"));
        QVERIFY(!view.on);
    }

    void negativePeriodIsRefusedAndNothingStarts()
    {
        QVERIFY_THROWS_EXCEPTION(Exception, cycle->Start(QStringLiteral("-1")));
        QVERIFY(!cycle->On());
        QVERIFY(!timer->isActive());
        QCOMPARE(view.status, QStringLiteral("Monitoring stoped"));
    }

    void stopDuringAPassEndsItAndLeavesTheTimerOff()
    {
        cycle->Start(QStringLiteral("5"));
        duringRecord = [this](int id) {
            if (id == 1)
                cycle->Stop();
        };
        Fire();
        QCOMPARE(visited, QList<int>({1}));
        QVERIFY(!timer->isActive());
        QCOMPARE(view.status, QStringLiteral("Monitor stoped"));
    }

    void startDuringAPassNeverBeginsASecondOne()
    {
        cycle->Start(QStringLiteral("5"));
        duringRecord = [this](int id) {
            if (id != 2)
                return;
            cycle->Stop();
            cycle->Start(QStringLiteral("5"));
            QVERIFY(!timer->isActive()); // armed only when this pass ends
        };
        Fire();
        QCOMPARE(visited, QList<int>({1, 2, 3}));
        QVERIFY(timer->isActive());
    }

    void passDueDuringARecordingWaitsForIt()
    {
        cycle->Start(QStringLiteral("5"));
        recorderBusy = true;
        Fire();
        QVERIFY(visited.isEmpty());
        QVERIFY(!timer->isActive());
        cycle->RecordingFinished(); // news of an ended recording, but another one began meanwhile
        QVERIFY(visited.isEmpty());
        recorderBusy = false;
        cycle->RecordingFinished();
        QCOMPARE(visited, QList<int>({1, 2, 3}));
        QVERIFY(timer->isActive());
    }

    // "Lookup selected" acts on the current row: a pass hands it back on the
    // computer chosen before it, or during it.
    void passLeavesTheTableOnTheComputerTheUserChose()
    {
        cycle->Start(QStringLiteral("5"));
        store->adotComputers.SetRecNo(2);
        Fire();
        QCOMPARE(visited, QList<int>({1, 2, 3}));
        QCOMPARE(store->adotComputers.RecNo(), 2);
        duringRecord = [this](int id) {
            if (id == 1)
                store->adotComputers.SetRecNo(3); // the user's click while computer 1 was probed
            if (id == 2)
                throw EDatabaseError(QStringLiteral("disk I/O error"));
        };
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, Fire());
        QCOMPARE(store->adotComputers.RecNo(), 3);
    }

    void failureHaltsUntilStopAndStart()
    {
        cycle->Start(QStringLiteral("5"));
        duringRecord = [](int id) {
            if (id == 2)
                throw EDatabaseError(QStringLiteral("disk I/O error"));
        };
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, Fire());
        QCOMPARE(visited, QList<int>({1, 2}));
        QVERIFY(!timer->isActive());
        QCOMPARE(view.status, QStringLiteral("Monitor started"));
        QVERIFY(view.on);
        duringRecord = nullptr;
        cycle->Stop();
        cycle->Start(QStringLiteral("1"));
        QVERIFY(timer->isActive());
        Fire();
        QCOMPARE(visited.mid(2), QList<int>({1, 2, 3}));
    }

    void realTimerRunsTheNextPassAPeriodAfterTheLastEnded()
    {
        QElapsedTimer clock;
        QList<qint64> starts;
        duringRecord = [&](int id) {
            if (id == 1)
                starts << clock.elapsed();
            if (id == 3)
                QTest::qWait(150); // a slow pass
        };
        connect(timer, &QTimer::timeout, this, [this] { Fire(); });
        clock.start();
        cycle->Start(QStringLiteral("1"));
        QTRY_VERIFY_WITH_TIMEOUT(starts.size() >= 2, 5000);
        QVERIFY(starts[0] >= 940); // one period after Start (a coarse timer may be 5% early)
        // one period after the slow pass ended, not after it began
        QVERIFY2(starts[1] - starts[0] >= 950 + 150, qPrintable(QString::number(starts[1] - starts[0])));
    }
};

QTEST_GUILESS_MAIN(Cycle)
#include "test_monitoring_cycle.moc"
