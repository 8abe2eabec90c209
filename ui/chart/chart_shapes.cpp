#include "ui/chart/chart_shapes.h"

#include "ui/chart/chart_palette.h"
#include "ui/chart/chart_series.h"

#include <climits>
#include <cmath>
#include <numeric>

namespace
{

// Share of its slot a bar fills.
constexpr double kBarFill = 0.7;
constexpr double kMinute = 60000;

double DefaultSlot(HorizontalScale scale)
{
    return scale == HorizontalScale::DateTime ? kMinute : 1;
}

// The room of one bar: the closest distance between neighbouring points, so
// that unevenly spaced bars never overlap.
double BarSlot(const BarSeries &series)
{
    const auto &points = series.Points();
    double slot = 0;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const double gap = points[i].x - points[i - 1].x;
        if (gap > 0 && (slot == 0 || gap < slot)) slot = gap;
    }
    return slot > 0 ? slot : DefaultSlot(series.Scale());
}

// Top and height of a bar from the baseline; a non-zero value shows at least one pixel.
std::pair<int, int> BarExtent(double value, const AxisMap &y)
{
    const int base = int(std::lround(y(0)));
    const int end = int(std::lround(y(value)));
    if (end == base && value != 0) return {value > 0 ? base - 1 : base, 1};
    return {std::min(base, end), std::abs(end - base)};
}

struct Span {
    int left;
    int right;
    int colorIndex;
};

// Later bars of one pixel row paint over earlier ones: each pixel column
// takes the last bar that covers it, found by skipping columns already taken.
void AddVisibleSpans(std::span<const Span> spans, int top, int height, std::vector<ChartBar> &out)
{
    int low = INT_MAX;
    int high = INT_MIN;
    for (const Span &s : spans) {
        low = std::min(low, s.left);
        high = std::max(high, s.right);
    }
    const int width = high - low;
    std::vector<int> owner(std::size_t(width), -1);
    std::vector<int> nextFree(std::size_t(width) + 1);
    std::iota(nextFree.begin(), nextFree.end(), 0);
    const auto findFree = [&nextFree](int at) {
        while (nextFree[at] != at) {
            const int skip = nextFree[nextFree[at]];
            nextFree[at] = skip; // path halving keeps later look-ups short
            at = skip;
        }
        return at;
    };
    for (auto s = spans.rbegin(); s != spans.rend(); ++s) {
        for (int at = findFree(s->left - low); at < s->right - low; at = findFree(at)) {
            owner[at] = s->colorIndex;
            nextFree[at] = at + 1;
        }
    }
    for (int at = 0; at < width;) {
        const int color = owner[at];
        int end = at + 1;
        while (end < width && owner[end] == color)
            ++end;
        if (color >= 0) out.push_back({QRect(low + at, top, end - at, height), color});
        at = end;
    }
}

} // namespace

AxisRange BarHorizontalRange(const BarSeries &series)
{
    AxisRange range;
    const auto &points = series.Points();
    if (points.empty()) return range;
    const double half = BarSlot(series) / 2;
    range.Include(points.front().x - half);
    range.Include(points.back().x + half);
    return range;
}

AxisRange BarVerticalRange(const BarSeries &series)
{
    AxisRange range;
    if (series.Count() == 0) return range;
    range.Include(0);
    for (const BarPoint &p : series.Points())
        range.Include(p.y);
    return range;
}

AxisRange GanttHorizontalRange(const GanttSeries &series)
{
    AxisRange range;
    for (const GanttPoint &p : series.Points()) {
        range.Include(p.x);
        range.Include(p.end);
    }
    if (range.IsEmpty()) return range;
    const double pad = range.max > range.min ? (range.max - range.min) / 50 : kMinute;
    return {range.min - pad, range.max + pad};
}

AxisRange GanttVerticalRange(const GanttSeries &series)
{
    AxisRange range;
    for (const GanttPoint &p : series.Points())
        range.Include(p.y);
    if (range.IsEmpty()) return range;
    return {range.min - 0.5, range.max + 0.5};
}

void AddBarShapes(const BarSeries &series, const AxisMap &x, const AxisMap &y,
                  std::vector<ChartBar> &out)
{
    const auto &points = series.Points();
    const double width = kBarFill * BarSlot(series) * x.Scale();
    if (width >= 1) {
        const int pixels = int(std::lround(width));
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (!std::isfinite(points[i].y)) continue;
            const int left = int(std::lround(x(points[i].x) - width / 2));
            const auto [top, height] = BarExtent(points[i].y, y);
            out.push_back({QRect(left, top, pixels, height), int(i % kPaletteSize)});
        }
        return;
    }
    // Narrower than a pixel: one column per pixel, showing its tallest bar.
    const std::size_t first = out.size();
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (!std::isfinite(points[i].y)) continue; // a missing value has no bar
        const int at = int(std::floor(x(points[i].x)));
        const auto [top, height] = BarExtent(points[i].y, y);
        const ChartBar bar{QRect(at, top, 1, height), int(i % kPaletteSize)};
        if (out.size() == first || out.back().rect.left() != at)
            out.push_back(bar);
        else if (height > out.back().rect.height())
            out.back() = bar;
    }
}

GanttRows::GanttRows(const GanttSeries &series, const AxisMap &y)
{
    const auto &points = series.Points();
    std::vector<int> pixel(points.size());
    int highest = INT_MIN;
    lowest_ = INT_MAX;
    for (std::size_t i = 0; i < points.size(); ++i) {
        pixel[i] = int(std::lround(y(points[i].y)));
        lowest_ = std::min(lowest_, pixel[i]);
        highest = std::max(highest, pixel[i]);
    }
    if (points.empty()) {
        starts_ = {0};
        return;
    }
    // A counting sort by pixel row keeps each row's points in point order.
    starts_.assign(std::size_t(highest - lowest_) + 2, 0);
    for (int p : pixel)
        ++starts_[p - lowest_ + 1];
    std::partial_sum(starts_.begin(), starts_.end(), starts_.begin());
    order_.resize(points.size());
    std::vector<int> fill(starts_.begin(), starts_.end() - 1);
    for (std::size_t i = 0; i < points.size(); ++i)
        order_[fill[pixel[i] - lowest_]++] = int(i);
}

std::span<const int> GanttRows::Points(int group) const
{
    const auto begin = std::size_t(starts_[group]);
    const auto end = std::size_t(starts_[group + 1]);
    return std::span<const int>(order_).subspan(begin, end - begin);
}

void AddGanttShapes(const GanttSeries &series, const GanttRows &rows, const AxisMap &x,
                    std::vector<ChartBar> &out)
{
    const auto &points = series.Points();
    std::vector<Span> spans;
    for (int group = 0; group < rows.Count(); ++group) {
        spans.clear();
        for (int i : rows.Points(group)) {
            const GanttPoint &p = points[i];
            const int left = int(std::lround(x(std::min(p.x, p.end))));
            const int right = std::max(left + 1, int(std::lround(x(std::max(p.x, p.end)))));
            spans.push_back({left, right, i % kPaletteSize});
        }
        const int top = rows.PixelOf(group) - kGanttHalfHeight;
        const int height = 2 * kGanttHalfHeight + 1;
        if (spans.size() == 1)
            out.push_back({QRect(spans[0].left, top, spans[0].right - spans[0].left, height),
                           spans[0].colorIndex});
        else if (!spans.empty())
            AddVisibleSpans(spans, top, height, out);
    }
}
