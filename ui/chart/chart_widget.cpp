#include "ui/chart/chart_widget.h"

#include "ui/chart/chart_painter.h"

#include <QEvent>
#include <QPainter>

ChartWidget::ChartWidget(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

ChartWidget::~ChartWidget() = default;

template <class S> S &ChartWidget::Adopt(std::unique_ptr<S> series)
{
    S &adopted = *series;
    adopted.SetChangeHandler([this] { Invalidate(); });
    series_.push_back(std::move(series));
    Invalidate();
    return adopted;
}

BarSeries &ChartWidget::AddBarSeries(QString name, QString title, QColor color,
                                     QString numberFormat, HorizontalScale scale)
{
    return Adopt(std::make_unique<BarSeries>(std::move(name), std::move(title), color,
                                             std::move(numberFormat), scale));
}

GanttSeries &ChartWidget::AddGanttSeries(QString name, QString title, QColor color,
                                         QString numberFormat)
{
    return Adopt(std::make_unique<GanttSeries>(std::move(name), std::move(title), color,
                                               std::move(numberFormat)));
}

const ChartLayout &ChartWidget::Layout() const
{
    if (layout_ && layoutSize_ == size()) return *layout_;
    std::vector<const ChartSeries *> active;
    for (const auto &series : series_)
        if (series->IsActive()) active.push_back(series.get());
    layout_ = std::make_unique<ChartLayout>(LayOutChart(active, size(), fontMetrics()));
    layoutSize_ = size();
    return *layout_;
}

// Filling a series calls this once per point: only the first call after a
// paint has anything to do.
void ChartWidget::Invalidate()
{
    if (!layout_) return;
    layout_.reset();
    update();
}

void ChartWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    PaintChart(painter, Layout(), palette().color(QPalette::Window));
}

void ChartWidget::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) Invalidate();
    QWidget::changeEvent(event);
}
