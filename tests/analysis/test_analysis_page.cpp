// The analysis page as a user drives it: the selectors run the statement and
// the chart on the page shows one series, read back from a rendered image.
#include "../app/app_fixture.h"
#include "../chart/chart_image.h"
#include "../input/user_input.h"
#include "ui/chart/chart_palette.h"
#include "ui/db_lookup_combo_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

using namespace UserInput;

class AnalysisPage : public QObject {
    Q_OBJECT
    const QDate day{2026, 5, 10};
    AppFixture *app = nullptr;
    TfrmMain *window = nullptr;
    ChartWidget *chart = nullptr;

    void Choose(int mainType, int kind)
    {
        ChooseWithMouse(window->cbMainType, mainType);
        ChooseWithKeys(window->cbAnalyze, kind);
    }
    void Click(QCheckBox *box)
    {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        Settle();
    }
    // As the keyboard does it: click into the picker, Tab to its day, type it.
    void TypeDay(QDateTimeEdit *picker, int day)
    {
        QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(6, picker->height() / 2));
        for (int i = 0; i < picker->sectionCount() && picker->currentSection() != QDateTimeEdit::DaySection; ++i)
            QTest::keyClick(picker, Qt::Key_Tab);
        QCOMPARE(picker->currentSection(), QDateTimeEdit::DaySection);
        QTest::keyClicks(picker, QString::number(day));
        Settle();
    }
    QList<int> Shown() const
    {
        QList<int> active;
        for (int i = 0; i < chart->SeriesCount(); ++i)
            if (chart->Series(i).IsActive()) active << i;
        return active;
    }
    QStringList LegendLabels() const
    {
        QStringList labels;
        for (const LegendEntry &entry : chart->LegendEntries())
            labels << entry.label;
        return labels;
    }
    // The palette colours painted inside the plot, each with its bounds.
    QList<QRect> PaletteBars(const QImage &image, int count) const
    {
        QList<QRect> bars;
        for (int i = 0; i < count; ++i)
            bars << BoundsOf(image, chart->PlotRect(), PaletteColor(i));
        return bars;
    }
    bool PlotShowsNoPoint(const QImage &image) const
    {
        for (const QRect &bar : PaletteBars(image, kPaletteSize))
            if (!bar.isEmpty()) return false;
        return true;
    }

