// The chart as a user sees it: rendered offscreen and read back pixel by
// pixel, with the legend's laid-out entries standing in for reading its text.
#include "chart_image.h"
#include "ui/chart/chart_palette.h"
#include "ui/chart/number_format.h"

#include <QtTest>

namespace
{

const QDateTime kStart(QDate(2024, 3, 5), QTime(10, 0));

BarSeries &AddNumbered(ChartWidget &chart)
{
    BarSeries &series =
        chart.AddBarSeries(QStringLiteral("Series2"), QStringLiteral("By memory"), Qt::green,
                           QStringLiteral("###0"), HorizontalScale::Number);
    series.SetActive(true);
    return series;
}

BarSeries &AddTimed(ChartWidget &chart)
{
    BarSeries &series =
        chart.AddBarSeries(QStringLiteral("Series3"), QStringLiteral("Stat by memory"), Qt::yellow,
                           QString(), HorizontalScale::DateTime);
    series.SetShowInLegend(false);
    series.SetActive(true);
    return series;
}

GanttSeries &AddTimeline(ChartWidget &chart)
{
    GanttSeries &series = chart.AddGanttSeries(
        QStringLiteral("Series4"), QStringLiteral("Timeline"), Qt::blue, QStringLiteral("###"));
    series.SetActive(true);
    return series;
}

void Fill(BarSeries &series, int count)
{
    for (int i = 0; i < count; ++i)
        series.Add(i, 10.0 * (i + 1), QStringLiteral("p%1").arg(i));
}

bool ShowsPaletteColor(const QImage &image, const QRect &rect)
{
    for (int i = 0; i < kPaletteSize; ++i)
        if (!BoundsOf(image, rect, PaletteColor(i)).isEmpty()) return true;
    return false;
}

} // namespace

class ChartTest : public QObject
{
    Q_OBJECT

private slots:
    void barsStandWhereThePointsAreInPaletteOrder()
    {
        ChartWidget chart;
        Fill(AddNumbered(chart), 5);
        for (QSize size : {QSize(600, 400), QSize(900, 650)}) {
            chart.resize(size);
            const QImage image = Render(chart);
            const QRect plot = chart.PlotRect();
            QVERIFY(plot.width() > size.width() / 2 && plot.height() > size.height() / 3);
            const double slot = plot.width() / 5.0;
            for (int i = 0; i < 5; ++i) {
                const QRect bar = BoundsOf(image, plot, PaletteColor(i));
                QVERIFY2(!bar.isEmpty(), qPrintable(QStringLiteral("bar %1").arg(i)));
                QVERIFY(qAbs(bar.center().x() - (plot.left() + (i + 0.5) * slot)) <= 1.5);
                QVERIFY(qAbs(bar.width() - 0.7 * slot) <= 1.5);
                QCOMPARE(bar.bottom(), plot.bottom());
                QVERIFY(qAbs(bar.height() - plot.height() * (i + 1) / 5.0) <= 1.5);
                QCOMPARE(RunInRow(image, bar.center().x(), plot.bottom()).Length(), bar.width());
            }
            for (int i = 1; i < 5; ++i)
                QCOMPARE(At(image, int(plot.left() + i * slot), plot.bottom()), 0xFFFFFFu);
        }
    }

    void pointsAddedOutOfOrderAreDrawnAndListedSorted()
    {
        ChartWidget chart;
        chart.resize(600, 400);
        BarSeries &series = AddNumbered(chart);
        series.Add(2, 30, QStringLiteral("c"));
        series.Add(0, 10, QStringLiteral("a"));
        series.Add(1, 20, QStringLiteral("b"));
        const QImage image = Render(chart);
        const QRect plot = chart.PlotRect();
        const QRect first = BoundsOf(image, plot, PaletteColor(0));
        const QRect second = BoundsOf(image, plot, PaletteColor(1));
        const QRect third = BoundsOf(image, plot, PaletteColor(2));
        QVERIFY(first.right() < second.left() && second.right() < third.left());
        QVERIFY(first.height() < second.height() && second.height() < third.height());
        QCOMPARE(third.height(), plot.height());
        QStringList labels;
        for (const LegendEntry &entry : chart.LegendEntries())
            labels << entry.label;
        QCOMPARE(labels, QStringList({"c", "b", "a"}));
    }

