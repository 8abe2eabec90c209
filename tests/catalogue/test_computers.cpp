// The computer list as a user works it: adding from the menus, choosing a
// computer in the lists and the drop-down, and deleting one with all its
// snapshots.
#include "../app/app_fixture.h"
#include "../input/user_input.h"
#include "fake_prompts.h"
#include "ui/db_grid.h"
#include "ui/db_lookup_combo_box.h"
#include "ui/db_lookup_list_box.h"
#include "ui/db_text.h"

#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

using namespace UserInput;

class Computers : public QObject {
    Q_OBJECT
    AppFixture *app = nullptr;
    StoreFixture *fixture = nullptr;
    TfrmMain *window = nullptr;
    TdmMain *module = nullptr;
    FakePrompts *prompts = nullptr;

    qint64 Count(const QString &sql) const { return fixture->Scalar(sql); }
    QString CurrentComputer() const { return module->adotComputers.Value(QStringLiteral("NAME")).toString(); }
    void ClickDelete() { QTest::mouseClick(window->btnDeleteComp, Qt::LeftButton); }

private slots:
    void init()
    {
        app = new AppFixture;
        fixture = &app->store;
        fixture->Sql(QStringLiteral("insert into t__computers (NAME) values ('alpha'), ('beta'), ('gamma');"
                                    "insert into t__process (NAME, TYPE_ID) values ('init', 2);"));
        const QDateTime at(QDate(2026, 2, 2), QTime(9, 0));
        for (int b = 1; b <= 3; ++b) { // alpha: three blocks of two rows
            fixture->AddBlock(b, 1, at.addSecs(10 * b));
            fixture->AddRow(b, 1, b);
            fixture->AddRow(b, 1, 10 + b);
        }
        fixture->AddBlock(4, 2, at); // beta: one block
        fixture->AddRow(4, 1, 99);
        app->Start();
        window = app->window.get();
        module = app->module.get();
        prompts = new FakePrompts;
        module->prompts.reset(prompts);
        QVERIFY(ShowActive(window));
    }
    void cleanup() { delete app; }

    void addingFromEitherMenuPostsWhateverWasTyped()
    {
        prompts->input = QString();
        ChooseMenuEntry(window->menuBar(), window->Computers1, window->Add1);
        prompts->input = QStringLiteral("alpha"); // a duplicate
        ChooseContextEntry(window->llbxComputers->viewport(), QPoint(20, 150), window->pmComputers, window->Addnew1);
        prompts->input = QStringLiteral("workstation-accounting-2.example.org"); // longer than 15: kept whole
        ChooseMenuEntry(window->menuBar(), window->Computers1, window->Add1);
        prompts->input.reset(); // cancelled
        ChooseMenuEntry(window->menuBar(), window->Computers1, window->Add1);
        QCOMPARE(prompts->asked.size(), 4);
        QCOMPARE(prompts->asked.first(), QStringLiteral("New node|Enter IP address or computer name||255"));
        QCOMPARE(Count(QStringLiteral("select count(*) from t__computers")), 6);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__computers where NAME = ''")), 1);
        QCOMPARE(Count(QStringLiteral("select length(NAME) from t__computers where ID = 6")), 36);
        QCOMPARE(window->llbxComputers->model()->rowCount(), 6); // listed at once, after the others
        QCOMPARE(window->dbcbxComputerList->model()->index(5, 0).data().toString(),
                 QStringLiteral("workstation-accounting-2.example.org"));
    }

    void choosingInTheDropDownShowsThatComputerOnBothPages()
    {
        ClickTab(window->pctlMain, 2);
        ChooseWithMouse(window->dbcbxComputerList, 0);
        QCOMPARE(window->DBGrid1->model()->rowCount(), 2);
        QCOMPARE(window->dbgCurrent->model()->rowCount(), 2); // the same data set
        QCOMPARE(window->dbtName->text(), QStringLiteral("alpha"));
        QCOMPARE(window->dbtBlockCount->text(), QStringLiteral("3"));
        QVERIFY(window->dbtLastBlock->text().contains(QStringLiteral("9:00:30")));
        QCOMPARE(CurrentComputer(), QStringLiteral("alpha"));
        ChooseWithKeys(window->dbcbxComputerList, 1);
        QCOMPARE(window->dbtName->text(), QStringLiteral("beta"));
        QCOMPARE(window->dbtBlockCount->text(), QStringLiteral("1"));
        QCOMPARE(CurrentComputer(), QStringLiteral("beta"));
        ChooseWithMouse(window->dbcbxComputerList, 2); // gamma: nothing stored
        QCOMPARE(window->dbtBlockCount->text(), QStringLiteral("0"));
        QCOMPARE(window->dbtFirstBlock->text(), QString());
        QCOMPARE(window->DBGrid1->model()->rowCount(), 0);
        QCOMPARE(window->dbtName->text(), QString());
    }

