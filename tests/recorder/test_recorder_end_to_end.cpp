// "Lookup selected" and monitoring passes against the stand-in service on
// several loopback addresses (127.0.0.61-63, 127.0.6.2), with fixed process
// tables, and an address where nothing listens.
#include "../perfd/perfd_runner.h"
#include "../perfd/proc_fixture.h"
#include "../probe/fake_host_lookup.h"
#include "../app/private_settings.h"
#include "../store/store_fixture.h"
#include "app/data_module.h"
#include "core/error_box.h"
#include "ui/color_label.h"
#include "ui/db_grid.h"
#include "ui/main_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QtTest>

class RecorderEndToEnd : public QObject {
    Q_OBJECT
    QTemporaryDir procA, procB;
    std::unique_ptr<PerfdRunner> service;
    StoreFixture *fixture = nullptr;
    TfrmMain *window = nullptr;
    TdmMain *module = nullptr;
    QStringList errors;
    PrivateSettings settings;

    qint64 Count(const QString &sql) const { return fixture->Scalar(sql); }
    void Lookup(int recNo)
    {
        module->adotComputers.SetRecNo(recNo);
        module->actlComputers.actLookupSelected->trigger();
    }
    QString Danger() const { return window->lbDangerStatus->text(); }
    // Computer 1 gets a name that only the test's lookup answers, after delayMs
    // with 127.0.0.61, or never.
    std::shared_ptr<LookupLog> NameComputer1ForLookup(const char *name, std::optional<std::optional<quint32>> reply,
                                                      int delayMs = 20)
    {
        auto log = std::make_shared<LookupLog>();
        module->psTestConnect.SetHostLookup(std::make_unique<FakeHostLookup>(log, reply, delayMs));
        fixture->Sql(QStringLiteral("update t__computers set NAME = '%1' where ID = 1").arg(QLatin1String(name)));
        module->adotComputers.Close();
        module->adotComputers.Open();
        return log;
    }
    void SetType(const char *name, int type)
    {
        fixture->Sql(QStringLiteral("update t__process set TYPE_ID = %1 where NAME = '%2'").arg(type).arg(QLatin1String(name)));
        module->adotProcess.Close();
        module->adotProcess.Open();
    }

private slots:
    void initTestCase()
    {
        SetErrorSink([this](const QString &text) { errors << text; });
        // 127.0.0.61: init, two sshd and a shell; 127.0.0.62: one process, "nc".
        WriteFixtureProcess(procA.path(), {1, "init", 0, 0, 1, "9000"});
        WriteFixtureProcess(procA.path(), {300, "sshd", 1, 0, 2, "5000"});
        WriteFixtureProcess(procA.path(), {301, "sshd", 300, 0, 1, "4000"});
        WriteFixtureProcess(procA.path(), {400, "bash", 301, 5, 1, "3000"});
        WriteFixtureProcess(procB.path(), {77, "nc", 1, 0, 1, "100"});
        service = std::make_unique<PerfdRunner>(QStringList{"--listen", "127.0.0.61", "--proc", procA.path()});
        QVERIFY(service->Listening());
        helper = std::make_unique<PerfdRunner>(QStringList{"--listen", "127.0.0.62", "--proc", procB.path()});
        QVERIFY(helper->Listening());
    }
    void init()
    {
        errors.clear();
        fixture = new StoreFixture;
        fixture->Sql(QStringLiteral("insert into t__computers (NAME) values ('127.0.0.61'), ('127.0.0.63'), ('127.0.0.62')"));
        window = new TfrmMain;
        module = new TdmMain(*window);
        window->edTimeOut->setText(QStringLiteral("2"));
    }
    void cleanup()
    {
        delete module;
        delete window;
        delete fixture;
    }