private slots:
    void init()
    {
        app = new AppFixture;
        const StoreFixture &store = app->store;
        store.Sql(QStringLiteral("insert into t__computers (NAME) values ('alpha'), ('beta');"
                                 "insert into t__process (NAME, TYPE_ID) values ('big', 1), ('small', 1), ('mid', 2);"));
        store.AddBlock(1, 1, QDateTime(day, QTime(0, 0)));
        store.AddRow(1, 1, 10, 9000);
        store.AddRow(1, 2, 11, 100);
        store.AddBlock(2, 2, QDateTime(day, QTime(12, 0)));
        store.AddRow(2, 3, 12, 500);
        store.AddRow(2, 2, 11, 300);
        store.AddBlock(3, 1, QDateTime(day.addDays(1), QTime(0, 0)));
        store.AddRow(3, 1, 10, 1000);
        app->Start();
        window = app->window.get();
        chart = window->dbcAnalyze;
        window->resize(1000, 760);
        QVERIFY(ShowActive(window));
        ClickTab(window->pctlMain, 3);
    }
    void cleanup() { delete app; }

    void memoryBarsStandInPaletteOrderWithTheirLegend()
    {
        Choose(0, 0);
        QVERIFY(app->errors.isEmpty());
        QCOMPARE(Shown(), QList<int>({0}));
        const QImage image = Render(*chart);
        const QList<QRect> bars = PaletteBars(image, 3); // small 200, mid 500, big 5000
        for (const QRect &bar : bars) {
            QVERIFY(!bar.isEmpty());
            QCOMPARE(bar.bottom(), chart->PlotRect().bottom());
        }
        QVERIFY(bars[0].center().x() < bars[1].center().x() && bars[1].center().x() < bars[2].center().x());
        QCOMPARE(bars[2].top(), chart->PlotRect().top());
        QVERIFY(qAbs(bars[1].height() - bars[2].height() / 10.0) <= 1.5);
        QCOMPARE(LegendLabels(), QStringList({"big", "mid", "small"}));
        QCOMPARE(chart->LegendEntries().front().colorIndex, 2);
        QVERIFY(chart->LegendRect().top() > chart->PlotRect().bottom());
        QVERIFY(!BoundsOf(image, chart->LegendEntries().front().box, PaletteColor(2)).isEmpty());
    }

    void everyModeAndKindShowsItsOwnSeriesAlone()
    {
        const QList<QList<int>> expected = {{0, 1, 2}, {3, 4, 2}}; // by mode, then kind
        for (int mode = 0; mode < 2; ++mode)
            for (int kind = 0; kind < 3; ++kind) {
                Choose(mode, kind);
                QCOMPARE(Shown(), QList<int>({expected[mode][kind]}));
                QVERIFY(chart->Series(expected[mode][kind]).Count() > 0);
            }
        QVERIFY(app->errors.isEmpty());
    }

    void statisticsPaintBarsButListNothing()
    {
        Choose(1, 1);
        QCOMPARE(chart->Series(4).Count(), 3); // one bar per collection time
        QVERIFY(chart->LegendEntries().empty());
        const QImage image = Render(*chart);
        const QList<QRect> bars = PaletteBars(image, 3);
        QVERIFY(bars[0].right() < bars[1].left() && bars[1].right() < bars[2].left());
        QCOMPARE(bars[0].height(), chart->PlotRect().height()); // two processes in each block
    }

    void timelineDrawsOneBarPerProcessRun()
    {
        Choose(0, 2);
        QCOMPARE(chart->Series(2).Count(), 3);
        QCOMPARE(LegendLabels().size(), 3);
        QVERIFY(LegendLabels().contains(QStringLiteral("small")));
        const QImage image = Render(*chart);
        for (const QRect &bar : PaletteBars(image, 3)) {
            QVERIFY(!bar.isEmpty());
            QCOMPARE(bar.height(), 7);
        }
    }

    // Each bar spans its instance's first and last snapshot on the time axis,
    // numbered in the statement's order and named from the catalogue.
    void timelineBarsSpanTheirSnapshotsWithTheirNames()
    {
        Choose(0, 2);
        const auto &points = static_cast<GanttSeries &>(chart->Series(2)).Points();
        const QDateTime midnight(day, QTime(0, 0)), noon(day, QTime(12, 0));
        const QList<std::tuple<QDateTime, QDateTime, double, QString>> expected = {
            {midnight, midnight.addDays(1), 0, QStringLiteral("big")},
            {midnight, noon, 1, QStringLiteral("small")},
            {noon, noon, 2, QStringLiteral("mid")}};
        QCOMPARE(int(points.size()), expected.size());
        for (size_t i = 0; i < points.size(); ++i) {
            const auto &[start, end, row, label] = expected[qsizetype(i)];
            QCOMPARE(points[i].x, DateTimeValue(start));
            QCOMPARE(points[i].end, DateTimeValue(end));
            QCOMPARE(points[i].y, row);
            QCOMPARE(points[i].label, label);
        }
    }

    void oneComputerAndOneDayNarrowTheChart()
    {
        Choose(0, 0);
        Click(window->cbAllComputers);
        QCOMPARE(app->errors.size(), 1); // no computer chosen yet
        QVERIFY(Shown().isEmpty());
        QVERIFY(PlotShowsNoPoint(Render(*chart)));
        ChooseWithMouse(window->dbcbxComputers, 1);
        QCOMPARE(LegendLabels(), QStringList({"mid", "small"}));
        Click(window->cbAllComputers);
        Click(window->cbAllData);
        window->dtpAnalyze->setDateTime(QDateTime(day, QTime(18, 30)));
        TypeDay(window->dtpAnalyze, day.addDays(1).day());
        QCOMPARE(LegendLabels(), QStringList({"big"})); // the next midnight's block only
        window->dtpAnalyze->setDateTime(QDateTime(day.addDays(7), QTime(9, 0)));
        QCOMPARE(Shown(), QList<int>({0}));
        QCOMPARE(chart->Series(0).Count(), 0);
        QVERIFY(chart->LegendEntries().empty());
        QVERIFY(PlotShowsNoPoint(Render(*chart)));
        QCOMPARE(app->errors.size(), 1);
    }

    void refusedStatementLeavesEverySeriesHidden()
    {
        Choose(0, 1);
        QCOMPARE(Shown(), QList<int>({1}));
        app->store.Sql(QStringLiteral("alter table t__data rename to t__data_old"));
        QTest::mouseClick(window->btnAnalizeRefresh, Qt::LeftButton);
        QCOMPARE(app->errors.size(), 1);
        QVERIFY2(app->errors[0].contains(QStringLiteral("t__data")), qPrintable(app->errors[0]));
        QVERIFY(Shown().isEmpty());
        QVERIFY(!app->module->adoqAnalyseByCount.Active());
        QVERIFY(PlotShowsNoPoint(Render(*chart)));
    }
};

QTEST_MAIN(AnalysisPage)
#include "test_analysis_page.moc"
