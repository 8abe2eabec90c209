#include "ui/chart/chart_painter.h"

#include "ui/chart/chart_layout.h"
#include "ui/chart/chart_palette.h"

#include <QPainter>
#include <array>

namespace
{

// Large enough for any label; the text is aligned inside it.
constexpr int kLabelBox = 2000;

void PaintBars(QPainter &painter, const ChartLayout &layout)
{
    std::array<QColor, kPaletteSize> colors;
    for (int i = 0; i < kPaletteSize; ++i)
        colors[std::size_t(i)] = PaletteColor(i);
    painter.save();
    painter.setClipRect(layout.plot);
    for (const ChartBar &bar : layout.bars)
        painter.fillRect(bar.rect, colors[std::size_t(bar.colorIndex)]);
    painter.restore();
}

void PaintAxes(QPainter &painter, const ChartLayout &layout)
{
    const QRect &plot = layout.plot;
    painter.setPen(Qt::black);
    painter.drawRect(plot.adjusted(-1, -1, 0, 0));
    const int below = plot.bottom() + 1;
    for (const AxisTick &tick : layout.horizontalTicks) {
        painter.drawLine(tick.pixel, below, tick.pixel, below + kTickLength);
        const QRect box(tick.pixel - kLabelBox / 2, below + kTickLength, kLabelBox, kLabelBox);
        painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop, tick.text);
    }
    const int before = plot.left() - 1;
    for (const AxisTick &tick : layout.verticalTicks) {
        painter.drawLine(before - kTickLength, tick.pixel, before, tick.pixel);
        const QRect box(before - kTickLength - kLabelBox, tick.pixel - kLabelBox / 2, kLabelBox,
                        kLabelBox);
        painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, tick.text);
    }
}

} // namespace

void PaintChart(QPainter &painter, const ChartLayout &layout, const QColor &background)
{
    painter.fillRect(painter.window(), background);
    if (layout.plot.isEmpty()) return;
    painter.fillRect(layout.plot, Qt::white);
    PaintBars(painter, layout);
    PaintAxes(painter, layout);
    PaintLegend(painter, layout.legend);
}
