#pragma once
// Axis arithmetic: the value range, the linear map from values to pixels, and
// the ticks with their label texts.

#include <QString>
#include <functional>
#include <vector>

#include <limits>

// Empty until a value is included.
struct AxisRange {
    double min = std::numeric_limits<double>::infinity();
    double max = -std::numeric_limits<double>::infinity();
    void Include(double value);
    void Include(const AxisRange &other);
    bool IsEmpty() const { return min > max; }
};

// Maps value `range.min` to pixel `low` and `range.max` to pixel `high`
// (high may be below low, as on a vertical axis).
class AxisMap
{
public:
    AxisMap() = default;
    AxisMap(AxisRange range, double low, double high);
    double operator()(double value) const { return low_ + (value - min_) * scale_; }
    // Pixels per value unit; negative on a vertical axis.
    double Scale() const { return scale_; }

private:
    double min_ = 0;
    double low_ = 0;
    double scale_ = 1;
};

struct AxisTick {
    int pixel;
    QString text;
};

// Ticks on multiples of 1, 2 or 5 times a power of ten, at most maxCount of
// them; whole-number axes never step below 1.
std::vector<double> NumberTickValues(AxisRange range, int maxCount, bool wholeNumbers);

// Ticks on multiples of a step from one second to years (not calendar months).
struct DateTimeTicks {
    std::vector<double> values;
    QString format; // for QDateTime::toString; empty for the locale's short date
};
DateTimeTicks DateTimeTickValues(AxisRange range, int maxCount);

// The text of a date-time tick in the chosen format.
QString DateTimeTickText(double value, const QString &format);
