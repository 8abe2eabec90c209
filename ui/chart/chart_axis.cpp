#include "ui/chart/chart_axis.h"

#include "ui/chart/chart_series.h"

#include <QLocale>
#include <array>
#include <cmath>

void AxisRange::Include(double value)
{
    min = std::min(min, value);
    max = std::max(max, value);
}

void AxisRange::Include(const AxisRange &other)
{
    if (other.IsEmpty()) return;
    Include(other.min);
    Include(other.max);
}

AxisMap::AxisMap(AxisRange range, double low, double high) : min_(range.min), low_(low)
{
    const double span = range.max - range.min;
    scale_ = span > 0 ? (high - low) / span : 0;
}

namespace
{

std::vector<double> MultiplesOf(double step, AxisRange range)
{
    std::vector<double> values;
    const double first = std::ceil(range.min / step - 1e-9) * step;
    for (double v = first; v <= range.max + step * 1e-9; v = first + double(values.size()) * step)
        values.push_back(v);
    return values;
}

constexpr double kSecond = 1000;
constexpr double kMinute = 60 * kSecond;
constexpr double kHour = 60 * kMinute;
constexpr double kDay = 24 * kHour;

} // namespace

std::vector<double> NumberTickValues(AxisRange range, int maxCount, bool wholeNumbers)
{
    const double span = range.max - range.min;
    if (range.IsEmpty() || span <= 0 || maxCount < 1) return {};
    const double raw = span / maxCount;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10 * magnitude;
    for (double factor : {1.0, 2.0, 5.0}) {
        if (factor * magnitude >= raw) {
            step = factor * magnitude;
            break;
        }
    }
    if (wholeNumbers) step = std::max(step, 1.0);
    return MultiplesOf(step, range);
}

DateTimeTicks DateTimeTickValues(AxisRange range, int maxCount)
{
    static constexpr std::array kSteps = {
        kSecond,     2 * kSecond, 5 * kSecond,  10 * kSecond, 15 * kSecond, 30 * kSecond, kMinute,
        2 * kMinute, 5 * kMinute, 10 * kMinute, 15 * kMinute, 30 * kMinute, kHour,        2 * kHour,
        3 * kHour,   6 * kHour,   12 * kHour,   kDay,         2 * kDay,     7 * kDay,     14 * kDay,
        30 * kDay,   91 * kDay,   182 * kDay,   365 * kDay,
    };
    const double span = range.max - range.min;
    if (range.IsEmpty() || span <= 0 || maxCount < 1) return {};
    const double raw = span / maxCount;
    double step = kSteps.back() * std::ceil(raw / kSteps.back());
    for (double candidate : kSteps) {
        if (candidate >= raw) {
            step = candidate;
            break;
        }
    }
    const QString format = step >= kDay      ? QString()
                           : step >= kMinute ? QStringLiteral("hh:mm")
                                             : QStringLiteral("hh:mm:ss");
    return {MultiplesOf(step, range), format};
}

QString DateTimeTickText(double value, const QString &format)
{
    const QDateTime moment = DateTimeOfValue(value);
    if (format.isEmpty()) return QLocale().toString(moment.date(), QLocale::ShortFormat);
    return moment.toString(format);
}