    // Arrow keys on the closed drop-down change the choice without a
    // close-up: the page keeps the previous computer, deletion takes the new.
    void arrowKeysOnTheClosedDropDownChooseWithoutShowing()
    {
        ClickTab(window->pctlMain, 2);
        ChooseWithMouse(window->dbcbxComputerList, 0);
        window->dbcbxComputerList->setFocus(Qt::TabFocusReason);
        QTest::keyClick(window->dbcbxComputerList, Qt::Key_Down);
        Settle();
        QCOMPARE(window->dbcbxComputerList->currentText(), QStringLiteral("beta"));
        QCOMPARE(window->dbtName->text(), QStringLiteral("alpha"));
        ClickDelete();
        QCOMPARE(Count(QStringLiteral("select count(*) from t__computers where NAME = 'beta'")), 0);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__blocks where COMPUTER_ID = 1")), 3);
    }

    void clickingInTheMonitoringListShowsTheLatestSnapshot()
    {
        ClickEntry(window->llbxComputers, 1);
        QCOMPARE(window->dbgCurrent->model()->rowCount(), 1);
        QCOMPARE(window->dbtName->text(), QStringLiteral("beta"));
        QCOMPARE(CurrentComputer(), QStringLiteral("beta"));
        // A right click opens the list's menu and selects nothing.
        ChooseContextEntry(window->llbxComputers->viewport(), EntryCentre(window->llbxComputers, 0),
                           window->pmComputers, nullptr);
        QCOMPARE(window->dbtName->text(), QStringLiteral("beta"));
        QTest::keyClick(window->llbxComputers, Qt::Key_Down);
        Settle();
        QCOMPARE(window->dbgCurrent->model()->rowCount(), 0); // gamma
        QCOMPARE(CurrentComputer(), QStringLiteral("gamma"));
    }

    void deletingGoesRowByRowAndCountsDown()
    {
        ClickTab(window->pctlMain, 2);
        ChooseWithMouse(window->dbcbxComputerList, 0);
        QList<int> bar;
        connect(window->pgDelete, &QProgressBar::valueChanged, this, [&bar](int v) { bar << v; });
        ClickDelete();
        QVERIFY(app->errors.isEmpty());
        QVERIFY(prompts->asked.last().startsWith(
            QStringLiteral("Warning|WARNING !!! When you click ok, ALL data about\r\nmonitoring this computer will delete\r\n")));
        QCOMPARE(window->pgDelete->maximum(), 3);
        QCOMPARE(bar, QList<int>({2, 1, 0}));
        QCOMPARE(Count(QStringLiteral("select count(*) from t__blocks where COMPUTER_ID = 1")), 0);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__data where BLOCK_ID <= 3")), 0);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__computers where ID = 1")), 0);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__data")), 1); // beta untouched
        QCOMPARE(module->adotBlocks.RecordCount(), 1);                      // open and unfiltered again
        QVERIFY(module->adotData.Active() && !module->adotData.Filtered());
        QCOMPARE(window->llbxComputers->model()->rowCount(), 2);
        QCOMPARE(window->dbcbxComputerList->KeyValue().toInt(), 1); // keeps the deleted key
        QCOMPARE(window->DBGrid1->model()->rowCount(), 2);          // and still shows its snapshot
    }

    void deletingAComputerWithoutBlocksOrAnsweringNo()
    {
        ClickTab(window->pctlMain, 2);
        ChooseWithMouse(window->dbcbxComputerList, 2);
        prompts->answerYes = false;
        ClickDelete();
        QCOMPARE(Count(QStringLiteral("select count(*) from t__computers")), 3);
        prompts->answerYes = true;
        ClickDelete();
        QCOMPARE(window->pgDelete->minimum(), 0);
        QCOMPARE(window->pgDelete->maximum(), 0);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__computers")), 2);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__blocks")), 4);
        // 0 of 0 is an empty bar, drawn as 0 of 1 would be, not a busy one.
        const QImage zeroOfZero = window->pgDelete->grab().toImage();
        window->pgDelete->setRange(0, 1);
        QCOMPARE(zeroOfZero, window->pgDelete->grab().toImage());
    }

    void deletingWithNothingChosenTellsTheUser()
    {
        ClickTab(window->pctlMain, 2);
        ClickDelete();
        QCOMPARE(app->errors.size(), 1);
        QVERIFY(app->errors[0].contains(QStringLiteral("nothing was deleted")));
        QCOMPARE(Count(QStringLiteral("select count(*) from t__blocks")), 4);
        QVERIFY(module->adotBlocks.Active() && !module->adotBlocks.Filtered());
        QCOMPARE(module->adotBlocks.RecordCount(), 4);
    }

    void blockAddedWhileTheBoxIsOpenIsDeletedToo()
    {
        ClickTab(window->pctlMain, 2);
        ChooseWithMouse(window->dbcbxComputerList, 1);
        prompts->whileOpen = [this] {
            // What a collection pass does meanwhile: a new block, and the
            // computer table left on its last row.
            module->adotBlocks.Append();
            module->adotBlocks.SetValue(QStringLiteral("COMPUTER_ID"), 2);
            module->adotBlocks.SetValue(QStringLiteral("DATETIME"), QDateTime::currentDateTime());
            module->adotBlocks.Post();
            module->adotComputers.SetRecNo(3);
        };
        ClickDelete();
        QCOMPARE(Count(QStringLiteral("select count(*) from t__blocks where COMPUTER_ID = 2")), 0);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__computers where ID = 2")), 0);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__computers where ID in (1, 3)")), 2);
    }
};

QTEST_MAIN(Computers)
#include "test_computers.moc"
