// The history page: the user filter's statement, its bounds and its refusal
// of anything but numbers in the edits, and sorting by a column title.
#include "../app/app_fixture.h"
#include "ui/db_grid.h"
#include "ui/db_lookup_combo_box.h"
#include "ui/exit_line_edit.h"
#include "ui/history_filter.h"

#include <QCheckBox>
#include <QPushButton>
#include <QDateTimeEdit>
#include <QtTest>

class HistoryFilter : public QObject {
    Q_OBJECT
    const QDateTime at{QDate(2026, 3, 1), QTime(22, 15, 30)};
    AppFixture *app = nullptr;
    StoreFixture *fixture = nullptr;
    TfrmMain *window = nullptr;
    TdmMain *module = nullptr;

    int Rows() const { return module->adoqFull.RecordCount(); }
    QStringList Processes() const
    {
        QStringList names;
        const int f = module->adoqFull.FieldIndex(QStringLiteral("PROCESSNAME"));
        for (int p = 0; p < Rows(); ++p)
            names << module->adoqFull.ValueAt(p, f).toString();
        return names;
    }
    void SetBounds(const QDateTime &from, const QDateTime &to)
    {
        window->dtpDateFrom->setDateTime(QDateTime(from.date(), QTime(3, 3, 3))); // only its date counts
        window->dtpTimeFrom->setDateTime(QDateTime(QDate(2000, 1, 1), from.time())); // only its time counts
        window->dtpDateTo->setDateTime(to);
        window->dtpTimeTo->setDateTime(to);
    }

private slots:
    void init()
    {
        app = new AppFixture;
        fixture = &app->store;
        fixture->Sql(QStringLiteral("insert into t__computers (NAME) values ('alpha'), ('beta');"
                                    "insert into t__process (NAME, TYPE_ID) values ('zsh', 1), ('init', 2), ('bash', 1);"));
        fixture->AddBlock(1, 1, at.addSecs(-10));
        fixture->AddRow(1, 1, 100);
        fixture->AddBlock(2, 1, at);
        fixture->AddRow(2, 2, 1);
        fixture->AddRow(2, 3, 200, 4096);
        fixture->AddBlock(3, 2, at.addSecs(10));
        fixture->AddRow(3, 1, 300);
        app->Start();
        window = app->window.get();
        module = app->module.get();
    }
    void cleanup()
    {
        delete app;
        QLocale::setDefault(QLocale::c());
    }

    void noConditionListsEveryRow()
    {
        QCOMPARE(Rows(), 4);
        QTest::mouseClick(window->btnRefresh, Qt::LeftButton);
        QCOMPARE(Rows(), 4);
        QCOMPARE(module->adoqFull.SQLText(), TMonitoringStore::FullStatementLines().join(QLatin1Char(' ')));
    }