    void legendListsEveryPointLastFirstBelowThePlot()
    {
        ChartWidget chart;
        chart.resize(600, 400);
        Fill(AddNumbered(chart), 20);
        const QImage image = Render(chart);
        const QRect legend = chart.LegendRect();
        const auto &entries = chart.LegendEntries();
        QCOMPARE(int(entries.size()), 20);
        QVERIFY(legend.top() > chart.PlotRect().bottom());
        QVERIFY(QRect(QPoint(0, 0), chart.size()).contains(legend.adjusted(0, 0, 2, 2)));
        for (int k = 0; k < 20; ++k) {
            const LegendEntry &entry = entries[std::size_t(k)];
            QCOMPARE(entry.label, QStringLiteral("p%1").arg(19 - k));
            QCOMPARE(entry.text, entry.label);
            QVERIFY(legend.contains(entry.box) && legend.contains(entry.textRect));
            QCOMPARE(entry.box.width(), qRound(legend.width() * 0.05));
            QCOMPARE(At(image, entry.box.center().x(), entry.box.center().y()),
                     PaletteColor(19 - k).rgb() & RGB_MASK);
        }
        // Entries run along a row before the next row begins.
        QCOMPARE(entries[1].box.top(), entries[0].box.top());
        QVERIFY(entries[1].box.left() > entries[0].textRect.right());
        // A grey shadow two pixels wide to the right and below.
        const QRgb grey = QColor(Qt::gray).rgb() & RGB_MASK;
        for (int d = 1; d <= 2; ++d) {
            QCOMPARE(At(image, legend.right() + d, legend.center().y()), grey);
            QCOMPARE(At(image, legend.center().x(), legend.bottom() + d), grey);
        }
        QVERIFY(At(image, legend.right() + 3, legend.center().y()) != grey);
        QCOMPARE(At(image, legend.left() + 1, legend.top() + 1), 0xFFFFFFu);
    }

    void legendOfAHugeSeriesLaysOutOnlyWhatFits()
    {
        ChartWidget chart;
        chart.resize(1000, 700);
        Fill(AddNumbered(chart), 100000);
        const auto &entries = chart.LegendEntries();
        QVERIFY(!entries.empty() && entries.size() < 1000);
        QCOMPARE(entries.front().label, QStringLiteral("p99999"));
        QCOMPARE(entries.back().label, QStringLiteral("p%1").arg(100000 - int(entries.size())));
        const QRect legend = chart.LegendRect();
        QVERIFY(legend.height() <= 700 / 3);
        for (const LegendEntry &entry : entries)
            QVERIFY(legend.contains(entry.box) && legend.contains(entry.textRect));
    }

    void tinyChartsKeepEverythingInside()
    {
        ChartWidget chart;
        BarSeries &series = AddNumbered(chart);
        Fill(series, 100);
        series.Add(100, qQNaN(), QStringLiteral("missing"));
        for (QSize size : {QSize(1, 1), QSize(40, 30), QSize(120, 60), QSize(300, 90)}) {
            chart.resize(size);
            Render(chart);
            const QRect widget(QPoint(0, 0), size);
            QVERIFY(chart.PlotRect().isEmpty() || widget.contains(chart.PlotRect()));
            for (const LegendEntry &entry : chart.LegendEntries())
                QVERIFY(widget.contains(entry.box) && entry.textRect.width() > 0);
        }
    }

    void inactiveSeriesDrawNothing()
    {
        ChartWidget chart;
        chart.resize(600, 400);
        BarSeries &series = AddNumbered(chart);
        Fill(series, 8);
        QVERIFY(ShowsPaletteColor(Render(chart), chart.PlotRect()));
        series.SetActive(false);
        const QImage image = Render(chart);
        QVERIFY(IsBlank(image, chart.PlotRect()));
        QVERIFY(!ShowsPaletteColor(image, image.rect()));
        QVERIFY(chart.LegendEntries().empty());
        QVERIFY(chart.LegendRect().isEmpty());
    }

    void seriesOutsideTheLegendAddNoEntries()
    {
        ChartWidget chart;
        chart.resize(600, 400);
        BarSeries &stats = AddTimed(chart);
        for (int i = 0; i < 6; ++i)
            stats.Add(kStart.addSecs(10 * i), 100 + i);
        const QImage image = Render(chart);
        QVERIFY(!BoundsOf(image, chart.PlotRect(), PaletteColor(5)).isEmpty());
        QVERIFY(chart.LegendEntries().empty());
        QVERIFY(chart.LegendRect().isEmpty());

        // Beside a series that is in the legend, only that one's points are listed.
        Fill(AddNumbered(chart), 3);
        QCOMPARE(int(chart.LegendEntries().size()), 3);
        QCOMPARE(chart.LegendEntries().front().label, QStringLiteral("p2"));
    }

