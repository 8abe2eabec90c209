#pragma once
// The legend below the plot: one entry per point of the shown series with
// the point's label, the last point first, in rows of equal columns across
// the chart's width. Only the entries that fit are laid out, so a series of
// any length costs no more than what can be seen.

#include <QRect>
#include <QString>
#include <vector>

class ChartSeries;
class QFontMetrics;
class QPainter;

inline constexpr int kLegendShadow = 2;

struct LegendEntry {
    QString label;
    QString text; // the label as painted, shortened to its column
    int colorIndex;
    QRect box;
    QRect textRect;
};

struct LegendLayout {
    QRect frame; // empty when nothing is shown
    std::vector<LegendEntry> entries;
};

// `area` is the most room the legend may take; it sits at the bottom of it.
LegendLayout LayOutLegend(const std::vector<const ChartSeries *> &series, const QRect &area,
                          const QFontMetrics &metrics);

void PaintLegend(QPainter &painter, const LegendLayout &legend);
