// The main window under the user's hands: pages chosen on the tab bar switch
// the menus, menu entries follow their commands, every component answers to
// its name, and nothing runs but what the user asked for.
#include "../input/user_input.h"
#include "app_fixture.h"
#include "ui/about_window.h"
#include "ui/action_button.h"
#include "ui/db_lookup_combo_box.h"

#include <QMenuBar>
#include <QtTest>

using namespace UserInput;

class Window : public QObject {
    Q_OBJECT
    AppFixture *app = nullptr;
    TfrmMain *window = nullptr;
    TdmMain *module = nullptr;

    QList<bool> MenusEnabled() const
    {
        return {window->Computers1->menuAction()->isEnabled(), window->Monitor1->menuAction()->isEnabled(),
                window->Process1->menuAction()->isEnabled()};
    }

private slots:
    void init()
    {
        app = new AppFixture;
        app->store.Sql(QStringLiteral("insert into t__computers (NAME) values ('alpha'), ('beta');"
                                      "insert into t__process (NAME, TYPE_ID) values ('init', 2);"));
        app->store.AddBlock(1, 1, QDateTime::currentDateTime());
        app->store.AddRow(1, 1, 1);
        app->Start();
        window = app->window.get();
        module = app->module.get();
        frmAbout = new TfrmAbout;
        QVERIFY(ShowActive(window));
    }
    void cleanup()
    {
        delete frmAbout;
        frmAbout = nullptr;
        delete app;
    }

    void pagesChosenOnTheTabBarSwitchTheMenus()
    {
        QCOMPARE(MenusEnabled(), QList<bool>({true, true, false}));
        ClickTab(window->pctlMain, 2);
        QCOMPARE(MenusEnabled(), QList<bool>({false, false, true}));
        ClickTab(window->pctlMain, 3); // "Analyze" keeps the menus of the page before
        QCOMPARE(MenusEnabled(), QList<bool>({false, false, true}));
        ClickTab(window->pctlMain, 1);
        QCOMPARE(MenusEnabled(), QList<bool>({true, true, false}));
        ClickTab(window->pctlMain, 3);
        QCOMPARE(MenusEnabled(), QList<bool>({true, true, false}));
        QCOMPARE(window->pctlMain->currentWidget(), window->tsAnalyze);
    }

    void menuEntriesAndButtonsFollowTheirCommands()
    {
        QCOMPARE(window->StatusText(), QStringLiteral("Monitoring stoped"));
        QVERIFY(window->miStart->isEnabled() && !window->miStop->isEnabled() && !window->Button1->isEnabled());
        window->edTimer->setText(QStringLiteral("60"));
        ChooseMenuEntry(window->menuBar(), window->Monitor1, window->miStart);
        QCOMPARE(window->StatusText(), QStringLiteral("Monitor started"));
        QVERIFY(!window->miStart->isEnabled() && window->miStop->isEnabled() && !window->btnStart->isEnabled());
        QVERIFY(module->tiMonitor.isActive());
        QTest::mouseClick(window->Button1, Qt::LeftButton);
        QCOMPARE(window->StatusText(), QStringLiteral("Monitor stoped"));
        QVERIFY(window->miStart->isEnabled() && !window->miStop->isEnabled());
        QCOMPARE(window->Helpindex1->shortcut(), QKeySequence(Qt::Key_F1));
        QCOMPARE(window->Movetoselectedtype1->text(), QStringLiteral("Move to selected type"));
        QCOMPARE(window->Setdangertype1->text(), QStringLiteral("Set danger type"));
        ChooseMenuEntry(window->menuBar(), window->Help1, window->Aboutprogramm1);
        QTRY_VERIFY(frmAbout->isVisible());
    }

