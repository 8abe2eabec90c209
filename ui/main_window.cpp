#include "ui/main_window.h"

#include "ui/action_button.h"
#include "ui/action_item.h"
#include "ui/action_list.h"
#include "ui/chart/chart_widget.h"
#include "ui/color_label.h"
#include "ui/db_grid.h"
#include "ui/db_lookup_combo_box.h"
#include "ui/db_lookup_list_box.h"
#include "ui/db_text.h"
#include "ui/exit_line_edit.h"
#include "ui/outer_geometry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>

TfrmMain *frmMain = nullptr;

TfrmMain::TfrmMain(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tarvenix v1.5"));
    new OuterGeometry(this, QRect(195, 103, 635, 463), QSize(635, 407));
    // 8 points of "MS Sans Serif" (characters 11 pixels high) where it exists;
    // elsewhere a narrow sans of Arial's widths, which the layout is sized for.
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(11);
    setFont(font);

    pctlMain = new QTabWidget(this);
    pctlMain->setObjectName(QStringLiteral("pctlMain"));
    pctlMain->addTab(BuildMonitoringPage(), QStringLiteral("Monitoring"));
    pctlMain->addTab(BuildHistoryPage(), QStringLiteral("History"));
    pctlMain->addTab(BuildProcessPage(), QStringLiteral("Process and Computers control"));
    pctlMain->addTab(BuildAnalyzePage(), QStringLiteral("Analyze"));
    setCentralWidget(pctlMain);
    connect(pctlMain, &QTabWidget::currentChanged, this, &TfrmMain::pctlMainChange);

    sbMainPanel = new QLabel(QStringLiteral("Monitoring stoped"));
    sbMainPanel->setMinimumWidth(95);
    statusBar()->setObjectName(QStringLiteral("sbMain"));
    statusBar()->setFixedHeight(19);
    statusBar()->addWidget(sbMainPanel);

    BuildMenus();
    NameComponents();
}

void TfrmMain::BuildMenus()
{
    menuBar()->setObjectName(QStringLiteral("mmMain"));
    File1 = menuBar()->addMenu(QStringLiteral("File"));
    Computers1 = menuBar()->addMenu(QStringLiteral("Computers"));
    Monitor1 = menuBar()->addMenu(QStringLiteral("Monitor"));
    Process1 = menuBar()->addMenu(QStringLiteral("Process"));
    Help1 = menuBar()->addMenu(QStringLiteral("Help"));
    Movetoselectedtype1 = Process1->addAction(QStringLiteral("Move to selected type"));
    Cleartype1 = Process1->addAction(QStringLiteral("Clear type"));
    Process1->menuAction()->setEnabled(false);
    pmComputers = new QMenu(this);
    pmProcess = new QMenu(this);
}

void TfrmMain::Bind(TMonitoringStore &store, TActionList &actions)
{
    BindMenus(actions);
    BindMonitoringPage(store, actions);
    BindHistoryPage(store);
    BindProcessPage(store);
    BindAnalyzePage(store);
}

// Each entry is an item of its own, named as the component it stands for.
void TfrmMain::BindMenus(TActionList &a)
{
    const auto item = [this](QMenu *menu, QAction *action, const char *name) {
        auto *entry = new ActionItem(action, QLatin1String(name), menu);
        menu->addAction(entry);
        return entry;
    };
    Exit1 = item(File1, a.actExit, "Exit1");
    Add1 = item(Computers1, a.actAddComputer, "Add1");
    Lookupselected2 = item(Computers1, a.actLookupSelected, "Lookupselected2");
    miStart = item(Monitor1, a.actStartMonitor, "miStart");
    miStop = item(Monitor1, a.actStopMonitor, "miStop");
    Aboutprogramm1 = item(Help1, a.actAbout, "Aboutprogramm1");
    Helpindex1 = item(Help1, a.actHelp, "Helpindex1");
    Lookupselected1 = item(pmComputers, a.actLookupSelected, "Lookupselected1");
    Addnew1 = item(pmComputers, a.actAddComputer, "Addnew1");
    Setunknowntype1 = item(pmProcess, a.actMoveToUnknown, "Setunknowntype1");
    Setsystemtype1 = item(pmProcess, a.actMoveToSystem, "Setsystemtype1");
    Setusertype1 = item(pmProcess, a.actMoveToUser, "Setusertype1");
    Setdangertype1 = item(pmProcess, a.actMoveToDanger, "Setdangertype1");
}

