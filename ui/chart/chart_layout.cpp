#include "ui/chart/chart_layout.h"

#include "ui/chart/chart_series.h"
#include "ui/chart/number_format.h"

#include <QFontMetrics>
#include <cmath>
#include <optional>

namespace
{

// Room between the plot's edge and the first or last timeline row line, so
// that the bars' three pixels above and below stay inside.
constexpr int kGanttInset = kGanttHalfHeight + 1;
constexpr int kGap = 4;

struct Ranges {
    AxisRange horizontal;
    AxisRange vertical;
};

Ranges RangesOf(const std::vector<const ChartSeries *> &active)
{
    Ranges ranges;
    for (const ChartSeries *series : active) {
        if (const auto *bars = dynamic_cast<const BarSeries *>(series)) {
            ranges.horizontal.Include(BarHorizontalRange(*bars));
            ranges.vertical.Include(BarVerticalRange(*bars));
        } else if (const auto *gantt = dynamic_cast<const GanttSeries *>(series)) {
            ranges.horizontal.Include(GanttHorizontalRange(*gantt));
            ranges.vertical.Include(GanttVerticalRange(*gantt));
        }
    }
    return ranges;
}

QRect OuterRect(QSize size)
{
    const int left = int(std::lround(size.width() * 0.01));
    const int right = int(std::lround(size.width() * 0.01));
    const int top = int(std::lround(size.height() * 0.02));
    const int bottom = int(std::lround(size.height() * 0.02));
    return QRect(QPoint(0, 0), size).adjusted(left, top, -right, -bottom);
}

std::vector<const ChartSeries *> InLegend(const std::vector<const ChartSeries *> &active)
{
    std::vector<const ChartSeries *> shown;
    for (const ChartSeries *series : active)
        if (series->ShowInLegend()) shown.push_back(series);
    return shown;
}

// The bar labels of a timeline, bottom row first, skipping rows too close to
// the last label for their text to be read.
std::vector<AxisTick> RowLabelTicks(const GanttSeries &series, const GanttRows &rows,
                                    const QFontMetrics &metrics, int maxWidth)
{
    std::vector<AxisTick> ticks;
    for (int group = rows.Count() - 1; group >= 0; --group) {
        const int pixel = rows.PixelOf(group);
        if (rows.Points(group).empty()) continue;
        if (!ticks.empty() && ticks.back().pixel - pixel < metrics.height()) continue;
        const QString &label = series.Points()[rows.Points(group).front()].label;
        ticks.push_back({pixel, metrics.elidedText(label, Qt::ElideRight, maxWidth)});
    }
    return ticks;
}

std::vector<AxisTick> NumberTicks(AxisRange range, const AxisMap &map, int maxCount,
                                  const QString &format)
{
    std::vector<AxisTick> ticks;
    for (double value : NumberTickValues(range, maxCount, IsWholeNumberFormat(format)))
        ticks.push_back({int(std::lround(map(value))), FormatNumber(value, format)});
    return ticks;
}

std::vector<AxisTick> TimeTicks(AxisRange range, const AxisMap &map, int pixels,
                                const QFontMetrics &metrics)
{
    const int sample = metrics.horizontalAdvance(DateTimeTickText(range.max, QString()));
    const int maxCount = pixels / (sample + 2 * kGap);
    const DateTimeTicks values = DateTimeTickValues(range, maxCount);
    std::vector<AxisTick> ticks;
    for (double value : values.values)
        ticks.push_back({int(std::lround(map(value))), DateTimeTickText(value, values.format)});
    return ticks;
}

int WidestText(const std::vector<AxisTick> &ticks, const QFontMetrics &metrics)
{
    int widest = 0;
    for (const AxisTick &tick : ticks)
        widest = std::max(widest, metrics.horizontalAdvance(tick.text));
    return widest;
}

void AddShapes(const ChartSeries &series, const AxisMap &x, const AxisMap &y,
               std::vector<ChartBar> &out)
{
    if (const auto *bars = dynamic_cast<const BarSeries *>(&series))
        AddBarShapes(*bars, x, y, out);
    else if (const auto *gantt = dynamic_cast<const GanttSeries *>(&series))
        AddGanttShapes(*gantt, GanttRows(*gantt, y), x, out);
}

} // namespace

ChartLayout LayOutChart(const std::vector<const ChartSeries *> &active, QSize size,
                        const QFontMetrics &metrics)
{
    ChartLayout layout;
    const QRect outer = OuterRect(size);
    const QRect legendRoom(outer.left(), outer.top() + outer.height() * 2 / 3, outer.width(),
                           outer.height() - outer.height() * 2 / 3);
    layout.legend = LayOutLegend(InLegend(active), legendRoom, metrics);

    const int below =
        layout.legend.frame.isEmpty() ? outer.bottom() : layout.legend.frame.top() - kGap;
    const int top = outer.top() + metrics.height() / 2;
    const int bottom = below - kTickLength - metrics.height();
    const Ranges ranges = RangesOf(active);
    const auto *first = active.empty() ? nullptr : active.front();
    const auto *gantt = dynamic_cast<const GanttSeries *>(first);

    // The vertical axis first: its labels decide where the plot begins.
    const int inset = gantt ? kGanttInset : 0;
    const AxisMap y(ranges.vertical, bottom + 1 - inset, top + inset);
    std::optional<GanttRows> rows;
    if (gantt) {
        rows.emplace(*gantt, y);
        layout.verticalTicks = RowLabelTicks(*gantt, *rows, metrics, outer.width() / 4);
    } else if (first) {
        layout.verticalTicks = NumberTicks(
            ranges.vertical, y, (bottom - top) / (2 * metrics.height()), first->NumberFormat());
    }
    const int left = outer.left() + WidestText(layout.verticalTicks, metrics) + kTickLength + kGap;
    const int right = outer.right() - 3 * metrics.averageCharWidth();
    layout.plot = QRect(QPoint(left, top), QPoint(right, bottom));
    if (ranges.horizontal.IsEmpty() || layout.plot.isEmpty()) return layout;

    const AxisMap x(ranges.horizontal, layout.plot.left(), layout.plot.right() + 1);
    if (first->Scale() == HorizontalScale::DateTime) {
        layout.horizontalTicks = TimeTicks(ranges.horizontal, x, layout.plot.width(), metrics);
    } else {
        const QString sample = FormatNumber(ranges.horizontal.max, QStringLiteral("0"));
        const int maxCount = layout.plot.width() / (metrics.horizontalAdvance(sample) + 2 * kGap);
        layout.horizontalTicks = NumberTicks(ranges.horizontal, x, maxCount, QStringLiteral("0"));
    }
    for (const ChartSeries *series : active) {
        if (series == gantt)
            AddGanttShapes(*gantt, *rows, x, layout.bars);
        else
            AddShapes(*series, x, y, layout.bars);
    }
    return layout;
}
