// The "Analyze" page: selectors above the chart.
#include "ui/main_window.h"

#include "store/date_text.h"
#include "store/monitoring_store.h"
#include "ui/analysis_chart.h"
#include "ui/chart/chart_widget.h"
#include "ui/db_lookup_combo_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>

QWidget *TfrmMain::BuildAnalyzePage()
{
    tsAnalyze = new QWidget;
    cbAllComputers = new QCheckBox(QStringLiteral("All computers or"), tsAnalyze);
    cbAllComputers->setChecked(true);
    dbcbxComputers = new DbLookupComboBox(tsAnalyze);
    dbcbxComputers->setFixedWidth(113);
    cbAllData = new QCheckBox(QStringLiteral("All date or"), tsAnalyze);
    cbAllData->setChecked(true);
    dtpAnalyze = new QDateTimeEdit(tsAnalyze);
    dtpAnalyze->setDisplayFormat(ShortDateFormat());
    dtpAnalyze->setCalendarPopup(true);
    dtpAnalyze->setMinimumWidth(89);
    btnAnalizeRefresh = new QPushButton(QStringLiteral("Refresh"), tsAnalyze);
    btnAnalizeRefresh->setFixedSize(75, 25);
    Label5 = new QLabel(QStringLiteral("Type"), tsAnalyze);
    cbMainType = new QComboBox(tsAnalyze);
    cbMainType->addItems({QStringLiteral("Analyse"), QStringLiteral("Statistics")});
    cbMainType->setCurrentIndex(-1);
    cbMainType->setFixedWidth(161);
    cbAnalyze = new QComboBox(tsAnalyze);
    cbAnalyze->addItems(
        {QStringLiteral("Process memory usage"), QStringLiteral("Process count"), QStringLiteral("Timeline statistics")});
    cbAnalyze->setCurrentIndex(-1);
    cbAnalyze->setFixedWidth(177);
    dbcAnalyze = new ChartWidget(tsAnalyze);
    AddAnalysisSeries(*dbcAnalyze);

    auto *selectors = new QHBoxLayout;
    selectors->setSpacing(4);
    selectors->addWidget(cbAllComputers);
    selectors->addWidget(dbcbxComputers);
    selectors->addSpacing(8);
    selectors->addWidget(cbAllData);
    selectors->addWidget(dtpAnalyze);
    selectors->addStretch(1);
    selectors->addWidget(btnAnalizeRefresh);
    auto *kind = new QHBoxLayout;
    kind->setSpacing(4);
    kind->addWidget(Label5);
    kind->addWidget(cbMainType);
    kind->addWidget(cbAnalyze);
    kind->addStretch(1);
    auto *page = new QVBoxLayout(tsAnalyze);
    page->setContentsMargins(3, 3, 3, 3);
    page->setSpacing(3);
    page->addLayout(selectors);
    page->addLayout(kind);
    page->addWidget(dbcAnalyze, 1);
    return tsAnalyze;
}

void TfrmMain::BindAnalyzePage(TMonitoringStore &store)
{
    dbcbxComputers->SetListSource(store.dsComputers, QStringLiteral("ID"), QStringLiteral("NAME"));
}
