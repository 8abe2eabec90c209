#pragma once
// The integer conversion of the program's edits: decimal digits with an
// optional sign; anything else gives the fallback.

#include <QString>

inline qlonglong StrToIntDef(const QString &text, qlonglong fallback)
{
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok);
    return ok ? value : fallback;
}
