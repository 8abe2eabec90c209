// The "Process and Computers control" page.
#include "ui/main_window.h"

#include "store/monitoring_store.h"
#include "ui/action_list.h"
#include "ui/db_grid.h"
#include "ui/db_lookup_combo_box.h"
#include "ui/db_lookup_list_box.h"
#include "ui/db_text.h"
#include "ui/progress_bar.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel *RightLabel(const QString &caption, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QGroupBox *ListGroup(const QString &title, int width, QWidget *parent)
{
    auto *group = new QGroupBox(title, parent);
    group->setFixedWidth(width);
    (new QVBoxLayout(group))->setContentsMargins(3, 2, 3, 3);
    return group;
}

} // namespace

QWidget *TfrmMain::BuildProcessPage()
{
    tsProcess = new QWidget;
    dbcbxProcessType = new DbLookupComboBox(tsProcess);
    dbcbxProcessType->setFixedWidth(289);
    gbAllProcess = ListGroup(QStringLiteral(" All process "), 137, tsProcess);
    dblbxAllProcess = new DbLookupListBox(gbAllProcess);
    gbAllProcess->layout()->addWidget(dblbxAllProcess);
    gbSystemProcess = ListGroup(QStringLiteral(" Process by type "), 152, tsProcess);
    dblbxProcessByType = new DbLookupListBox(gbSystemProcess);
    gbSystemProcess->layout()->addWidget(dblbxProcessByType);

    GroupBox1 = new QGroupBox(QStringLiteral(" Computers "), tsProcess);
    Label11 = new QLabel(QStringLiteral("Computer name"), GroupBox1);
    dbcbxComputerList = new DbLookupComboBox(GroupBox1);
    dbcbxComputerList->setFixedWidth(305);
    Label10 = RightLabel(QStringLiteral("Monitor blocks count:"), GroupBox1);
    dbtBlockCount = new DbText(GroupBox1);
    Label12 = RightLabel(QStringLiteral("First monitored date"), GroupBox1);
    dbtFirstBlock = new DbText(GroupBox1);
    Label13 = RightLabel(QStringLiteral("Last monitored date"), GroupBox1);
    dbtLastBlock = new DbText(GroupBox1);
    btnDeleteComp = new QPushButton(QStringLiteral("Delete this computer AND ALL DATA"), GroupBox1);
    btnDeleteComp->setFixedSize(289, 25);
    pgDelete = new ProgressBar(GroupBox1);
    pgDelete->setFixedSize(305, 16);
    pgDelete->setRange(0, 100);
    pgDelete->setValue(0);
    pgDelete->setTextVisible(false);
    DBGrid1 = new DbGrid(GroupBox1);
    DBGrid1->setFrameShape(QFrame::StyledPanel);

    auto *computers = new QGridLayout(GroupBox1);
    computers->setContentsMargins(5, 2, 5, 5);
    computers->setHorizontalSpacing(6);
    computers->setVerticalSpacing(3);
    computers->addWidget(Label11, 0, 0, 1, 2);
    computers->addWidget(dbcbxComputerList, 1, 0, 1, 2, Qt::AlignLeft);
    computers->addWidget(Label10, 2, 0);
    computers->addWidget(dbtBlockCount, 2, 1);
    computers->addWidget(Label12, 3, 0);
    computers->addWidget(dbtFirstBlock, 3, 1);
    computers->addWidget(Label13, 4, 0);
    computers->addWidget(dbtLastBlock, 4, 1);
    computers->addWidget(btnDeleteComp, 5, 0, 1, 2, Qt::AlignLeft);
    computers->addWidget(pgDelete, 6, 0, 1, 2, Qt::AlignLeft);
    computers->addWidget(DBGrid1, 7, 0, 1, 2);
    computers->setRowStretch(7, 1);
    computers->setColumnStretch(1, 1);

    // The two lists touch, as wide together as the drop-down above them.
    auto *lists = new QHBoxLayout;
    lists->setSpacing(0);
    lists->addWidget(gbAllProcess);
    lists->addWidget(gbSystemProcess);
    auto *left = new QVBoxLayout;
    left->setSpacing(4);
    left->addWidget(dbcbxProcessType);
    left->addLayout(lists, 1);
    auto *page = new QHBoxLayout(tsProcess);
    page->setContentsMargins(3, 3, 3, 3);
    page->setSpacing(4);
    page->addLayout(left);
    page->addWidget(GroupBox1, 1);
    return tsProcess;
}

void TfrmMain::BindProcessPage(TMonitoringStore &store)
{
    dbcbxProcessType->SetListSource(store.dsProcessTypes, QStringLiteral("id"), QStringLiteral("name"));
    dblbxAllProcess->SetListSource(store.dsProcess, QStringLiteral("ID"), QStringLiteral("NAME"));
    dblbxProcessByType->SetListSource(store.dsProcessByType, QStringLiteral("id"), QStringLiteral("name"));
    dblbxProcessByType->SetPopupMenu(pmProcess);
    dblbxAllProcess->SetExtendedSelection();
    dblbxProcessByType->SetExtendedSelection();
    dbcbxComputerList->SetListSource(store.dsComputers, QStringLiteral("ID"), QStringLiteral("NAME"));
    dbtBlockCount->SetDataField(store.dsCompRule, QStringLiteral("count"));
    dbtFirstBlock->SetDataField(store.dsCompRule, QStringLiteral("min"));
    dbtLastBlock->SetDataField(store.dsCompRule, QStringLiteral("max"));
    DBGrid1->SetDataSource(store.dsLast);
}
