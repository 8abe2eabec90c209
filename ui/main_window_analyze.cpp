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
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

QWidget *TfrmMain::BuildAnalyzePage()
{
    tsAnalyze = new QWidget;
    cbAllComputers = new QCheckBox(QStringLiteral("All computers or"), tsAnalyze);
    cbAllComputers->setChecked(true);
    dbcbxComputers = new DbLookupComboBox(tsAnalyze);
    dbcbxComputers->setMinimumWidth(113);
    cbAllData = new QCheckBox(QStringLiteral("All date or"), tsAnalyze);
    cbAllData->setChecked(true);
    dtpAnalyze = new QDateTimeEdit(tsAnalyze);
    dtpAnalyze->setDisplayFormat(ShortDateFormat());
    dtpAnalyze->setCalendarPopup(true);
    dtpAnalyze->setMinimumWidth(89);
    btnAnalizeRefresh = new QPushButton(QStringLiteral("Refresh"), tsAnalyze);
    btnAnalizeRefresh->setMinimumSize(75, 25);
    Label5 = new QLabel(QStringLiteral("Type"), tsAnalyze);
    cbMainType = new QComboBox(tsAnalyze);
    cbMainType->addItems({QStringLiteral("Analyse"), QStringLiteral("Statistics")});
    cbMainType->setCurrentIndex(-1);
    cbMainType->setMinimumWidth(161);
    cbAnalyze = new QComboBox(tsAnalyze);
    cbAnalyze->addItems(
        {QStringLiteral("Process memory usage"), QStringLiteral("Process count"), QStringLiteral("Timeline statistics")});
    cbAnalyze->setCurrentIndex(-1);
    cbAnalyze->setMinimumWidth(177);
    dbcAnalyze = new ChartWidget(tsAnalyze);
    AddAnalysisSeries(*dbcAnalyze);

    auto *rows = new QGridLayout;
    rows->addWidget(cbAllComputers, 0, 0);
    rows->addWidget(dbcbxComputers, 0, 1);
    rows->addWidget(cbAllData, 0, 2);
    rows->addWidget(dtpAnalyze, 0, 3);
    rows->addWidget(btnAnalizeRefresh, 0, 5);
    rows->addWidget(Label5, 1, 0);
    rows->addWidget(cbMainType, 1, 1, 1, 2);
    rows->addWidget(cbAnalyze, 1, 3, 1, 2);
    rows->setColumnStretch(4, 1);
    auto *page = new QVBoxLayout(tsAnalyze);
    page->addLayout(rows);
    page->addWidget(dbcAnalyze, 1);
    return tsAnalyze;
}

void TfrmMain::BindAnalyzePage(TMonitoringStore &store)
{
    dbcbxComputers->SetListSource(store.dsComputers, QStringLiteral("ID"), QStringLiteral("NAME"));
}