    void lookupSelectedStoresExactlyTheTable()
    {
        Lookup(1);
        QVERIFY(errors.isEmpty());
        QCOMPARE(window->lbCurrentComp->text(), QStringLiteral("127.0.0.61"));
        QCOMPARE(Count(QStringLiteral("select count(*) from t__blocks where COMPUTER_ID = 1")), 1);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__data")), 4);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__data d, t__process p where d.PROCESS_ID = p.ID and "
                                      "p.NAME = 'bash' and d.PID = 400 and d.PARENTPID = 301 and d.MEMORY = 3072000 "
                                      "and d.PRIORITY = 6 and d.THREADS = 1")), 1);
        // Two processes of one name: one catalogue row, two data rows.
        QCOMPARE(Count(QStringLiteral("select count(*) from t__process where NAME = 'sshd' and TYPE_ID = 1")), 1);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__data d, t__process p where d.PROCESS_ID = p.ID and p.NAME = 'sshd'")), 2);
        // The first name met on an empty catalogue turns the status yellow.
        QVERIFY2(Danger().startsWith(QStringLiteral("Yellow : ")), qPrintable(Danger()));
        QCOMPARE(window->lbDangerStatus->Tag, 1);
        QCOMPARE(window->lbDangerStatus->Color(), QColor(255, 255, 0));
        QVERIFY(module->actlComputers.actLookupSelected->isEnabled());
    }

    // A PID past 16 bits and a working set past 32, from the service through
    // the reader, the store and the history's grid, arrive as they are.
    void largeValuesAreStoredAndShownWhole()
    {
        QTemporaryDir proc;
        WriteFixtureProcess(proc.path(), {70000, "sqlservr", 41000, 0, 212, "5242880"}); // 5 GiB
        PerfdRunner large({"--listen", "127.0.6.2", "--proc", proc.path()});
        QVERIFY(large.Listening());
        fixture->Sql(QStringLiteral("insert into t__computers (NAME) values ('127.0.6.2')"));
        module->adotComputers.Close();
        module->adotComputers.Open();
        Lookup(4);
        QVERIFY(errors.isEmpty());
        module->adoqFull.Close();
        module->adoqFull.Open();
        const QAbstractItemModel *grid = window->dbgFiltered->model();
        QCOMPARE(grid->rowCount(), 1);
        QStringList shown;
        for (const QString title : {"Process ID", "Parent PID", "Memory", "Threads"})
            for (int c = 0; c < grid->columnCount(); ++c)
                if (grid->headerData(c, Qt::Horizontal).toString() == title)
                    shown << grid->index(0, c).data().toString();
        QCOMPARE(shown, QStringList({"70000", "41000", "5368709120", "212"}));
    }

    void silentComputerAddsNothing()
    {
        Lookup(2);
        QVERIFY(errors.isEmpty());
        QCOMPARE(window->lbCurrentComp->text(), QStringLiteral("127.0.0.63"));
        QCOMPARE(Count(QStringLiteral("select count(*) from t__blocks")), 0);
        QCOMPARE(Danger(), QStringLiteral("Green"));
    }

    // The probe's time-out, and whether the computer is read: milliseconds
    // that do not fit an int count as text that is no number (10 s); a
    // negative that fits fails the probe at once; 0 is no limit.
    void answerTimeOutText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("probeMs");
        QTest::addColumn<int>("blocks");
        QTest::newRow("far too large") << "9999999999" << 10000 << 1;
        QTest::newRow("wraps to a negative") << "2147484" << 10000 << 1;
        QTest::newRow("far too small") << "-3000000" << 10000 << 1;
        QTest::newRow("largest that fits") << "2147483" << 2147483000 << 1;
        QTest::newRow("negative that fits") << "-5" << -5000 << 0;
        QTest::newRow("no limit") << "0" << 0 << 1;
        QTest::newRow("not a number") << "ten" << 10000 << 1;
    }
    void answerTimeOutText()
    {
        QFETCH(QString, text);
        QFETCH(int, probeMs);
        QFETCH(int, blocks);
        window->edTimeOut->setText(text);
        Lookup(1);
        QCOMPARE(module->psTestConnect.TimeOut, probeMs);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__blocks")), blocks);
        QVERIFY(errors.isEmpty());
    }

    void passCollectsEveryAnsweringComputer()
    {
        window->edTimer->setText(QStringLiteral("60"));
        module->actlComputers.actStartMonitor->trigger();
        QMetaObject::invokeMethod(&module->tiMonitor, "timeout", Qt::DirectConnection);
        QVERIFY(errors.isEmpty());
        QCOMPARE(Count(QStringLiteral("select count(*) from t__blocks where COMPUTER_ID = 1")), 1);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__blocks where COMPUTER_ID = 2")), 0);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__blocks where COMPUTER_ID = 3")), 1);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__data d, t__blocks b where d.BLOCK_ID = b.ID and b.COMPUTER_ID = 3")), 1);
        QCOMPARE(window->lbCurrentComp->text(), QStringLiteral("127.0.0.62"));
        QVERIFY(module->tiMonitor.isActive()); // armed again for the next pass
    }

    void dangerRisesOnlyAndResets()
    {
        Lookup(1); // enters the names
        module->actlComputers.actResetStatus->trigger();
        QCOMPARE(Danger(), QStringLiteral("Green"));
        for (const char *name : {"init", "sshd", "bash"})
            SetType(name, 2 + (name[0] == 'b'));
        Lookup(1); // types 2 and 3 only
        QCOMPARE(Danger(), QStringLiteral("Green"));
        SetType("bash", 1);
        Lookup(1);
        QCOMPARE(Danger(), QStringLiteral("Yellow : bash"));
        Lookup(3); // "nc" is new: level 1 stays, with the first name
        QCOMPARE(Danger(), QStringLiteral("Yellow : bash"));
        SetType("nc", 4);
        Lookup(3);
        QCOMPARE(Danger(), QStringLiteral("R E D : nc"));
        QCOMPARE(window->lbDangerStatus->Color(), QColor(255, 0, 0));
        SetType("bash", 4);
        Lookup(1); // level 2: nothing changes
        QCOMPARE(Danger(), QStringLiteral("R E D : nc"));
        QCOMPARE(window->lbDangerStatus->Tag, 2);
        module->actlComputers.actResetStatus->trigger();
        QCOMPARE(window->lbDangerStatus->Tag, 0);
        QCOMPARE(window->lbDangerStatus->Color(), QColor(0, 255, 0));
    }

    void failureInsideABlockLeavesNoPartOfItAndHalts()
    {
        fixture->Sql(QStringLiteral("create trigger full before insert on t__data when new.PID = 301 "
                                    "begin select raise(abort, 'database or disk is full'); end"));
        window->edTimer->setText(QStringLiteral("60"));
        module->actlComputers.actStartMonitor->trigger();
        QMetaObject::invokeMethod(&module->tiMonitor, "timeout", Qt::DirectConnection);
        QCOMPARE(errors, QStringList({"database or disk is full."}));
        QCOMPARE(Count(QStringLiteral("select count(*) from t__blocks")), 0);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__data")), 0);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__process")), 0);
        QCOMPARE(module->adotBlocks.RecordCount(), 0); // the data sets hold what the file holds
        QCOMPARE(module->adotProcess.RecordCount(), 0);
        QCOMPARE(Danger(), QStringLiteral("Green")); // the unknown names went with the block
        QVERIFY(!module->tiMonitor.isActive()); // halted
        QCOMPARE(window->StatusText(), QStringLiteral("Monitor started"));
        QVERIFY(module->actlComputers.actStopMonitor->isEnabled());
        fixture->Sql(QStringLiteral("drop trigger full"));
        module->actlComputers.actStopMonitor->trigger();
        module->actlComputers.actStartMonitor->trigger();
        QVERIFY(module->tiMonitor.isActive());
        QMetaObject::invokeMethod(&module->tiMonitor, "timeout", Qt::DirectConnection);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__blocks")), 2);
    }

    void failureWhileUndoingABlockIsToldAfterTheOneThatCausedIt()
    {
        // Inserting into the catalogue fails, and so does reading it again
        // once the block is undone (the catalogue is read while the block
        // is being written, so it must stay readable then).
        fixture->Sql(QStringLiteral("alter table t__process rename to t__process_old;"
                                    "create view t__process as select * from t__process_old union all "
                                    "select null, null, null where abs(case when (select count(*) from "
                                    "t__blocks) = 0 then -9223372036854775808 else 1 end) < 0"));
        Lookup(1);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].startsWith(QStringLiteral("cannot modify t__process because it is a view\n")),
                 qPrintable(errors[0]));
        QVERIFY2(errors[0].contains(QStringLiteral("integer overflow")), qPrintable(errors[0]));
        QCOMPARE(Count(QStringLiteral("select count(*) from t__blocks")), 0);
        QCOMPARE(Danger(), QStringLiteral("Green"));
    }

    // A pass that comes due during "Lookup selected" runs after it, even when
    // the user starts another lookup the moment the first one ends.
    void passDueDuringLookupsRunsAfterThemWithoutHalting()
    {
        const auto log = NameComputer1ForLookup("alpha.test", std::optional<quint32>(0x7F00003D), 150);
        window->edTimer->setText(QStringLiteral("60"));
        module->actlComputers.actStartMonitor->trigger();
        QAction *lookup = module->actlComputers.actLookupSelected;
        bool askedAgain = false;
        connect(lookup, &QAction::changed, this, [&] {
            if (lookup->isEnabled() && !std::exchange(askedAgain, true))
                QTimer::singleShot(0, lookup, &QAction::trigger);
        });
        QTimer::singleShot(50, this, [this] { QMetaObject::invokeMethod(&module->tiMonitor, "timeout", Qt::DirectConnection); });
        Lookup(1);
        QTRY_COMPARE_WITH_TIMEOUT(Count(QStringLiteral("select count(*) from t__blocks where COMPUTER_ID = 3")), 1, 5000);
        QVERIFY(errors.isEmpty());
        QCOMPARE(log->starts, 3); // computer 1 probed by the two lookups, then by the pass
        QVERIFY(module->tiMonitor.isActive());
    }

    void computerDeletedWhileItsProbeWaitsGetsNoBlock()
    {
        const auto log = NameComputer1ForLookup("alpha.test", std::optional<quint32>(0x7F00003D), 200);
        QTimer::singleShot(50, this, [this] {
            QVERIFY(!module->actlComputers.actLookupSelected->isEnabled()); // no second recording meanwhile
            QVERIFY(module->adotComputers.Locate(QStringLiteral("ID"), 1));
            module->adotComputers.Delete();
        });
        Lookup(1);
        QCOMPARE(log->starts, 1);
        QVERIFY(errors.isEmpty());
        QCOMPARE(Count(QStringLiteral("select count(*) from t__blocks")), 0);
    }

    // Last: quitting ends every event loop of the test as well.
    void exitDuringAProbeWaitEndsPromptly()
    {
        NameComputer1ForLookup("never.test", std::nullopt);
        window->edTimeOut->setText(QStringLiteral("30"));
        QElapsedTimer clock;
        clock.start();
        QTimer::singleShot(100, this, [this] { module->actlComputers.actExit->trigger(); });
        Lookup(1);
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(Count(QStringLiteral("select count(*) from t__blocks")), 0);
        QVERIFY(errors.isEmpty());
    }

private:
    std::unique_ptr<PerfdRunner> helper;
};

QTEST_MAIN(RecorderEndToEnd)
#include "test_recorder_end_to_end.moc"
