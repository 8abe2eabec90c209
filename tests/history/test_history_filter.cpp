// The history page as a user works it: check boxes, drop-downs, pickers and
// edits of the user filter, the filter's bounds and its refusal of anything
// but numbers in the edits, and sorting by a click on a column title.
#include "../app/app_fixture.h"
#include "../input/user_input.h"
#include "ui/db_grid.h"
#include "ui/db_lookup_combo_box.h"
#include "ui/exit_line_edit.h"
#include "store/row_cache.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

using namespace UserInput;

class HistoryFilter : public QObject {
    Q_OBJECT
    const QDateTime at{QDate(2026, 3, 1), QTime(22, 15, 30)};
    AppFixture *app = nullptr;
    StoreFixture *fixture = nullptr;
    TfrmMain *window = nullptr;
    TdmMain *module = nullptr;
    int runs = 0; // times the history query was opened

    int Rows() const { return module->adoqFull.RecordCount(); }
    QString Statement() const { return module->adoqFull.SQLText(); }
    QStringList Processes() const
    {
        QStringList names;
        const int f = module->adoqFull.FieldIndex(QStringLiteral("PROCESSNAME"));
        for (int p = 0; p < Rows(); ++p)
            names << module->adoqFull.ValueAt(p, f).toString();
        return names;
    }
    void Click(QWidget *control)
    {
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(control->width() - 6, control->height() / 2));
        Settle();
    }
    void SetBounds(const QDateTime &from, const QDateTime &to)
    {
        window->dtpDateFrom->setDateTime(QDateTime(from.date(), QTime(3, 3, 3))); // only its date counts
        window->dtpTimeFrom->setDateTime(QDateTime(QDate(2000, 1, 1), from.time())); // only its time counts
        window->dtpDateTo->setDateTime(to);
        window->dtpTimeTo->setDateTime(to);
    }
    void ClickTitle(DbGrid *grid, const QString &title)
    {
        QHeaderView *header = grid->horizontalHeader();
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            if (grid->model()->headerData(c, Qt::Horizontal).toString() == title) {
                grid->scrollTo(grid->model()->index(0, c));
                const QPoint at(header->sectionViewportPosition(c) + header->sectionSize(c) / 2, header->height() / 2);
                QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
                Settle();
                return;
            }
        QFAIL(qPrintable(QStringLiteral("no column titled ") + title));
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
        runs = 0;
        connect(&module->adoqFull, &DataSet::StateChanged, this, [this] {
            runs += module->adoqFull.GetState() == DataSet::State::Browse;
        });
        QVERIFY(ShowActive(window));
        ClickTab(window->pctlMain, 1);
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
        QCOMPARE(runs, 1);
        QCOMPARE(Rows(), 4);
        QCOMPARE(Statement(), TMonitoringStore::FullStatementLines().join(QLatin1Char(' ')));
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
        Click(window->cbFromDate);
        Click(window->cbToDate);
        SetBounds(at, at.addSecs(10));
        QCOMPARE(Processes(), QStringList({"zsh"})); // block 3 only: block 2 sits on the lower bound
        SetBounds(at.addSecs(-1), at);
        QCOMPARE(Rows(), 2); // block 2 sits on the upper bound
        SetBounds(at.addSecs(10), at.addSecs(-10)); // From after To
        QCOMPARE(Rows(), 0);
        QVERIFY(app->errors.isEmpty());
    }

    void pickerChangedWithTheKeyboardRunsTheFilter()
    {
        Click(window->cbToDate);
        SetBounds(at.addSecs(-1), at.addSecs(-1));
        QCOMPARE(Rows(), 1);
        const int before = runs;
        QTest::mouseClick(window->dtpTimeTo, Qt::LeftButton, {}, QPoint(6, window->dtpTimeTo->height() / 2));
        QTest::keyClick(window->dtpTimeTo, Qt::Key_Up); // one hour later
        Settle();
        QCOMPARE(runs, before + 1);
        QCOMPARE(Rows(), 4);
    }

    void conditionsJoinInTheirOrder()
    {
        Click(window->cbComputer);
        ChooseWithMouse(window->dbcbxComputer, 0);
        Click(window->cbProcess);
        ChooseWithKeys(window->dbcbxProcess, 2);
        Click(window->cbMemory);
        TypeAndTabAway(window->edMemory, QStringLiteral(" +4096 "));
        Click(window->cbThreads); // empty: no condition
        QCOMPARE(Processes(), QStringList({"bash"}));
        QVERIFY(Statement().endsWith(
            QStringLiteral("c.ID = b.COMPUTER_ID and b.COMPUTER_ID = 1 and d.PROCESS_ID = 3 and d.MEMORY = 4096")));
    }

    void computerCheckedWithNothingChosenGivesNothing()
    {
        Click(window->cbComputer); // the click runs the filter
        QCOMPARE(runs, 1);
        QCOMPARE(Rows(), 0);
        QVERIFY(Statement().endsWith(QStringLiteral(" and b.COMPUTER_ID = 0")));
    }

    // Only leaving the edit for another control of the window runs the
    // filter: typing, the edit's own menu, the menu bar, another window
    // taking the focus do not.
    void editRunsTheFilterOnlyWhenLeftForAnotherControl()
    {
        Click(window->cbPID);
        TypeAndTabAway(window->edPID, QStringLiteral("1"));
        QCOMPARE(Processes(), QStringList({"init"}));
        const int before = runs;
        QTest::mouseClick(window->edPID, Qt::LeftButton);
        QTest::keyClick(window->edPID, Qt::Key_Backspace);
        QTest::keyClicks(window->edPID, QStringLiteral("300"));
        RightClick(window->edPID, QPoint(5, 5));
        QTRY_VERIFY(QApplication::activePopupWidget());
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!QApplication::activePopupWidget());
        ChooseMenuEntry(window->menuBar(), window->Help1, window->Aboutprogramm1); // opens a window of its own
        QTRY_VERIFY(QApplication::activeWindow() != window);
        QWidget other;
        QVERIFY(ShowActive(&other));
        QCOMPARE(runs, before);
        QVERIFY(ShowActive(window));
        QCOMPARE(QApplication::focusWidget(), window->edPID);
        QCOMPARE(runs, before);
        QTest::mouseClick(window->dbgFiltered->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
        Settle();
        QCOMPARE(runs, before + 1);
        QCOMPARE(Processes(), QStringList({"zsh"}));
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
        Click(window->cbParentPID);
        TypeAndTabAway(window->edParentPID, text);
        QCOMPARE(app->errors.size(), 1);
        QVERIFY2(app->errors[0].startsWith(QStringLiteral("Parent PID: '")), qPrintable(app->errors[0]));
        QVERIFY(!module->adoqFull.Active());
        QCOMPARE(window->dbgFiltered->model()->rowCount(), 0);
        QCOMPARE(fixture->Scalar(QStringLiteral("select count(*) from t__data")), 4);
        TypeAndTabAway(window->edParentPID, QStringLiteral("4"));
        QCOMPARE(Rows(), 4); // a later run succeeds
    }

    void sortingIsAscendingAndGoesWithTheNextRun()
    {
        QCOMPARE(Processes(), QStringList({"zsh", "init", "bash", "zsh"}));
        ClickTitle(window->dbgFiltered, QStringLiteral("Process"));
        QCOMPARE(Processes(), QStringList({"bash", "init", "zsh", "zsh"}));
        ClickTitle(window->dbgFiltered, QStringLiteral("Process"));
        QCOMPARE(Processes(), QStringList({"bash", "init", "zsh", "zsh"})); // no toggle
        TypeAndTabAway(window->edPID, QStringLiteral("1"));
        QCOMPARE(Processes(), QStringList({"zsh", "init", "bash", "zsh"}));
        ClickTitle(window->dbgFiltered, QStringLiteral("Memory"));
        QCOMPARE(Processes().first(), QStringLiteral("zsh"));
        QCOMPARE(Processes().last(), QStringLiteral("bash"));
    }

    // Rows written after a run stay out until the next; the grid reads the
    // new result a window at a time as the user goes down it.
    void gridReadsRowsAsTheUserGoesDownAndShowsLaterRowsAfterTheNextRun()
    {
        fixture->AddBlock(4, 2, at.addSecs(20));
        fixture->Sql(QStringLiteral("with recursive n(i) as (select 0 union all select i + 1 from n where i < 699) "
                                    "insert into t__data (BLOCK_ID, PROCESS_ID, PID, PARENTPID, MEMORY, PRIORITY, "
                                    "THREADS) select 4, 2, i, 1, 1000, 8, 2 from n"));
        QCOMPARE(Rows(), 4);
        QTest::mouseClick(window->btnRefresh, Qt::LeftButton);
        DbGrid *grid = window->dbgFiltered;
        QAbstractItemModel *model = grid->model();
        QCOMPARE(model->rowCount(), RowCache::kWindowRows);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
        for (int press = 0; press < 4; ++press) {
            QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
            Settle();
        }
        QCOMPARE(model->rowCount(), 704);
        QVERIFY(!module->adoqFull.CanFetchMore());
        QCOMPARE(grid->currentIndex().row(), 703);
        QCOMPARE(model->data(model->index(703, 3)).toString(), QStringLiteral("699"));
        QCOMPARE(module->adoqFull.RecNo(), 704);
    }

    void titleClickOnAClosedGridShowsTheError()
    {
        Click(window->cbPID);
        TypeAndTabAway(window->edPID, QStringLiteral("x"));
        app->errors.clear();
        ClickTitle(window->dbgFiltered, QStringLiteral("Process"));
        QCOMPARE(app->errors.size(), 1);
        QVERIFY2(app->errors[0].contains(QStringLiteral("closed dataset")), qPrintable(app->errors[0]));
        QVERIFY(!module->adoqFull.Active());
    }
};

QTEST_MAIN(HistoryFilter)
#include "test_history_filter.moc"
