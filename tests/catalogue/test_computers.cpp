// The computer list: adding, showing the latest snapshot and summary, and
// deleting a computer with all its snapshots.
#include "../app/app_fixture.h"
#include "fake_prompts.h"
#include "ui/db_grid.h"
#include "ui/db_lookup_combo_box.h"
#include "ui/db_lookup_list_box.h"
#include "ui/db_text.h"

#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

class Computers : public QObject {
    Q_OBJECT
    AppFixture *app = nullptr;
    StoreFixture *fixture = nullptr;
    TfrmMain *window = nullptr;
    TdmMain *module = nullptr;
    FakePrompts *prompts = nullptr;

    qint64 Count(const QString &sql) const { return fixture->Scalar(sql); }

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
    }
    void cleanup()
    {
        delete app;
    }

    void addingPostsWhateverWasTyped()
    {
        prompts->input = QString();
        emit module->actlComputers.actAddComputer->triggered();
        prompts->input = QStringLiteral("alpha"); // a duplicate
        emit module->actlComputers.actAddComputer->triggered();
        prompts->input = QStringLiteral("workstation-accounting-2.example.org"); // longer than 15: kept whole
        emit module->actlComputers.actAddComputer->triggered();
        prompts->input.reset(); // cancelled
        emit module->actlComputers.actAddComputer->triggered();
        QCOMPARE(prompts->asked.first(), QStringLiteral("New node|Enter IP address or computer name||255"));
        QCOMPARE(Count(QStringLiteral("select count(*) from t__computers")), 6);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__computers where NAME = ''")), 1);
        QCOMPARE(Count(QStringLiteral("select length(NAME) from t__computers where ID = 6")), 36);
        QCOMPARE(window->llbxComputers->model()->rowCount(), 6); // listed at once, after the others
        QCOMPARE(window->llbxComputers->model()->index(5, 0).data().toString(),
                 QStringLiteral("workstation-accounting-2.example.org"));
    }

    void choosingAComputerShowsItOnBothPages()
    {
        window->dbcbxComputerList->SetKeyValue(1);
        emit window->dbcbxComputerList->CloseUp();
        QCOMPARE(window->DBGrid1->model()->rowCount(), 2);
        QCOMPARE(window->dbgCurrent->model()->rowCount(), 2); // the same data set
        QCOMPARE(window->dbtName->text(), QStringLiteral("alpha"));
        QCOMPARE(window->dbtBlockCount->text(), QStringLiteral("3"));
        QVERIFY(window->dbtLastBlock->text().contains(QStringLiteral("9:00:30")) ||
                window->dbtLastBlock->text().contains(QStringLiteral("09:00:30")));
        window->llbxComputers->SelectRow(2); // gamma: no snapshot
        emit window->llbxComputers->Click();
        QCOMPARE(window->dbgCurrent->model()->rowCount(), 0);
        QCOMPARE(window->dbtName->text(), QString());
        QCOMPARE(module->adotComputers.Value(QStringLiteral("NAME")).toString(), QStringLiteral("gamma"));
    }

    void deletingGoesRowByRowAndCountsDown()
    {
        QList<int> bar;
        connect(window->pgDelete, &QProgressBar::valueChanged, this, [&bar](int v) { bar << v; });
        window->dbcbxComputerList->SetKeyValue(1);
        QTest::mouseClick(window->btnDeleteComp, Qt::LeftButton);
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
    }

    void deletingAComputerWithoutBlocksOrAnsweringNo()
    {
        window->dbcbxComputerList->SetKeyValue(3);
        prompts->answerYes = false;
        QTest::mouseClick(window->btnDeleteComp, Qt::LeftButton);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__computers")), 3);
        prompts->answerYes = true;
        QTest::mouseClick(window->btnDeleteComp, Qt::LeftButton);
        QCOMPARE(window->pgDelete->maximum(), 0);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__computers")), 2);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__blocks")), 4);
    }

    void deletingWithNothingChosenTellsTheUser()
    {
        QTest::mouseClick(window->btnDeleteComp, Qt::LeftButton);
        QCOMPARE(app->errors.size(), 1);
        QVERIFY(app->errors[0].contains(QStringLiteral("nothing was deleted")));
        QCOMPARE(Count(QStringLiteral("select count(*) from t__blocks")), 4);
        QVERIFY(module->adotBlocks.Active() && !module->adotBlocks.Filtered());
        QCOMPARE(module->adotBlocks.RecordCount(), 4);
    }

    void blockAddedWhileTheBoxIsOpenIsDeletedToo()
    {
        window->dbcbxComputerList->SetKeyValue(2);
        prompts->whileOpen = [this] {
            // What a collection pass does meanwhile: a new block, and the
            // computer table left on its last row.
            module->adotBlocks.Append();
            module->adotBlocks.SetValue(QStringLiteral("COMPUTER_ID"), 2);
            module->adotBlocks.SetValue(QStringLiteral("DATETIME"), QDateTime::currentDateTime());
            module->adotBlocks.Post();
            module->adotComputers.SetRecNo(3);
        };
        QTest::mouseClick(window->btnDeleteComp, Qt::LeftButton);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__blocks where COMPUTER_ID = 2")), 0);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__computers where ID = 2")), 0);
        QCOMPARE(Count(QStringLiteral("select count(*) from t__computers where ID in (1, 3)")), 2);
    }
};

QTEST_MAIN(Computers)
#include "test_computers.moc"