    void emptySeriesGiveAnEmptyChartAndLegend()
    {
        ChartWidget chart;
        chart.resize(600, 400);
        BarSeries &series = AddNumbered(chart);
        AddTimed(chart);
        AddTimeline(chart);
        for (int shown = 0; shown < 3; ++shown) {
            for (int i = 0; i < 3; ++i)
                chart.Series(i).SetActive(i == shown);
            const QImage image = Render(chart);
            QVERIFY(!chart.PlotRect().isEmpty());
            QVERIFY(IsBlank(image, chart.PlotRect()));
            QVERIFY(chart.LegendEntries().empty() && chart.LegendRect().isEmpty());
            QVERIFY(chart.HorizontalTicks().empty() && chart.VerticalTicks().empty());
        }

        chart.Series(2).SetActive(false);
        series.SetActive(true);
        Fill(series, 4);
        QVERIFY(ShowsPaletteColor(Render(chart), chart.PlotRect()));
        series.Clear();
        const QImage image = Render(chart);
        QVERIFY(IsBlank(image, chart.PlotRect()));
        QVERIFY(chart.LegendEntries().empty());
    }

    void timelineBarsSpanStartToEndAndAreSevenPixelsTall()
    {
        ChartWidget chart;
        chart.resize(800, 500);
        GanttSeries &timeline = AddTimeline(chart);
        const QDateTime oneHour = kStart.addSecs(3600);
        const QDateTime threeHours = kStart.addSecs(3 * 3600);
        timeline.Add(kStart, oneHour, 0, QStringLiteral("alpha.exe"));
        timeline.Add(oneHour, threeHours, 1, QStringLiteral("beta.exe"));
        timeline.Add(kStart, threeHours, 2, QStringLiteral("gamma.exe"));
        const QImage image = Render(chart);
        const QRect plot = chart.PlotRect();
        // Colours follow the order of the start times: alpha, gamma, beta.
        const QRect alpha = BoundsOf(image, plot, PaletteColor(0));
        const QRect gamma = BoundsOf(image, plot, PaletteColor(1));
        const QRect beta = BoundsOf(image, plot, PaletteColor(2));
        for (const QRect &bar : {alpha, beta, gamma}) {
            QCOMPARE(bar.height(), 7);
            QCOMPARE(RunInColumn(image, bar.center().x(), bar.center().y()).Length(), 7);
            QVERIFY(plot.contains(bar));
        }
        QVERIFY(alpha.top() > beta.bottom() && beta.top() > gamma.bottom()); // row 0 lowest
        QVERIFY(qAbs(alpha.left() - gamma.left()) <= 1);
        QVERIFY(qAbs(beta.right() - gamma.right()) <= 1);
        QVERIFY(qAbs(alpha.right() + 1 - beta.left()) <= 1);
        QVERIFY(qAbs(gamma.width() - 3 * alpha.width()) <= 2);

        // The date-time axis agrees with the bars: the 11:00 tick is where alpha ends.
        bool found = false;
        for (const AxisTick &tick : chart.HorizontalTicks()) {
            QVERIFY2(QTime::fromString(tick.text, QStringLiteral("hh:mm")).isValid(),
                     qPrintable(tick.text));
            if (tick.text == QStringLiteral("11:00")) {
                found = true;
                QVERIFY(qAbs(tick.pixel - beta.left()) <= 1);
            }
        }
        QVERIFY(found);
        // The vertical axis names the bars, bottom row first, on their row lines.
        const auto &rows = chart.VerticalTicks();
        QCOMPARE(int(rows.size()), 3);
        QCOMPARE(rows[0].text, QStringLiteral("alpha.exe"));
        QCOMPARE(rows[0].pixel, alpha.center().y());
        QCOMPARE(rows[2].text, QStringLiteral("gamma.exe"));
        QCOMPARE(int(chart.LegendEntries().size()), 3);
        QCOMPARE(chart.LegendEntries().front().label, QStringLiteral("beta.exe"));
    }

