#pragma once
// The chart of the analysis page: an ordered list of bar and timeline series,
// of which the active ones are drawn on shared axes, with the points of the
// shown series listed in the legend below. No title, zoom or scroll.
//
// The geometry is built once per size or data change; painting only fills
// the rectangles that were laid out, so large series stay cheap to repaint.

#include "ui/chart/chart_layout.h"
#include "ui/chart/chart_series.h"

#include <QWidget>
#include <memory>
#include <vector>

class ChartWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ChartWidget(QWidget *parent = nullptr);
    ~ChartWidget() override;

    // New series are inactive; their index is their position in the chart.
    BarSeries &AddBarSeries(QString name, QString title, QColor color, QString numberFormat,
                            HorizontalScale scale);
    GanttSeries &AddGanttSeries(QString name, QString title, QColor color, QString numberFormat);
    int SeriesCount() const { return int(series_.size()); }
    ChartSeries &Series(int index) const { return *series_.at(std::size_t(index)); }

    // What the chart shows at its current size.
    QRect PlotRect() const { return Layout().plot; }
    const std::vector<AxisTick> &HorizontalTicks() const { return Layout().horizontalTicks; }
    const std::vector<AxisTick> &VerticalTicks() const { return Layout().verticalTicks; }
    QRect LegendRect() const { return Layout().legend.frame; }
    const std::vector<LegendEntry> &LegendEntries() const { return Layout().legend.entries; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    template <class S> S &Adopt(std::unique_ptr<S> series);
    const ChartLayout &Layout() const;
    void Invalidate();

    std::vector<std::unique_ptr<ChartSeries>> series_;
    // Built on demand; dropped by any change to the series or the font.
    mutable std::unique_ptr<ChartLayout> layout_;
    mutable QSize layoutSize_;
};
