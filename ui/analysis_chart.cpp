#include "ui/analysis_chart.h"

#include "store/monitoring_store.h"
#include "ui/analysis_statement.h"
#include "ui/chart/chart_widget.h"
#include "ui/db_lookup_combo_box.h"
#include "ui/main_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>

namespace {

void FillBars(BarSeries &series, const DataSet &rows, const char *label, const char *value)
{
    const int l = rows.FieldIndexOrThrow(QLatin1String(label));
    const int v = rows.FieldIndexOrThrow(QLatin1String(value));
    for (int p = 0; p < rows.RecordCount(); ++p)
        series.Add(double(p), rows.ValueAt(p, v).toDouble(), rows.ValueAt(p, l).toString());
}

// A time's place on the axis, straight from its stored seconds where it has
// them: a local date-time made for every bar would cost most of the chart.
double TimeAt(const DataSet &rows, int position, int field)
{
    if (const std::optional<qint64> seconds = rows.DateTimeAt(position, field))
        return WallClockValue(*seconds);
    return DateTimeValue(rows.ValueAt(position, field).toDateTime());
}

void FillTimes(BarSeries &series, const DataSet &rows, const char *value)
{
    const int t = rows.FieldIndexOrThrow(QStringLiteral("datetime"));
    const int v = rows.FieldIndexOrThrow(QLatin1String(value));
    for (int p = 0; p < rows.RecordCount(); ++p)
        series.Add(TimeAt(rows, p, t), rows.ValueAt(p, v).toDouble());
}

void FillTimeline(GanttSeries &series, const DataSet &rows)
{
    const int start = rows.FieldIndexOrThrow(QStringLiteral("starttime"));
    const int end = rows.FieldIndexOrThrow(QStringLiteral("endtime"));
    const int name = rows.FieldIndexOrThrow(QStringLiteral("name"));
    for (int p = 0; p < rows.RecordCount(); ++p)
        series.Add(TimeAt(rows, p, start), TimeAt(rows, p, end), double(p), rows.ValueAt(p, name).toString());
}

void Fill(ChartWidget &chart, int index, const DataSet &rows)
{
    ChartSeries &series = chart.Series(index);
    series.Clear();
    switch (index) {
    case 0:
        return FillBars(static_cast<BarSeries &>(series), rows, "name", "mem");
    case 1:
        return FillBars(static_cast<BarSeries &>(series), rows, "NAME", "Expr1000");
    case 2:
        return FillTimeline(static_cast<GanttSeries &>(series), rows);
    case 3:
        return FillTimes(static_cast<BarSeries &>(series), rows, "mem");
    default:
        return FillTimes(static_cast<BarSeries &>(series), rows, "count");
    }
}

} // namespace

void AddAnalysisSeries(ChartWidget &chart)
{
    const QString whole = QStringLiteral("###0");
    chart.AddBarSeries(QStringLiteral("Series2"), QStringLiteral("By memory"), Qt::green, whole, HorizontalScale::Number);
    chart.AddBarSeries(QStringLiteral("Series1"), QStringLiteral("By count"), Qt::red, whole, HorizontalScale::Number);
    chart.AddGanttSeries(QStringLiteral("Series4"), QStringLiteral("Timeline"), Qt::blue, QStringLiteral("###"));
    chart.AddBarSeries(QStringLiteral("Series3"), QStringLiteral("Stat by memory"), Qt::yellow, QString(),
                       HorizontalScale::DateTime)
        .SetShowInLegend(false);
    chart.AddBarSeries(QStringLiteral("Series5"), QStringLiteral("Stat by count"), Qt::white, QString(),
                       HorizontalScale::DateTime)
        .SetShowInLegend(false);
}

AnalysisState ReadAnalysisState(const TfrmMain &w)
{
    return {w.cbMainType->currentIndex(), w.cbAnalyze->currentIndex(), w.cbAllComputers->isChecked(),
            w.dbcbxComputers->KeyValue(),  w.cbAllData->isChecked(),   w.dtpAnalyze->dateTime()};
}

void RunAnalysis(TMonitoringStore &store, ChartWidget &chart, const AnalysisState &state)
{
    for (int i = 0; i < chart.SeriesCount(); ++i)
        chart.Series(i).SetActive(false);
    const auto plan = PlanAnalysis(store, state);
    if (!plan)
        return;
    plan->query->Close();
    plan->query->SetSQL({plan->statement});
    plan->query->Open();
    Fill(chart, plan->series, *plan->query);
    chart.Series(plan->series).SetActive(true);
}