    void laterTimelineBarsOfOneRowPaintOverEarlierOnes()
    {
        ChartWidget chart;
        chart.resize(800, 500);
        GanttSeries &timeline = AddTimeline(chart);
        timeline.Add(kStart, kStart.addSecs(10 * 3600), 0, QStringLiteral("long"));
        timeline.Add(kStart.addSecs(2 * 3600), kStart.addSecs(4 * 3600), 0,
                     QStringLiteral("short"));
        timeline.Add(kStart.addSecs(3 * 3600), kStart.addSecs(5 * 3600), 1, QStringLiteral("next"));
        const QImage image = Render(chart);
        const QRect plot = chart.PlotRect();
        const QRect longBar = BoundsOf(image, plot, PaletteColor(0));
        const QRect shortBar = BoundsOf(image, plot, PaletteColor(1));
        QCOMPARE(shortBar.top(), longBar.top());
        QCOMPARE(shortBar.height(), 7);
        QVERIFY(qAbs(shortBar.width() - longBar.width() / 5.0) <= 2);
        const int row = longBar.center().y();
        QCOMPARE(At(image, longBar.left() + 2, row), PaletteColor(0).rgb() & RGB_MASK);
        QCOMPARE(At(image, shortBar.center().x(), row), PaletteColor(1).rgb() & RGB_MASK);
        QCOMPARE(At(image, longBar.right() - 2, row), PaletteColor(0).rgb() & RGB_MASK);
    }

    void barsNarrowerThanAPixelKeepTheTallestOfEachColumn()
    {
        ChartWidget chart;
        chart.resize(1000, 700);
        BarSeries &series = AddNumbered(chart);
        for (int i = 0; i < 100000; ++i)
            series.Add(i, i == 50000 ? 100 : 1);
        const QImage image = Render(chart);
        const QRect plot = chart.PlotRect();
        int spikes = 0;
        for (int x = plot.left(); x <= plot.right(); ++x)
            spikes += At(image, x, plot.top()) != 0xFFFFFF;
        QCOMPARE(spikes, 1);
        const QRect spike = BoundsOf(image, plot.adjusted(0, 0, 0, -plot.height() / 2),
                                     PaletteColor(50000 % kPaletteSize));
        QVERIFY(qAbs(spike.center().x() - plot.center().x()) <= 2);
        // Every column of the plot shows its bars at one per cent height.
        for (int x = plot.left() + 1; x < plot.right(); ++x)
            QVERIFY(At(image, x, plot.bottom()) != 0xFFFFFF);
    }

    void dateTimeBarsStandAtTheirMoments()
    {
        ChartWidget chart;
        chart.resize(800, 500);
        BarSeries &stats = AddTimed(chart);
        stats.Add(kStart.addSecs(180), 30);
        stats.Add(kStart, 10);
        stats.Add(kStart.addSecs(60), 20);
        const QImage image = Render(chart);
        const QRect plot = chart.PlotRect();
        // One minute apart at the closest, so the axis spans four minutes.
        const double minute = plot.width() / 4.0;
        const double centres[] = {0.5, 1.5, 3.5};
        for (int i = 0; i < 3; ++i) {
            const QRect bar = BoundsOf(image, plot, PaletteColor(i));
            QVERIFY(qAbs(bar.center().x() - (plot.left() + centres[i] * minute)) <= 1.5);
            QVERIFY(qAbs(bar.height() - plot.height() * (i + 1) / 3.0) <= 1.5);
        }
        QVERIFY(!chart.HorizontalTicks().empty());
        for (const AxisTick &tick : chart.HorizontalTicks())
            QVERIFY2(QTime::fromString(tick.text, QStringLiteral("hh:mm:ss")).isValid(),
                     qPrintable(tick.text));
    }

    void verticalLabelsFollowTheSeriesNumberFormat()
    {
        ChartWidget chart;
        chart.resize(600, 600);
        BarSeries &series = AddNumbered(chart);
        series.Add(0, 1.2);
        series.Add(1, 2.7);
        QStringList texts;
        for (const AxisTick &tick : chart.VerticalTicks()) {
            bool whole = false;
            tick.text.toInt(&whole);
            QVERIFY2(whole, qPrintable(tick.text));
            texts << tick.text;
        }
        QCOMPARE(texts, QStringList({"0", "1", "2"}));
    }

    void numberFormats_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("###0 zero") << "###0" << 0.0 << "0";
        QTest::newRow("###0 rounds") << "###0" << 1234.6 << "1235";
        QTest::newRow("### zero is blank") << "###" << 0.0 << "";
        QTest::newRow("### small") << "###" << 7.0 << "7";
        QTest::newRow("default grouped") << "" << 1234567.891 << "1,234,567.891";
        QTest::newRow("default trims") << "" << 2.5 << "2.5";
        QTest::newRow("no minus zero") << "" << -0.0001 << "0";
        QTest::newRow("negative") << "" << -1500.0 << "-1,500";
        QTest::newRow("fixed decimals") << "0.00" << 3.1 << "3.10";
    }
    void numberFormats()
    {
        QFETCH(QString, format);
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(FormatNumber(value, format, QLocale::c()), text);
    }
};

QTEST_MAIN(ChartTest)
#include "test_chart.moc"
