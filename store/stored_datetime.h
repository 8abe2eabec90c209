#pragma once
// DATETIME columns hold whole seconds of the local wall-clock time, counted
// from 1970-01-01 00:00:00 as if that clock had no time zone. Values then add
// and compare exactly, and no daylight-saving shift can make two moments equal.

#include <QDateTime>
#include <QTimeZone>

inline qint64 StoredDateTime(const QDateTime &local)
{
    return QDateTime(local.date(), local.time(), QTimeZone::utc()).toSecsSinceEpoch();
}

inline QDateTime DateTimeFromStored(qint64 seconds)
{
    const QDateTime utc = QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc());
    return QDateTime(utc.date(), utc.time());
}
