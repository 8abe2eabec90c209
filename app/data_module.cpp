#include "app/data_module.h"

#include "app/settings.h"
#include "collect/credentials_file.h"
#include "collect/process_table_reader.h"
#include "core/handler_guard.h"
#include "ui/color_label.h"
#include "ui/computer_health_delegate.h"
#include "ui/danger_tray.h"
#include "ui/db_lookup_list_box.h"
#include "ui/main_window.h"
#include "ui/user_prompts.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>

TdmMain *dmMain = nullptr;

TdmMain::TdmMain(TfrmMain &window, QObject *parent)
    : QObject(parent), TMonitoringStore(this), actlComputers(this), prompts(std::make_unique<DialogPrompts>(&window)), frm_(window),
      views_(window, actlComputers), recorder_(*this, psTestConnect, ReadProcessTable, views_),
      cycle_(tiMonitor, adotComputers, [this](int id) { RecordSnapshot(id); }, [this] { return recorder_.Recording() || deleting_; },
             views_),
      accountKeeper_(windowsAccounts, credentials_file::UserFilePath())
{
    setObjectName(QStringLiteral("dmMain"));
    // Members, and children too, so that the module's components are found by name.
    tiMonitor.setParent(this);
    tiMonitor.setObjectName(QStringLiteral("tiMonitor"));
    psTestConnect.setParent(this);
    psTestConnect.setObjectName(QStringLiteral("psTestConnect"));
    tiMonitor.setInterval(10000);
    frm_.Bind(*this, actlComputers);
    new ComputerHealthDelegate(health, frm_.llbxComputers);
    connect(&recorder_, &SnapshotRecorder::Collected, &health, &CollectionHealth::Succeeded);
    connect(&recorder_, &SnapshotRecorder::Missed, &health, &CollectionHealth::Failed);
    WireTray();
    Guarded([this] { DataModuleCreate(); });
    // Wired after the create event, which sets some of the controls.
    WireHandlers();
    WireWindowsLogon();
}

// The tray follows the label; the tray in place at the time is told, so
// that a test may put one where the desktop has none.
void TdmMain::WireTray()
{
    tray = DangerTray::WhereAvailable(frm_, frm_.lbDangerStatus->text(), frm_.lbDangerStatus->Color());
    views_.DangerShown = [this](const QString &caption, const QColor &colour) {
        if (tray)
            tray->ShowStatus(caption, colour);
    };
    connect(&recorder_, &SnapshotRecorder::DangerRaised, this,
            [this](int level, const QString &process, const QString &computer) {
                if (tray)
                    tray->NoticeRise(level, process, computer);
            });
}

TdmMain::~TdmMain() { Guarded([this] { DataModuleDestroy(); }); }

void TdmMain::DataModuleCreate()
{
    UserSettings settings;
    adocMain.Open();
    for (DataSet *dataSet : StartupDataSets())
        dataSet->Open();
    frm_.cbMainType->setCurrentIndex(0);
    frm_.cbAnalyze->setCurrentIndex(0);
    frm_.dtpAnalyze->setDateTime(QDateTime::currentDateTime());
    frm_.edTimer->setText(settings.Read(QStringLiteral("Timer"), QStringLiteral("10")));
    frm_.edTimeOut->setText(settings.Read(QStringLiteral("Timeout"), QStringLiteral("10")));
    settingsRestored_ = true;
}

void TdmMain::DataModuleDestroy()
{
    const QList<DataSet *> opened = StartupDataSets();
    for (auto it = opened.rbegin(); it != opened.rend(); ++it)
        (*it)->Close();
    adocMain.Close();
    SaveSettings(); // when the program ends without its window closing
}

void TdmMain::SaveSettings()
{
    // Settings that were never restored are not written over with the defaults.
    if (!settingsRestored_ || std::exchange(settingsSaved_, true))
        return;
    UserSettings settings;
    settings.Write(QStringLiteral("Timer"), frm_.edTimer->text());
    settings.Write(QStringLiteral("Timeout"), frm_.edTimeOut->text());
}
