#include "store/date_text.h"

#include <QRegularExpression>

QString ShortDateFormat(const QLocale &locale)
{
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QRegularExpression(QStringLiteral("y+")), QStringLiteral("yyyy"));
    return format;
}

QString LongTimeFormat(const QLocale &locale)
{
    QString format = locale.timeFormat(QLocale::LongFormat);
    // Time zone names do not parse back reliably and stored times have none.
    format.remove(QRegularExpression(QStringLiteral("\\s*\\(?t+\\)?")));
    return format.trimmed();
}

QString DateTimeText(const QDateTime &value, const QLocale &locale)
{
    QString text = locale.toString(value.date(), ShortDateFormat(locale));
    if (value.time() != QTime(0, 0))
        text += QLatin1Char(' ') + locale.toString(value.time(), LongTimeFormat(locale));
    return text;
}

std::optional<QDateTime> ParseDateTimeText(const QString &text, const QLocale &locale)
{
    const QString trimmed = text.trimmed();
    const QString date = ShortDateFormat(locale);
    const QString time = LongTimeFormat(locale);
    const QDateTime full = locale.toDateTime(trimmed, date + QLatin1Char(' ') + time);
    if (full.isValid())
        return QDateTime(full.date(), full.time());
    const QDate day = locale.toDate(trimmed, date);
    if (day.isValid())
        return QDateTime(day, QTime(0, 0));
    const QTime clock = locale.toTime(trimmed, time);
    if (clock.isValid())
        return QDateTime(QDate(1899, 12, 30), clock);
    return std::nullopt;
}
