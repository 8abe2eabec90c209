#include "ui/chart/chart_series.h"

#include "ui/chart/number_format.h"

double DateTimeValue(const QDateTime &moment)
{
    return double(QDateTime(moment.date(), moment.time(), Qt::UTC).toMSecsSinceEpoch());
}

double WallClockValue(qint64 seconds)
{
    return double(seconds) * 1000.0;
}

QDateTime DateTimeOfValue(double value)
{
    const QDateTime wallClock = QDateTime::fromMSecsSinceEpoch(qint64(value), Qt::UTC);
    return QDateTime(wallClock.date(), wallClock.time());
}

ChartSeries::ChartSeries(QString name, QString title, QColor color, QString numberFormat)
    : name_(std::move(name)), title_(std::move(title)), color_(color),
      numberFormat_(std::move(numberFormat))
{
}

QString ChartSeries::FormatValue(double value) const
{
    return FormatNumber(value, numberFormat_);
}

void ChartSeries::SetActive(bool active)
{
    if (active == active_) return;
    active_ = active;
    Changed();
}

void ChartSeries::SetShowInLegend(bool show)
{
    if (show == showInLegend_) return;
    showInLegend_ = show;
    Changed();
}

void ChartSeries::Changed() const
{
    if (changed_) changed_();
}

BarSeries::BarSeries(QString name, QString title, QColor color, QString numberFormat,
                     HorizontalScale scale)
    : ChartSeries(std::move(name), std::move(title), color, std::move(numberFormat)), scale_(scale)
{
}

void BarSeries::Add(double x, double y, const QString &label)
{
    points_.Add({x, y, label});
    Changed();
}

void BarSeries::Add(const QDateTime &x, double y, const QString &label)
{
    Add(DateTimeValue(x), y, label);
}

QString BarSeries::Label(int index) const
{
    return Points()[std::size_t(index)].label;
}

void BarSeries::Clear()
{
    points_.Clear();
    Changed();
}

GanttSeries::GanttSeries(QString name, QString title, QColor color, QString numberFormat)
    : ChartSeries(std::move(name), std::move(title), color, std::move(numberFormat))
{
}

void GanttSeries::Add(const QDateTime &start, const QDateTime &end, double row,
                      const QString &label)
{
    Add(DateTimeValue(start), DateTimeValue(end), row, label);
}

void GanttSeries::Add(double start, double end, double row, const QString &label)
{
    points_.Add({start, end, row, label});
    Changed();
}

QString GanttSeries::Label(int index) const
{
    return Points()[std::size_t(index)].label;
}

void GanttSeries::Clear()
{
    points_.Clear();
    Changed();
}
