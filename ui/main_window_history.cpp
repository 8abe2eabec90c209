// The "History" page: the user filter and its result.
#include "ui/main_window.h"

#include "store/date_text.h"
#include "store/monitoring_store.h"
#include "ui/db_grid.h"
#include "ui/db_lookup_combo_box.h"
#include "ui/exit_line_edit.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>

namespace {

QCheckBox *FilterCheck(const QString &caption, QWidget *parent)
{
    auto *box = new QCheckBox(caption, parent);
    box->setLayoutDirection(Qt::RightToLeft); // caption left of the box
    box->setMinimumWidth(73);
    return box;
}

QDateTimeEdit *Picker(const QString &format, int width, bool calendar, QWidget *parent)
{
    auto *picker = new QDateTimeEdit(QDateTime(QDate(2005, 3, 23), QTime(15, 34, 31)), parent);
    picker->setDisplayFormat(format);
    picker->setCalendarPopup(calendar);
    picker->setMinimumWidth(width);
    return picker;
}

} // namespace

QWidget *TfrmMain::BuildHistoryPage()
{
    tsHistory = new QWidget;
    gbFilter = new QGroupBox(QStringLiteral(" User filter "), tsHistory);
    // Wider than designed where the locale's date needs a wider picker.
    gbFilter->setMinimumWidth(241);
    gbFilter->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    cbComputer = FilterCheck(QStringLiteral("Computer"), gbFilter);
    dbcbxComputer = new DbLookupComboBox(gbFilter);
    cbFromDate = FilterCheck(QStringLiteral("From date"), gbFilter);
    dtpDateFrom = Picker(ShortDateFormat(), 81, true, gbFilter);
    dtpTimeFrom = Picker(LongTimeFormat(), 66, false, gbFilter);
    cbToDate = FilterCheck(QStringLiteral("To date"), gbFilter);
    dtpDateTo = Picker(ShortDateFormat(), 81, true, gbFilter);
    dtpTimeTo = Picker(LongTimeFormat(), 66, false, gbFilter);
    cbProcess = FilterCheck(QStringLiteral("Process"), gbFilter);
    dbcbxProcess = new DbLookupComboBox(gbFilter);
    cbPID = FilterCheck(QStringLiteral("PID"), gbFilter);
    edPID = new ExitLineEdit(gbFilter);
    cbParentPID = FilterCheck(QStringLiteral("Parent PID"), gbFilter);
    edParentPID = new ExitLineEdit(gbFilter);
    cbMemory = FilterCheck(QStringLiteral("Memory"), gbFilter);
    edMemory = new ExitLineEdit(gbFilter);
    cbPriority = FilterCheck(QStringLiteral("Priority"), gbFilter);
    edPriority = new ExitLineEdit(gbFilter);
    cbThreads = FilterCheck(QStringLiteral("Threads"), gbFilter);
    edThreads = new ExitLineEdit(gbFilter);
    btnRefresh = new QPushButton(QStringLiteral("Refresh"), gbFilter);
    btnRefresh->setFixedSize(145, 25);

    auto *filter = new QGridLayout(gbFilter);
    // With the group's own 3-pixel border, the values start 88 pixels in.
    filter->setContentsMargins(4, 2, 3, 3);
    filter->setHorizontalSpacing(2);
    filter->setVerticalSpacing(3);
    filter->setColumnMinimumWidth(0, 79);
    const QList<QPair<QCheckBox *, QList<QWidget *>>> rows = {
        {cbComputer, {dbcbxComputer}},  {cbFromDate, {dtpDateFrom, dtpTimeFrom}},
        {cbToDate, {dtpDateTo, dtpTimeTo}}, {cbProcess, {dbcbxProcess}},
        {cbPID, {edPID}},               {cbParentPID, {edParentPID}},
        {cbMemory, {edMemory}},         {cbPriority, {edPriority}},
        {cbThreads, {edThreads}}};
    for (int r = 0; r < rows.size(); ++r) {
        filter->addWidget(rows[r].first, r, 0);
        const auto &values = rows[r].second;
        if (values.size() == 1) {
            values[0]->setFixedWidth(145);
            filter->addWidget(values[0], r, 1, 1, 2, Qt::AlignLeft);
        } else {
            filter->addWidget(values[0], r, 1);
            filter->addWidget(values[1], r, 2);
        }
    }
    filter->addWidget(btnRefresh, int(rows.size()), 1, 1, 2, Qt::AlignLeft);
    filter->setRowStretch(int(rows.size()) + 1, 1);

    gbResult = new QGroupBox(QStringLiteral(" Result "), tsHistory);
    dbgFiltered = new DbGrid(gbResult);
    auto *result = new QVBoxLayout(gbResult);
    result->setContentsMargins(3, 2, 3, 3);
    result->addWidget(dbgFiltered);

    auto *page = new QHBoxLayout(tsHistory);
    page->setContentsMargins(3, 3, 3, 3);
    page->setSpacing(4);
    page->addWidget(gbFilter);
    page->addWidget(gbResult, 1);
    return tsHistory;
}

void TfrmMain::BindHistoryPage(TMonitoringStore &store)
{
    dbcbxComputer->SetListSource(store.dsComputers, QStringLiteral("ID"), QStringLiteral("NAME"));
    dbcbxProcess->SetListSource(store.dsProcess, QStringLiteral("ID"), QStringLiteral("NAME"));
    dbgFiltered->SetDataSource(store.dsFull);
}
