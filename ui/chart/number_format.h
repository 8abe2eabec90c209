#pragma once
// Number texts by a picture such as "###0", "###" or "#,##0.###": '0' is a
// digit always shown, '#' one shown only when significant, ',' groups the
// whole part by thousands, '.' starts the decimals. An empty picture means
// "#,##0.###". Separators come from the locale.

#include <QLocale>
#include <QString>

inline const QString kDefaultNumberFormat = QStringLiteral("#,##0.###");

QString FormatNumber(double value, const QString &format, const QLocale &locale = QLocale());

// True when the picture shows no decimals, so axis steps below 1 would repeat labels.
bool IsWholeNumberFormat(const QString &format);
