#pragma once
// The data module (dmMain): the store's components, the commands, the
// monitoring timer and, through its handlers, everything the program does.
// The handlers are thin: each delegates to a class of its subsystem.

#include "app/account_keeper.h"
#include "app/window_views.h"
#include "collect/probe_socket.h"
#include "collect/snapshot_recorder.h"
#include "collect/windows_accounts.h"
#include "monitor/collection_health.h"
#include "monitor/monitoring_cycle.h"
#include "store/monitoring_store.h"
#include "ui/action_list.h"

#include <QObject>
#include <QTimer>
#include <memory>

class DangerTray;
class TfrmMain;
class UserPrompts;

class TdmMain : public QObject, public TMonitoringStore {
    Q_OBJECT
public:
    // Builds the components, binds the main window to them and runs the
    // create event; the main window must exist already.
    explicit TdmMain(TfrmMain &window, QObject *parent = nullptr);
    // Runs the destroy event.
    ~TdmMain() override;

    void DataModuleCreate();
    void DataModuleDestroy();
    // Writes the two settings from the window's edits, once; run when the
    // window closes, so that a failure is told while it is still shown.
    void SaveSettings();

    // Collection and monitoring
    void RecordSnapshot(int ComputerID);
    void actLookupSelectedExecute();
    void actStartMonitorExecute();
    void actStopMonitorExecute();
    void tiMonitorTimer();
    void actResetStatusExecute();
    void actExitExecute();
    // Analysis
    void cbAnalyzeChange();
    // Help
    void actAboutExecute();
    void actHelpExecute();
    // Computers
    void actAddComputerExecute();
    void actDeleteSelectedExecute();
    void llbxComputersClick();
    void dbcbxComputerListCloseUp();
    void btnDeleteCompClick();
    // Process types
    void dbcbxProcessTypeCloseUp();
    void dblbxAllProcessDblClick();
    void dblbxProcessByTypeDblClick();
    void actMoveToExecute(QAction *sender);
    // History
    void dbcbxFilterCloseUp();
    void dbgFilteredTitleClick(const QString &field);
    void dbgCurrentTitleClick(const QString &field);
    void DBGrid1TitleClick(const QString &field);

    TActionList actlComputers;
    QTimer tiMonitor;
    TProbeSocket psTestConnect;
    std::unique_ptr<UserPrompts> prompts; // the dialogs; replaced in tests
    // How each computer's collections went in this run.
    CollectionHealth health;
    // The danger status in the system tray; none without a tray (replaced in tests).
    std::unique_ptr<DangerTray> tray;
    // What readings of Windows computers log on with.
    WindowsAccounts windowsAccounts;

private:
    void WireHandlers();
    void WireTray();
    // The "Windows logon" entries and the accounts they keep, where the
    // program keeps any.
    void WireWindowsLogon();
    // The name of the computer last selected in the Monitoring page's list;
    // empty while none is.
    QString SelectedComputerName() const;
    // While a computer is deleted the window stays live, but nothing records:
    // a pass that comes due waits until the deletion ends.
    void SetDeleting(bool on);
    // A pass that came due while recording or deleting runs once that ends.
    void RunPendingPassLater();
    // Connects a signal to a handler that runs guarded and never inside itself.
    template <class Sender, class Signal, class Handler> void On(Sender *sender, Signal signal, Handler handler);

    TfrmMain &frm_;
    MainWindowViews views_;
    SnapshotRecorder recorder_;
    MonitoringCycle cycle_;
    AccountKeeper accountKeeper_;
    bool settingsRestored_ = false;
    bool settingsSaved_ = false;
    bool deleting_ = false;
    bool leaving_ = false; // the window closed: a deletion stops at its next turn
};

extern TdmMain *dmMain;
