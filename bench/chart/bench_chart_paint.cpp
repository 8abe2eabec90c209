// Painting the chart with 100,000 points into a 1000 x 700 image: a bar
// series and a timeline. For each: filling the series, the first paint (which
// lays the chart out), a repaint of the same layout, and a paint after a
// resize. Times are the median of several runs, in milliseconds.
// Usage: bench_chart_paint
#include "ui/chart/chart_widget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>

namespace
{

constexpr int kPoints = 100000;
constexpr int kRuns = 9;

template <class F> double MedianMs(F &&f)
{
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        f();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::nth_element(times.begin(), times.begin() + kRuns / 2, times.end());
    return times[kRuns / 2];
}

void FillBars(BarSeries &series)
{
    QRandomGenerator random(1);
    for (int i = 0; i < kPoints; ++i)
        series.Add(i, 1000.0 + random.bounded(5000000), QStringLiteral("process%1.exe").arg(i));
}

struct Span {
    QDateTime start;
    QDateTime end;
};

// Starts in random order over one day, so the series must sort them. Made
// beforehand: local date-time arithmetic would dwarf what is measured.
std::vector<Span> TimelineSpans()
{
    QRandomGenerator random(2);
    const QDateTime day(QDate(2024, 3, 5), QTime(0, 0));
    std::vector<Span> spans;
    for (int i = 0; i < kPoints; ++i) {
        const QDateTime start = day.addSecs(random.bounded(86400));
        spans.push_back({start, start.addSecs(random.bounded(4 * 3600))});
    }
    return spans;
}

void FillTimeline(GanttSeries &series, const std::vector<Span> &spans)
{
    for (int i = 0; i < kPoints; ++i)
        series.Add(spans[std::size_t(i)].start, spans[std::size_t(i)].end, i,
                   QStringLiteral("process%1.exe").arg(i));
}

void Report(const char *what, ChartWidget &chart, ChartSeries &series, double fill)
{
    QImage image(1000, 700, QImage::Format_RGB32);
    series.SetActive(true);
    const double first = MedianMs([&] {
        series.SetActive(false); // drops the layout, so each run lays out anew
        series.SetActive(true);
        chart.render(&image);
    });
    const double repaint = MedianMs([&] { chart.render(&image); });
    bool wide = false;
    const double resized = MedianMs([&] {
        chart.resize(wide ? 1000 : 999, 700);
        wide = !wide;
        chart.render(&image);
    });
    series.SetActive(false);
    std::printf(
        "%-26s fill %7.1f ms  first paint %6.1f ms  repaint %5.2f ms  after resize %6.1f ms\n",
        what, fill, first, repaint, resized);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ChartWidget chart;
    chart.resize(1000, 700);
    BarSeries &bars =
        chart.AddBarSeries(QStringLiteral("Series2"), QStringLiteral("By memory"), Qt::green,
                           QStringLiteral("###0"), HorizontalScale::Number);
    GanttSeries &timeline = chart.AddGanttSeries(
        QStringLiteral("Series4"), QStringLiteral("Timeline"), Qt::blue, QStringLiteral("###"));
    std::printf("%d points, 1000 x 700, median of %d runs\n", kPoints, kRuns);
    Report("bar series", chart, bars, MedianMs([&] {
               bars.Clear();
               FillBars(bars);
           }));
    const std::vector<Span> spans = TimelineSpans();
    Report("timeline (random starts)", chart, timeline, MedianMs([&] {
               timeline.Clear();
               FillTimeline(timeline, spans);
               timeline.Points(); // the sort, which the first paint would otherwise pay
           }));
    return 0;
}
