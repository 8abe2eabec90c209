#pragma once
// Where everything of the chart goes for one size and one set of series:
// the plot (the white back wall), the ticks of both axes, the bars and the
// legend. Built once per change and painted as often as needed.

#include "ui/chart/chart_axis.h"
#include "ui/chart/chart_legend.h"
#include "ui/chart/chart_shapes.h"

#include <QRect>
#include <QSize>
#include <vector>

class ChartSeries;
class QFontMetrics;

inline constexpr int kTickLength = 4;

struct ChartLayout {
    QRect plot;
    std::vector<AxisTick> horizontalTicks; // pixel is a column
    std::vector<AxisTick> verticalTicks;   // pixel is a row
    std::vector<ChartBar> bars;            // in painting order
    LegendLayout legend;
};

// `active` are the series to draw, in chart order; the first one decides the
// kind of each axis.
ChartLayout LayOutChart(const std::vector<const ChartSeries *> &active, QSize size,
                        const QFontMetrics &metrics);