    void boundsExcludeFromAndIncludeTo_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::newRow("en_US") << QStringLiteral("en_US");
        QTest::newRow("de_DE") << QStringLiteral("de_DE");
    }
    void boundsExcludeFromAndIncludeTo()
    {
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        window->cbFromDate->setChecked(true);
        window->cbToDate->setChecked(true);
        SetBounds(at, at.addSecs(10));
        module->dbcbxFilterCloseUp();
        QCOMPARE(Processes(), QStringList({"zsh"})); // block 3 only: block 2 sits on the lower bound
        SetBounds(at.addSecs(-1), at);
        module->dbcbxFilterCloseUp();
        QCOMPARE(Rows(), 2); // block 2 sits on the upper bound
        SetBounds(at.addSecs(10), at.addSecs(-10)); // From after To
        module->dbcbxFilterCloseUp();
        QCOMPARE(Rows(), 0);
        QVERIFY(app->errors.isEmpty());
    }

    void conditionsJoinInTheirOrder()
    {
        window->cbComputer->setChecked(true);
        window->dbcbxComputer->SetKeyValue(1);
        window->cbProcess->setChecked(true);
        window->dbcbxProcess->SetKeyValue(3);
        window->cbMemory->setChecked(true);
        window->edMemory->setText(QStringLiteral(" +4096 "));
        window->cbThreads->setChecked(true); // empty: no condition
        module->dbcbxFilterCloseUp();
        QCOMPARE(Processes(), QStringList({"bash"}));
        QVERIFY(module->adoqFull.SQLText().endsWith(
            QStringLiteral("c.ID = b.COMPUTER_ID and b.COMPUTER_ID = 1 and d.PROCESS_ID = 3 and d.MEMORY = 4096")));
    }

    void computerCheckedWithNothingChosenGivesNothing()
    {
        QTest::mouseClick(window->cbComputer, Qt::LeftButton); // the click runs the filter
        QCOMPARE(Rows(), 0);
        QVERIFY(module->adoqFull.SQLText().endsWith(QStringLiteral(" and b.COMPUTER_ID = 0")));
    }

    void editTextsThatAreNotNumbersAreRefused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("or") << QStringLiteral("1 or 1=1");
        QTest::newRow("union") << QStringLiteral("0 union select 1,2,3,4,5,6,7,8");
        QTest::newRow("statement") << QStringLiteral("1; delete from t__data");
        QTest::newRow("comment") << QStringLiteral("1 --");
        QTest::newRow("letters") << QStringLiteral("abc");
        QTest::newRow("decimal") << QStringLiteral("1.5");
    }
    void editTextsThatAreNotNumbersAreRefused()
    {
        QFETCH(QString, text);
        window->cbParentPID->setChecked(true);
        window->edParentPID->setText(text);
        QTest::mouseClick(window->btnRefresh, Qt::LeftButton);
        QCOMPARE(app->errors.size(), 1);
        QVERIFY2(app->errors[0].startsWith(QStringLiteral("Parent PID: '")), qPrintable(app->errors[0]));
        QVERIFY(!module->adoqFull.Active());
        QCOMPARE(window->dbgFiltered->model()->rowCount(), 0);
        QCOMPARE(fixture->Scalar(QStringLiteral("select count(*) from t__data")), 4);
        window->edParentPID->setText(QStringLiteral("4"));
        module->dbcbxFilterCloseUp();
        QCOMPARE(Rows(), 4); // a later run succeeds
    }

    void sortingIsAscendingAndGoesWithTheNextRun()
    {
        QCOMPARE(Processes(), QStringList({"zsh", "init", "bash", "zsh"}));
        emit window->dbgFiltered->TitleClick(QStringLiteral("PROCESSNAME"));
        QCOMPARE(Processes(), QStringList({"bash", "init", "zsh", "zsh"}));
        emit window->dbgFiltered->TitleClick(QStringLiteral("PROCESSNAME"));
        QCOMPARE(Processes(), QStringList({"bash", "init", "zsh", "zsh"})); // no toggle
        window->edPID->setText(QStringLiteral("1"));
        emit window->edPID->Exit();
        QCOMPARE(Processes(), QStringList({"zsh", "init", "bash", "zsh"}));
        emit window->dbgFiltered->TitleClick(QStringLiteral("MEMORY"));
        QCOMPARE(Processes().first(), QStringLiteral("zsh"));
        QCOMPARE(Processes().last(), QStringLiteral("bash"));
    }

    void titleClickOnAClosedGridShowsTheError()
    {
        window->cbPID->setChecked(true);
        window->edPID->setText(QStringLiteral("x"));
        QTest::mouseClick(window->btnRefresh, Qt::LeftButton);
        app->errors.clear();
        emit window->dbgFiltered->TitleClick(QStringLiteral("PROCESSNAME"));
        QCOMPARE(app->errors.size(), 1);
        QVERIFY2(app->errors[0].contains(QStringLiteral("closed dataset")), qPrintable(app->errors[0]));
        QVERIFY(!module->adoqFull.Active());
    }
};

QTEST_MAIN(HistoryFilter)
#include "test_history_filter.moc"
