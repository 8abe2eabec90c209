// The data module's event handlers: each one delegates to its subsystem.
#include "app/data_module.h"

#include "core/handler_guard.h"
#include "platform/windows_logon.h"
#include "ui/about_window.h"
#include "ui/help_command.h"
#include "ui/analysis_chart.h"
#include "ui/analysis_statement.h"
#include "ui/computer_list.h"
#include "ui/db_grid.h"
#include "ui/db_lookup_combo_box.h"
#include "ui/db_lookup_list_box.h"
#include "ui/exit_line_edit.h"
#include "ui/history_filter.h"
#include "ui/main_window.h"
#include "ui/process_types.h"
#include "ui/user_prompts.h"
#include "ui/windows_logon_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QDateTimeEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>

template <class Sender, class Signal, class Handler> void TdmMain::On(Sender *sender, Signal signal, Handler handler)
{
    auto running = std::make_shared<bool>(false);
    connect(sender, signal, this, [running, handler](auto &&...args) {
        if (*running)
            return;
        *running = true;
        Guarded([&] {
            if constexpr (std::is_invocable_v<Handler, decltype(args)...>)
                handler(args...);
            else
                handler(); // the handler reads what it needs itself
        });
        *running = false;
    });
}

void TdmMain::WireHandlers()
{
    TActionList &a = actlComputers;
    On(a.actLookupSelected, &QAction::triggered, [this] { actLookupSelectedExecute(); });
    On(a.actStartMonitor, &QAction::triggered, [this] { actStartMonitorExecute(); });
    On(a.actStopMonitor, &QAction::triggered, [this] { actStopMonitorExecute(); });
    On(&tiMonitor, &QTimer::timeout, [this] { tiMonitorTimer(); });
    On(a.actResetStatus, &QAction::triggered, [this] { actResetStatusExecute(); });
    On(a.actExit, &QAction::triggered, [this] { actExitExecute(); });
    On(a.actAbout, &QAction::triggered, [this] { actAboutExecute(); });
    On(a.actHelp, &QAction::triggered, [this] { actHelpExecute(); });
    // A second recording never starts while one runs; a pass that came due
    // meanwhile runs once the recording has ended.
    connect(&recorder_, &SnapshotRecorder::RecordingChanged, this, [this](bool recording) {
        actlComputers.actLookupSelected->setEnabled(!recording && !deleting_);
        if (!recording)
            RunPendingPassLater();
    });
    // Closing the window during a probe stores nothing more.
    connect(qApp, &QGuiApplication::lastWindowClosed, this, [this] {
        leaving_ = true;
        cycle_.Stop();
        recorder_.Abort();
    });
    On(&frm_, &TfrmMain::Closing, [this] { SaveSettings(); });
    On(a.actAddComputer, &QAction::triggered, [this] { actAddComputerExecute(); });
    On(a.actDeleteSelected, &QAction::triggered, [this] { actDeleteSelectedExecute(); });
    On(frm_.llbxComputers, &DbLookupListBox::Click, [this] { llbxComputersClick(); });
    On(frm_.dbcbxComputerList, &DbLookupComboBox::CloseUp, [this] { dbcbxComputerListCloseUp(); });
    On(frm_.btnDeleteComp, &QPushButton::clicked, [this] { btnDeleteCompClick(); });

    On(frm_.dbcbxProcessType, &DbLookupComboBox::CloseUp, [this] { dbcbxProcessTypeCloseUp(); });
    On(frm_.dblbxAllProcess, &DbLookupListBox::DblClick, [this] { dblbxAllProcessDblClick(); });
    On(frm_.Movetoselectedtype1, &QAction::triggered, [this] { dblbxAllProcessDblClick(); });
    On(frm_.dblbxProcessByType, &DbLookupListBox::DblClick, [this] { dblbxProcessByTypeDblClick(); });
    On(frm_.Cleartype1, &QAction::triggered, [this] { dblbxProcessByTypeDblClick(); });
    for (QAction *action : {a.actMoveToUnknown, a.actMoveToSystem, a.actMoveToUser, a.actMoveToDanger})
        On(action, &QAction::triggered, [this, action] { actMoveToExecute(action); });

    for (QCheckBox *box : {frm_.cbComputer, frm_.cbFromDate, frm_.cbToDate, frm_.cbProcess, frm_.cbPID,
                           frm_.cbParentPID, frm_.cbMemory, frm_.cbPriority, frm_.cbThreads})
        On(box, &QCheckBox::clicked, [this] { dbcbxFilterCloseUp(); });
    for (DbLookupComboBox *box : {frm_.dbcbxComputer, frm_.dbcbxProcess})
        On(box, &DbLookupComboBox::CloseUp, [this] { dbcbxFilterCloseUp(); });
    for (QDateTimeEdit *picker : {frm_.dtpDateFrom, frm_.dtpTimeFrom, frm_.dtpDateTo, frm_.dtpTimeTo})
        On(picker, &QDateTimeEdit::dateTimeChanged, [this] { dbcbxFilterCloseUp(); });
    for (ExitLineEdit *edit : {frm_.edPID, frm_.edParentPID, frm_.edMemory, frm_.edPriority, frm_.edThreads})
        On(edit, &ExitLineEdit::Exit, [this] { dbcbxFilterCloseUp(); });
    On(frm_.btnRefresh, &QPushButton::clicked, [this] { dbcbxFilterCloseUp(); });
    for (QComboBox *box : {frm_.cbMainType, frm_.cbAnalyze})
        On(box, &QComboBox::activated, [this] { cbAnalyzeChange(); });
    for (QCheckBox *box : {frm_.cbAllComputers, frm_.cbAllData})
        On(box, &QCheckBox::clicked, [this] { cbAnalyzeChange(); });
    On(frm_.dbcbxComputers, &DbLookupComboBox::CloseUp, [this] { cbAnalyzeChange(); });
    On(frm_.dtpAnalyze, &QDateTimeEdit::dateTimeChanged, [this] { cbAnalyzeChange(); });
    On(frm_.btnAnalizeRefresh, &QPushButton::clicked, [this] { cbAnalyzeChange(); });
    On(frm_.dbgFiltered, &DbGrid::TitleClick, [this](const QString &f) { dbgFilteredTitleClick(f); });
    On(frm_.dbgCurrent, &DbGrid::TitleClick, [this](const QString &f) { dbgCurrentTitleClick(f); });
    On(frm_.DBGrid1, &DbGrid::TitleClick, [this](const QString &f) { DBGrid1TitleClick(f); });
}

