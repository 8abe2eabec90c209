#include "ui/main_window.h"

#include "ui/action_list.h"

#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>

TfrmMain *frmMain = nullptr;

TfrmMain::TfrmMain(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tarvenix v1.5"));
    setGeometry(195, 103, 635, 463);
    setMinimumSize(635, 407);
    // 8 points of "MS Sans Serif": characters 11 pixels high.
    QFont font(QStringLiteral("MS Sans Serif"));
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
    File1->addAction(actions.actExit);
    Computers1->addAction(actions.actAddComputer);
    Computers1->addAction(actions.actLookupSelected);
    Monitor1->addAction(actions.actStartMonitor);
    Monitor1->addAction(actions.actStopMonitor);
    Help1->addAction(actions.actAbout);
    Help1->addAction(actions.actHelp);
    pmComputers->addActions({actions.actLookupSelected, actions.actAddComputer});
    pmProcess->addActions(
        {actions.actMoveToUnknown, actions.actMoveToSystem, actions.actMoveToUser, actions.actMoveToDanger});
    BindMonitoringPage(store, actions);
    BindHistoryPage(store);
    BindProcessPage(store);
    BindAnalyzePage(store);
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
