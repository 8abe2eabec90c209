// The "Monitoring" page.
#include "ui/main_window.h"

#include "store/monitoring_store.h"
#include "ui/action_button.h"
#include "ui/action_list.h"
#include "ui/color_label.h"
#include "ui/db_grid.h"
#include "ui/db_lookup_list_box.h"
#include "ui/db_text.h"
#include "ui/typing_limit.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

namespace {

QLineEdit *TwoCharacterEdit(QWidget *parent)
{
    auto *edit = new QLineEdit(QStringLiteral("10"), parent);
    edit->setValidator(new TypingLimit(edit, 2));
    edit->setFixedWidth(25);
    return edit;
}

ActionButton *Button(QSize size, QWidget *parent)
{
    auto *button = new ActionButton(parent);
    button->setFixedSize(size);
    return button;
}

} // namespace

QWidget *TfrmMain::BuildMonitoringPage()
{
    tsMonitoring = new QWidget;
    gbControl = new QGroupBox(QStringLiteral(" Control panel "), tsMonitoring);
    // As high as the title and two buttons need: a little over the 65 pixels
    // of the design, whose group titles took less room.
    gbControl->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    Label3 = new QLabel(QStringLiteral("Collect every"), gbControl);
    edTimer = TwoCharacterEdit(gbControl);
    Label4 = new QLabel(QStringLiteral("seconds"), gbControl);
    Label6 = new QLabel(QStringLiteral("Answer timeout"), gbControl);
    edTimeOut = TwoCharacterEdit(gbControl);
    Label7 = new QLabel(QStringLiteral("seconds"), gbControl);
    btnStart = Button({89, 25}, gbControl);
    Button1 = Button({89, 25}, gbControl);
    Label8 = new QLabel(QStringLiteral("Current computer :"), gbControl);
    lbCurrentComp = new QLabel(gbControl);
    lbCurrentComp->setFixedWidth(145);
    Label9 = new QLabel(QStringLiteral("Current danger status :"), gbControl);
    lbDangerStatus = new ColorLabel(gbControl);
    lbDangerStatus->setFixedSize(145, 17);
    lbDangerStatus->setAlignment(Qt::AlignCenter);
    lbDangerStatus->setText(QStringLiteral("Green"));
    lbDangerStatus->SetColor(QColor(0, 255, 0));
    btnResetStatus = Button({75, 17}, gbControl);

    auto *control = new QGridLayout(gbControl);
    control->setContentsMargins(4, 0, 4, 1);
    control->setHorizontalSpacing(5);
    control->setVerticalSpacing(2);
    control->addWidget(Label3, 0, 0);
    control->addWidget(edTimer, 0, 1);
    control->addWidget(Label4, 0, 2);
    control->addWidget(Label6, 1, 0);
    control->addWidget(edTimeOut, 1, 1);
    control->addWidget(Label7, 1, 2);
    control->addWidget(btnStart, 0, 3);
    control->addWidget(Button1, 1, 3);
    control->addWidget(Label8, 0, 4, Qt::AlignRight);
    control->addWidget(lbCurrentComp, 0, 5);
    control->addWidget(Label9, 1, 4, Qt::AlignRight);
    control->addWidget(lbDangerStatus, 1, 5);
    control->addWidget(btnResetStatus, 1, 6);
    control->setColumnStretch(7, 1);

    gbComputers = new QGroupBox(QStringLiteral(" Computers "), tsMonitoring);
    gbComputers->setFixedWidth(185);
    llbxComputers = new DbLookupListBox(gbComputers);
    auto *computers = new QVBoxLayout(gbComputers);
    computers->setContentsMargins(3, 2, 3, 3);
    computers->addWidget(llbxComputers);

    gbProcess = new QGroupBox(QStringLiteral(" Last data from selected computer "), tsMonitoring);
    Label1 = new QLabel(QStringLiteral("Computer"), gbProcess);
    dbtName = new DbText(gbProcess);
    Label2 = new QLabel(QStringLiteral("Last update"), gbProcess);
    dbtDate = new DbText(gbProcess);
    dbgCurrent = new DbGrid(gbProcess);
    auto *process = new QGridLayout(gbProcess);
    process->setContentsMargins(3, 2, 3, 3);
    process->setSpacing(4);
    process->addWidget(Label1, 0, 0);
    process->addWidget(dbtName, 0, 1);
    process->addWidget(Label2, 0, 2);
    process->addWidget(dbtDate, 0, 3);
    process->addWidget(dbgCurrent, 1, 0, 1, 4);
    process->setColumnStretch(1, 1);
    process->setColumnStretch(3, 1);

    auto *page = new QGridLayout(tsMonitoring);
    page->setContentsMargins(3, 3, 3, 3);
    page->setSpacing(4);
    page->addWidget(gbControl, 0, 0, 1, 2);
    page->addWidget(gbComputers, 1, 0);
    page->addWidget(gbProcess, 1, 1);
    page->setRowStretch(1, 1);
    return tsMonitoring;
}

void TfrmMain::BindMonitoringPage(TMonitoringStore &store, TActionList &actions)
{
    btnStart->SetAction(actions.actStartMonitor);
    Button1->SetAction(actions.actStopMonitor);
    btnResetStatus->SetAction(actions.actResetStatus);
    llbxComputers->SetListSource(store.dsComputers, QStringLiteral("ID"), QStringLiteral("NAME"));
    llbxComputers->SetPopupMenu(pmComputers);
    dbtName->SetDataField(store.dsLast, QStringLiteral("COMPUTERNAME"));
    dbtDate->SetDataField(store.dsLast, QStringLiteral("DATETIME"));
    dbgCurrent->SetDataSource(store.dsLast);
}
