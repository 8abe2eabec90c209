#include "ui/chart/number_format.h"

#include <algorithm>
#include <cmath>

namespace
{

struct Picture {
    int minWhole = 0;
    bool grouped = false;
    int minDecimals = 0;
    int maxDecimals = 0;
};

Picture ReadPicture(const QString &format)
{
    const QString &text = format.isEmpty() ? kDefaultNumberFormat : format;
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    const QString whole = dot < 0 ? text : text.left(dot);
    const QString decimals = dot < 0 ? QString() : text.mid(dot + 1);
    Picture picture;
    picture.minWhole = int(whole.count(QLatin1Char('0')));
    picture.grouped = whole.contains(QLatin1Char(','));
    picture.minDecimals = int(decimals.count(QLatin1Char('0')));
    picture.maxDecimals = picture.minDecimals + int(decimals.count(QLatin1Char('#')));
    return picture;
}

QString GroupThousands(QString digits, const QLocale &locale)
{
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, locale.groupSeparator());
    return digits;
}

} // namespace

QString FormatNumber(double value, const QString &format, const QLocale &locale)
{
    const Picture picture = ReadPicture(format);
    const QString fixed = QString::number(std::fabs(value), 'f', picture.maxDecimals);
    const qsizetype dot = fixed.indexOf(QLatin1Char('.'));
    QString whole = dot < 0 ? fixed : fixed.left(dot);
    QString decimals = dot < 0 ? QString() : fixed.mid(dot + 1);
    while (decimals.size() > picture.minDecimals && decimals.endsWith(QLatin1Char('0')))
        decimals.chop(1);
    while (whole.startsWith(QLatin1Char('0')))
        whole.remove(0, 1);
    if (whole.size() < picture.minWhole)
        whole = QString(picture.minWhole - whole.size(), QLatin1Char('0')) + whole;
    if (picture.grouped) whole = GroupThousands(whole, locale);

    QString text = decimals.isEmpty() ? whole : whole + locale.decimalPoint() + decimals;
    const bool shownAsZero =
        std::none_of(text.begin(), text.end(), [](QChar c) { return c.isDigit() && c != u'0'; });
    if (value < 0 && !shownAsZero) text.prepend(locale.negativeSign());
    return text;
}

bool IsWholeNumberFormat(const QString &format)
{
    return ReadPicture(format).maxDecimals == 0;
}