    void everyComponentAnswersToItsName()
    {
        const QStringList windowNames = {
            "pctlMain", "sbMain", "mmMain", "File1", "Exit1", "Computers1", "Add1", "Lookupselected2", "Monitor1",
            "miStart", "miStop", "Process1", "Movetoselectedtype1", "Cleartype1", "Help1", "Aboutprogramm1",
            "Helpindex1", "pmComputers", "Lookupselected1", "Addnew1", "pmProcess", "Setunknowntype1",
            "Setsystemtype1", "Setusertype1", "Setdangertype1", "tsMonitoring", "gbControl", "Label3", "edTimer",
            "Label4", "Label6", "edTimeOut", "Label7", "btnStart", "Button1", "Label8", "lbCurrentComp", "Label9",
            "lbDangerStatus", "btnResetStatus", "gbComputers", "llbxComputers", "gbProcess", "Label1", "dbtName",
            "Label2", "dbtDate", "dbgCurrent", "tsHistory", "gbFilter", "cbComputer", "dbcbxComputer", "cbFromDate",
            "dtpDateFrom", "dtpTimeFrom", "cbToDate", "dtpDateTo", "dtpTimeTo", "cbProcess", "dbcbxProcess", "cbPID",
            "edPID", "cbParentPID", "edParentPID", "cbMemory", "edMemory", "cbPriority", "edPriority", "cbThreads",
            "edThreads", "btnRefresh", "gbResult", "dbgFiltered", "tsProcess", "dbcbxProcessType", "gbAllProcess",
            "dblbxAllProcess", "gbSystemProcess", "dblbxProcessByType", "GroupBox1", "Label11", "dbcbxComputerList",
            "Label10", "dbtBlockCount", "Label12", "dbtFirstBlock", "Label13", "dbtLastBlock", "btnDeleteComp",
            "pgDelete", "DBGrid1", "tsAnalyze", "cbAllComputers", "dbcbxComputers", "cbAllData", "dtpAnalyze",
            "btnAnalizeRefresh", "Label5", "cbMainType", "cbAnalyze", "dbcAnalyze"};
        for (const QString &name : windowNames)
            QVERIFY2(window->findChildren<QObject *>(name).size() == 1, qPrintable(name));
        const QStringList moduleNames = {
            "adocMain", "adotComputers", "adotBlocks", "adotProcess", "adotData", "adoqProcess", "adoqProcessTypes",
            "adoqProcessByType", "adoqLast", "adoqFull", "adoqCompRule", "adoqDataAdd", "adoqStatByMemory",
            "adoqStatByCount", "adoqAnalyseByMemory", "adoqAnalyseByCount", "adoqAnalyzeTimeline", "dsComputers",
            "dsBlocks", "dsProcess", "dsTemp", "dsProcessTypes", "dsProcessByType", "dsLast", "dsFull", "dsCompRule",
            "actlComputers", "actLookupSelected", "actDeleteSelected", "actAddComputer", "actStartMonitor",
            "actStopMonitor", "actResetStatus", "actExit", "actMoveToUnknown", "actMoveToSystem", "actMoveToUser",
            "actMoveToDanger", "actAbout", "actHelp", "tiMonitor", "psTestConnect"};
        for (const QString &name : moduleNames)
            QVERIFY2(module->findChildren<QObject *>(name).size() == 1, qPrintable(name));
        QCOMPARE(module->objectName(), QStringLiteral("dmMain"));
        QCOMPARE(window->objectName(), QStringLiteral("frmMain"));
        QCOMPARE(frmAbout->objectName(), QStringLiteral("frmAbout"));
        QVERIFY(frmAbout->findChild<QObject *>(QStringLiteral("Label1")));
        QVERIFY(frmAbout->findChild<QObject *>(QStringLiteral("btnOk")));
    }

    // With a choice made in every drop-down, going through the pages,
    // minimising and closing the window open no data set and show no error.
    void switchingPagesMinimisingAndClosingRunNothing()
    {
        ClickTab(window->pctlMain, 1);
        ChooseWithMouse(window->dbcbxComputer, 0);
        ChooseWithMouse(window->dbcbxProcess, 0);
        ClickTab(window->pctlMain, 2);
        ChooseWithMouse(window->dbcbxProcessType, 1);
        ChooseWithMouse(window->dbcbxComputerList, 0);
        ClickTab(window->pctlMain, 3);
        ChooseWithMouse(window->dbcbxComputers, 1);
        int opened = 0;
        for (DataSet *dataSet : module->findChildren<DataSet *>())
            connect(dataSet, &DataSet::StateChanged, this, [&opened, dataSet] { opened += dataSet->Active(); });
        for (int page : {0, 1, 2, 3, 2, 1, 0})
            ClickTab(window->pctlMain, page);
        window->showMinimized();
        QTRY_VERIFY(window->isMinimized());
        window->showNormal();
        Settle();
        ClickTab(window->pctlMain, 2);
        window->close();
        Settle();
        QCOMPARE(opened, 0);
        QVERIFY(app->errors.isEmpty());
    }
};

QTEST_MAIN(Window)
#include "test_window.moc"