void TdmMain::RecordSnapshot(int ComputerID) { recorder_.RecordSnapshot(ComputerID); }

void TdmMain::actLookupSelectedExecute() { RecordSnapshot(adotComputers.Value(QStringLiteral("ID")).toInt()); }

void TdmMain::actStartMonitorExecute() { cycle_.Start(frm_.edTimer->text()); }

void TdmMain::actStopMonitorExecute() { cycle_.Stop(); }

void TdmMain::tiMonitorTimer() { cycle_.TimerFired(); }

void TdmMain::actResetStatusExecute() { views_.ShowDanger(QStringLiteral("Green"), SnapshotRecorder::Lime, 0); }

void TdmMain::actExitExecute()
{
    // Ends promptly even while a probe waits, and stores nothing more; the
    // window closes first, so that saving the settings happens while it shows.
    cycle_.Stop();
    recorder_.Abort();
    frm_.close();
    QCoreApplication::quit();
}

void TdmMain::cbAnalyzeChange() { RunAnalysis(*this, *frm_.dbcAnalyze, ReadAnalysisState(frm_)); }

void TdmMain::actAboutExecute()
{
    if (frmAbout)
        frmAbout->ShowOver(&frm_);
}

void TdmMain::actHelpExecute() { OpenHelpFile(&frm_); }

void TdmMain::actAddComputerExecute() { AddComputer(*this, *prompts); }

void TdmMain::actDeleteSelectedExecute() { adotComputers.Delete(); }

