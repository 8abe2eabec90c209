#pragma once
// The chart's series hold plain values that the caller adds row by row. Each
// keeps its points in ascending order of their horizontal value; points with
// equal values keep the order they were added in.

#include <QColor>
#include <QDateTime>
#include <QString>
#include <algorithm>
#include <functional>
#include <vector>

enum class HorizontalScale { Number, DateTime };

// Date-times sit on the axis by their wall-clock reading in milliseconds, so
// day ticks fall on local midnights and every day is 24 hours long.
double DateTimeValue(const QDateTime &moment);
// The same for a wall-clock reading held as seconds from 1970-01-01 00:00.
double WallClockValue(qint64 seconds);
QDateTime DateTimeOfValue(double value);

class ChartSeries
{
public:
    ChartSeries(QString name, QString title, QColor color, QString numberFormat);
    virtual ~ChartSeries() = default;
    ChartSeries(const ChartSeries &) = delete;
    ChartSeries &operator=(const ChartSeries &) = delete;

    const QString &Name() const { return name_; }
    const QString &Title() const { return title_; }
    // The series' own colour; its points are painted in the palette's colours.
    QColor Color() const { return color_; }
    // The picture of the vertical values (see number_format.h); empty for the default.
    const QString &NumberFormat() const { return numberFormat_; }
    QString FormatValue(double value) const;

    bool IsActive() const { return active_; }
    void SetActive(bool active);
    bool ShowInLegend() const { return showInLegend_; }
    void SetShowInLegend(bool show);

    virtual HorizontalScale Scale() const = 0;
    virtual int Count() const = 0;
    // The label of the point at this position in horizontal order.
    virtual QString Label(int index) const = 0;
    virtual void Clear() = 0;

    // The chart's hook, run after every change to what is drawn.
    void SetChangeHandler(std::function<void()> handler) { changed_ = std::move(handler); }

protected:
    void Changed() const;

private:
    QString name_;
    QString title_;
    QColor color_;
    QString numberFormat_;
    bool active_ = false;
    bool showInLegend_ = true;
    std::function<void()> changed_;
};

// Appends in row order and sorts only when asked for the points after an
// out-of-order append, so filling stays linear for rows that come sorted.
template <class Point> class OrderedPoints
{
public:
    void Add(Point point)
    {
        if (!points_.empty() && point.x < points_.back().x) sorted_ = false;
        points_.push_back(std::move(point));
    }
    const std::vector<Point> &Sorted() const
    {
        if (!sorted_) {
            std::stable_sort(points_.begin(), points_.end(),
                             [](const Point &a, const Point &b) { return a.x < b.x; });
            sorted_ = true;
        }
        return points_;
    }
    int Count() const { return int(points_.size()); }
    void Clear()
    {
        points_.clear();
        sorted_ = true;
    }

private:
    mutable std::vector<Point> points_;
    mutable bool sorted_ = true;
};

struct BarPoint {
    double x;
    double y;
    QString label;
};

class BarSeries : public ChartSeries
{
public:
    BarSeries(QString name, QString title, QColor color, QString numberFormat,
              HorizontalScale scale);

    void Add(double x, double y, const QString &label = QString());
    void Add(const QDateTime &x, double y, const QString &label = QString());
    const std::vector<BarPoint> &Points() const { return points_.Sorted(); }

    HorizontalScale Scale() const override { return scale_; }
    int Count() const override { return points_.Count(); }
    QString Label(int index) const override;
    void Clear() override;

private:
    HorizontalScale scale_;
    OrderedPoints<BarPoint> points_;
};

// One bar of a timeline, drawn on the row given by its vertical value. A bar
// never has a follow-on task.
struct GanttPoint {
    double x; // start
    double end;
    double y;
    QString label;
};

class GanttSeries : public ChartSeries
{
public:
    GanttSeries(QString name, QString title, QColor color, QString numberFormat);

    void Add(const QDateTime &start, const QDateTime &end, double row, const QString &label);
    // Start and end as horizontal values (DateTimeValue).
    void Add(double start, double end, double row, const QString &label);
    const std::vector<GanttPoint> &Points() const { return points_.Sorted(); }

    HorizontalScale Scale() const override { return HorizontalScale::DateTime; }
    int Count() const override { return points_.Count(); }
    QString Label(int index) const override;
    void Clear() override;

private:
    OrderedPoints<GanttPoint> points_;
};
