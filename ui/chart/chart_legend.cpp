#include "ui/chart/chart_legend.h"

#include "ui/chart/chart_palette.h"
#include "ui/chart/chart_series.h"

#include <QFontMetrics>
#include <QPainter>
#include <cmath>

namespace
{

constexpr int kPadding = 3;
constexpr int kGap = 4;
constexpr double kBoxShare = 0.05;
constexpr int kMinTextChars = 10;

// Walks the points of all series from the very last one backwards.
class ReversePoints
{
public:
    explicit ReversePoints(const std::vector<const ChartSeries *> &series)
        : series_(series), at_(int(series.size()))
    {
    }
    // False when every point has been visited.
    bool Next(const ChartSeries *&series, int &point)
    {
        while (point_ == 0) {
            if (at_ == 0) return false;
            point_ = series_[--at_]->Count();
        }
        series = series_[at_];
        point = --point_;
        return true;
    }

private:
    const std::vector<const ChartSeries *> &series_;
    int at_;
    int point_ = 0;
};

} // namespace

LegendLayout LayOutLegend(const std::vector<const ChartSeries *> &series, const QRect &area,
                          const QFontMetrics &metrics)
{
    qint64 total = 0;
    for (const ChartSeries *s : series)
        total += s->Count();
    const int width = area.width() - kLegendShadow;
    const int rowHeight = metrics.height() + 2;
    const int boxWidth = std::max(4, int(std::lround(kBoxShare * width)));
    const int minColumn = boxWidth + 3 * kGap + kMinTextChars * metrics.averageCharWidth();
    const int columns = std::max(1, (width - 2 * kPadding) / minColumn);
    const int rowsFit = (area.height() - kLegendShadow - 2 * kPadding) / rowHeight;
    const qint64 rowsNeeded = (total + columns - 1) / columns;
    const int rows = int(std::min<qint64>(rowsFit, rowsNeeded));
    if (total == 0 || rows < 1 || width <= 2 * kPadding) return {};

    LegendLayout legend;
    const int height = rows * rowHeight + 2 * kPadding;
    legend.frame = QRect(area.left(), area.bottom() - kLegendShadow - height + 1, width, height);
    const int columnWidth = (width - 2 * kPadding) / columns;
    const int textWidth = columnWidth - boxWidth - 3 * kGap;
    const int shown = int(std::min<qint64>(total, qint64(rows) * columns));
    ReversePoints points(series);
    const ChartSeries *owner = nullptr;
    int point = 0;
    for (int k = 0; k < shown && points.Next(owner, point); ++k) {
        const int left = legend.frame.left() + kPadding + (k % columns) * columnWidth;
        const int top = legend.frame.top() + kPadding + (k / columns) * rowHeight;
        const QRect box(left + kGap, top + 2, boxWidth, rowHeight - 4);
        const QRect textRect(box.right() + 1 + kGap, top, textWidth, rowHeight);
        const QString label = owner->Label(point);
        legend.entries.push_back({label, metrics.elidedText(label, Qt::ElideRight, textWidth),
                                  point % kPaletteSize, box, textRect});
    }
    return legend;
}

void PaintLegend(QPainter &painter, const LegendLayout &legend)
{
    if (legend.frame.isEmpty()) return;
    painter.fillRect(legend.frame.translated(kLegendShadow, kLegendShadow), Qt::gray);
    painter.fillRect(legend.frame, Qt::white);
    painter.setPen(Qt::black);
    painter.drawRect(legend.frame.adjusted(0, 0, -1, -1));
    for (const LegendEntry &entry : legend.entries) {
        painter.fillRect(entry.box, PaletteColor(entry.colorIndex));
        painter.drawRect(entry.box.adjusted(0, 0, -1, -1));
        painter.drawText(entry.textRect, Qt::AlignLeft | Qt::AlignVCenter, entry.text);
    }
}
