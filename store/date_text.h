#pragma once
// The general date-time text of the user's locale: the short date format,
// then, unless the time of day is exactly midnight, a blank and the long time
// format. Statements carry dates in this form and the store's DateValue and
// TimeValue read it back, so it must round-trip: the year is always written
// with four digits and the time zone is left out.

#include <QDateTime>
#include <QLocale>
#include <optional>

QString ShortDateFormat(const QLocale &locale = QLocale());
QString LongTimeFormat(const QLocale &locale = QLocale());

QString DateTimeText(const QDateTime &value, const QLocale &locale = QLocale());

// Reads a text written by DateTimeText (a date with or without a time of day),
// or a time of day alone. Nothing when the text is neither.
std::optional<QDateTime> ParseDateTimeText(const QString &text, const QLocale &locale = QLocale());