void TdmMain::llbxComputersClick() { ShowLatestSnapshot(adoqLast, frm_.llbxComputers->KeyValue()); }

void TdmMain::dbcbxComputerListCloseUp()
{
    const QVariant key = frm_.dbcbxComputerList->KeyValue();
    ShowLatestSnapshot(adoqLast, key);
    ShowBlockSummary(adoqCompRule, key);
}

void TdmMain::SetDeleting(bool on)
{
    deleting_ = on;
    frm_.btnDeleteComp->setEnabled(!on);
    actlComputers.actLookupSelected->setEnabled(!on && !recorder_.Recording());
    if (!on)
        RunPendingPassLater();
}

void TdmMain::RunPendingPassLater()
{
    QTimer::singleShot(0, this, [this] { Guarded([this] { cycle_.RecordingFinished(); }); });
}

void TdmMain::btnDeleteCompClick()
{
    QProgressBar *bar = frm_.pgDelete;
    // Set once the user has said yes: until then a pass may run, as it may
    // while any dialog is open.
    const auto done = qScopeGuard([this] {
        if (deleting_)
            SetDeleting(false);
    });
    const DeletionProgress progress{[this, bar](int maximum) {
                                        SetDeleting(true);
                                        bar->setRange(0, maximum);
                                    },
                                    [bar](int remaining) { bar->setValue(remaining); },
                                    [this] {
                                        QCoreApplication::processEvents();
                                        return !leaving_;
                                    }};
    DeleteComputer(*this, *prompts, frm_.dbcbxComputerList->KeyValue(), progress);
}

void TdmMain::dbcbxProcessTypeCloseUp() { ShowNamesOfType(adoqProcessByType, frm_.dbcbxProcessType->KeyValue()); }

void TdmMain::dblbxAllProcessDblClick()
{
    const int type = ChosenType(frm_.dbcbxProcessType->KeyValue());
    SetProcessType(adocMain, adotProcess, adoqProcessByType, frm_.dblbxAllProcess->KeyValues(), type);
}

void TdmMain::dblbxProcessByTypeDblClick()
{
    SetProcessType(adocMain, adotProcess, adoqProcessByType, frm_.dblbxProcessByType->KeyValues(), 1);
}

void TdmMain::actMoveToExecute(QAction *sender)
{
    SetProcessType(adocMain, adotProcess, adoqProcessByType, frm_.dblbxProcessByType->KeyValues(),
                   TActionList::Tag(sender));
}

void TdmMain::dbcbxFilterCloseUp() { RunHistoryFilter(adoqFull, ReadHistoryFilter(frm_)); }

void TdmMain::dbgFilteredTitleClick(const QString &field) { adoqFull.SetSort(field); }

void TdmMain::dbgCurrentTitleClick(const QString &field) { adoqLast.SetSort(field); }

void TdmMain::DBGrid1TitleClick(const QString &field) { adoqLast.SetSort(field); }

void TdmMain::WireWindowsLogon()
{
    if (!KeepsOwnWindowsAccounts())
        return;
    frm_.AddWindowsLogonEntries();
    On(frm_.miWindowsLogon, &QAction::triggered, [this] { WindowsLogonDialog::Open(accountKeeper_, QString(), &frm_); });
    On(frm_.miWindowsLogonSelected, &QAction::triggered, [this] {
        if (const QString name = SelectedComputerName(); !name.isEmpty())
            WindowsLogonDialog::Open(accountKeeper_, name, &frm_);
    });
    // This computer, an empty name, is read without logging on.
    On(frm_.pmComputers, &QMenu::aboutToShow,
       [this] { frm_.miWindowsLogonSelected->setEnabled(!SelectedComputerName().isEmpty()); });
    Guarded([this] { accountKeeper_.Load(); });
}

QString TdmMain::SelectedComputerName() const
{
    const QVariant key = frm_.llbxComputers->KeyValue();
    if (key.isNull() || !adotComputers.Active())
        return {};
    return adotComputers.Lookup(QStringLiteral("ID"), key, QStringLiteral("NAME")).toString();
}
