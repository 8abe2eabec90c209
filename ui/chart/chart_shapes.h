#pragma once
// The rectangles that stand for the points of a series, and the value ranges
// the axes need to hold them. Bars narrower than a pixel and timeline bars
// that share a pixel row are reduced to what can be seen, so a series of any
// length yields at most a few rectangles per pixel of the plot.

#include "ui/chart/chart_axis.h"

#include <QRect>
#include <span>
#include <vector>

class BarSeries;
class GanttSeries;

// Timeline bars reach this far above and below their row line.
inline constexpr int kGanttHalfHeight = 3;

struct ChartBar {
    QRect rect;
    int colorIndex; // into the palette
};

// Half a bar slot beyond the first and the last point.
AxisRange BarHorizontalRange(const BarSeries &series);
// The data and the baseline 0, which every bar starts from.
AxisRange BarVerticalRange(const BarSeries &series);
AxisRange GanttHorizontalRange(const GanttSeries &series);
// Half a row beyond the first and the last row.
AxisRange GanttVerticalRange(const GanttSeries &series);

void AddBarShapes(const BarSeries &series, const AxisMap &x, const AxisMap &y,
                  std::vector<ChartBar> &out);

// The points of a timeline grouped by the pixel row their row line falls on,
// each group in point order.
class GanttRows
{
public:
    GanttRows(const GanttSeries &series, const AxisMap &y);
    int Count() const { return int(starts_.size()) - 1; }
    int PixelOf(int group) const { return lowest_ + group; }
    std::span<const int> Points(int group) const;

private:
    int lowest_ = 0;
    std::vector<int> starts_; // group g holds order_[starts_[g] .. starts_[g + 1])
    std::vector<int> order_;
};

void AddGanttShapes(const GanttSeries &series, const GanttRows &rows, const AxisMap &x,
                    std::vector<ChartBar> &out);
