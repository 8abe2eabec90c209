#pragma once
// The data module (dmMain): the store's components, the commands, the
// monitoring timer and, through its handlers, everything the program does.
// The handlers are thin: each delegates to a class of its subsystem.

#include "store/monitoring_store.h"
#include "ui/action_list.h"

#include <QObject>
#include <QTimer>

class TfrmMain;

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

    TActionList actlComputers;
    QTimer tiMonitor;


private:
    TfrmMain &frm_;
    bool settingsRestored_ = false;
};

extern TdmMain *dmMain;
