#pragma once
// The main window: four pages, the menus and the status bar. It holds the
// controls and their bindings to the data module's data sources and actions;
// its only rule of its own is which menus each page enables.

#include <QMainWindow>

class ActionButton;
class ChartWidget;
class ColorLabel;
class DbGrid;
class DbLookupComboBox;
class DbLookupListBox;
class DbText;
class ExitLineEdit;
class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class TActionList;
class TMonitoringStore;

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget *parent = nullptr);

    // Takes effect once the data module exists.
    void Bind(TMonitoringStore &store, TActionList &actions);

    QString StatusText() const;
    void SetStatusText(const QString &text);

    void pctlMainChange();

    // The entries of the "Windows logon" dialog, where the program keeps
    // Windows accounts of its own.
    void AddWindowsLogonEntries();

signals:
    // The window is about to close, while it is still shown.
    void Closing();

protected:
    void closeEvent(QCloseEvent *event) override;

public:

    QTabWidget *pctlMain;
    QLabel *sbMainPanel;

    QMenu *File1, *Computers1, *Monitor1, *Process1, *Help1;
    QAction *Exit1, *Add1, *Lookupselected2, *miStart, *miStop, *Movetoselectedtype1, *Cleartype1, *Aboutprogramm1,
        *Helpindex1;
    QMenu *pmComputers, *pmProcess;
    QAction *Lookupselected1, *Addnew1, *Setunknowntype1, *Setsystemtype1, *Setusertype1, *Setdangertype1;
    QAction *miWindowsLogon = nullptr, *miWindowsLogonSelected = nullptr;

    // Monitoring
    QWidget *tsMonitoring;
    QGroupBox *gbControl, *gbComputers, *gbProcess;
    QLabel *Label3, *Label4, *Label6, *Label7, *Label8, *Label9, *Label1, *Label2;
    QLineEdit *edTimer, *edTimeOut;
    ActionButton *btnStart, *Button1, *btnResetStatus;
    QLabel *lbCurrentComp;
    ColorLabel *lbDangerStatus;
    DbLookupListBox *llbxComputers;
    DbText *dbtName, *dbtDate;
    DbGrid *dbgCurrent;

    // History
    QWidget *tsHistory;
    QGroupBox *gbFilter, *gbResult;
    QCheckBox *cbComputer, *cbFromDate, *cbToDate, *cbProcess, *cbPID, *cbParentPID, *cbMemory, *cbPriority,
        *cbThreads;
    DbLookupComboBox *dbcbxComputer, *dbcbxProcess;
    QDateTimeEdit *dtpDateFrom, *dtpTimeFrom, *dtpDateTo, *dtpTimeTo;
    ExitLineEdit *edPID, *edParentPID, *edMemory, *edPriority, *edThreads;
    QPushButton *btnRefresh;
    DbGrid *dbgFiltered;

    // Process and Computers control
    QWidget *tsProcess;
    DbLookupComboBox *dbcbxProcessType, *dbcbxComputerList;
    QGroupBox *gbAllProcess, *gbSystemProcess, *GroupBox1;
    DbLookupListBox *dblbxAllProcess, *dblbxProcessByType;
    QLabel *Label11, *Label10, *Label12, *Label13;
    DbText *dbtBlockCount, *dbtFirstBlock, *dbtLastBlock;
    QPushButton *btnDeleteComp;
    QProgressBar *pgDelete;
    DbGrid *DBGrid1;

    // Analyze
    QWidget *tsAnalyze;
    QCheckBox *cbAllComputers, *cbAllData;
    DbLookupComboBox *dbcbxComputers;
    QDateTimeEdit *dtpAnalyze;
    QPushButton *btnAnalizeRefresh;
    QLabel *Label5;
    QComboBox *cbMainType, *cbAnalyze;
    ChartWidget *dbcAnalyze;

private:
    void BuildMenus();
    void BindMenus(TActionList &actions);
    void NameComponents();
    QWidget *BuildMonitoringPage();
    QWidget *BuildHistoryPage();
    QWidget *BuildProcessPage();
    QWidget *BuildAnalyzePage();
    void BindMonitoringPage(TMonitoringStore &store, TActionList &actions);
    void BindHistoryPage(TMonitoringStore &store);
    void BindProcessPage(TMonitoringStore &store);
    void BindAnalyzePage(TMonitoringStore &store);
};

extern TfrmMain *frmMain;