// Object names are the component names, so that tests and accessibility
// tools find every control by the name the rest of the program uses.
void TfrmMain::NameComponents()
{
#define COMPONENT(c) std::pair<QObject *, const char *>(c, #c)
    const std::pair<QObject *, const char *> components[] = {
        COMPONENT(File1), COMPONENT(Computers1), COMPONENT(Monitor1), COMPONENT(Process1), COMPONENT(Help1),
        COMPONENT(Movetoselectedtype1), COMPONENT(Cleartype1), COMPONENT(pmComputers), COMPONENT(pmProcess),
        COMPONENT(tsMonitoring), COMPONENT(gbControl), COMPONENT(gbComputers), COMPONENT(gbProcess),
        COMPONENT(Label3), COMPONENT(Label4), COMPONENT(Label6), COMPONENT(Label7), COMPONENT(Label8),
        COMPONENT(Label9), COMPONENT(Label1), COMPONENT(Label2), COMPONENT(edTimer), COMPONENT(edTimeOut),
        COMPONENT(btnStart), COMPONENT(Button1), COMPONENT(btnResetStatus), COMPONENT(lbCurrentComp),
        COMPONENT(lbDangerStatus), COMPONENT(llbxComputers), COMPONENT(dbtName), COMPONENT(dbtDate),
        COMPONENT(dbgCurrent), COMPONENT(tsHistory), COMPONENT(gbFilter), COMPONENT(gbResult),
        COMPONENT(cbComputer), COMPONENT(cbFromDate), COMPONENT(cbToDate), COMPONENT(cbProcess), COMPONENT(cbPID),
        COMPONENT(cbParentPID), COMPONENT(cbMemory), COMPONENT(cbPriority), COMPONENT(cbThreads),
        COMPONENT(dbcbxComputer), COMPONENT(dbcbxProcess), COMPONENT(dtpDateFrom), COMPONENT(dtpTimeFrom),
        COMPONENT(dtpDateTo), COMPONENT(dtpTimeTo), COMPONENT(edPID), COMPONENT(edParentPID),
        COMPONENT(edMemory), COMPONENT(edPriority), COMPONENT(edThreads), COMPONENT(btnRefresh),
        COMPONENT(dbgFiltered), COMPONENT(tsProcess), COMPONENT(dbcbxProcessType), COMPONENT(dbcbxComputerList),
        COMPONENT(gbAllProcess), COMPONENT(gbSystemProcess), COMPONENT(GroupBox1), COMPONENT(dblbxAllProcess),
        COMPONENT(dblbxProcessByType), COMPONENT(Label11), COMPONENT(Label10), COMPONENT(Label12),
        COMPONENT(Label13), COMPONENT(dbtBlockCount), COMPONENT(dbtFirstBlock), COMPONENT(dbtLastBlock),
        COMPONENT(btnDeleteComp), COMPONENT(pgDelete), COMPONENT(DBGrid1), COMPONENT(tsAnalyze),
        COMPONENT(cbAllComputers), COMPONENT(cbAllData), COMPONENT(dbcbxComputers), COMPONENT(dtpAnalyze),
        COMPONENT(btnAnalizeRefresh), COMPONENT(Label5), COMPONENT(cbMainType), COMPONENT(cbAnalyze),
        COMPONENT(dbcAnalyze)};
#undef COMPONENT
    for (const auto &[component, name] : components)
        component->setObjectName(QLatin1String(name));
}

void TfrmMain::AddWindowsLogonEntries()
{
    Computers1->addSeparator();
    miWindowsLogon = Computers1->addAction(QStringLiteral("Windows logon..."));
    miWindowsLogon->setObjectName(QStringLiteral("miWindowsLogon"));
    pmComputers->addSeparator();
    miWindowsLogonSelected = pmComputers->addAction(QStringLiteral("Windows logon for selected..."));
    miWindowsLogonSelected->setObjectName(QStringLiteral("miWindowsLogonSelected"));
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    emit Closing();
    QMainWindow::closeEvent(event);
}

QString TfrmMain::StatusText() const { return sbMainPanel->text(); }

void TfrmMain::SetStatusText(const QString &text) { sbMainPanel->setText(text); }

void TfrmMain::pctlMainChange()
{
    const int page = pctlMain->currentIndex();
    if (page != 0 && page != 1 && page != 2)
        return; // "Analyze" keeps the menus of the page the user came from
    const bool monitoringPages = page != 2;
    Computers1->menuAction()->setEnabled(monitoringPages);
    Monitor1->menuAction()->setEnabled(monitoringPages);
    Process1->menuAction()->setEnabled(!monitoringPages);
}
