#include "store/access_functions.h"

#include "store/date_text.h"
#include "store/stored_datetime.h"

#include <sqlite3.h>

namespace {

std::optional<QDateTime> Argument(sqlite3_context *context, sqlite3_value *value, const char *function)
{
    const auto *raw = reinterpret_cast<const char *>(sqlite3_value_text(value));
    const QString text = raw ? QString::fromUtf8(raw) : QString();
    auto parsed = ParseDateTimeText(text);
    if (!parsed) {
        const QByteArray message =
            QStringLiteral("%1: '%2' is not a valid date and time").arg(QLatin1String(function), text).toUtf8();
        sqlite3_result_error(context, message.constData(), int(message.size()));
    }
    return parsed;
}

void DateValue(sqlite3_context *context, int, sqlite3_value **values)
{
    if (sqlite3_value_type(values[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    if (const auto parsed = Argument(context, values[0], "DateValue"))
        sqlite3_result_int64(context, StoredDateTime(QDateTime(parsed->date(), QTime(0, 0))));
}

void TimeValue(sqlite3_context *context, int, sqlite3_value **values)
{
    if (sqlite3_value_type(values[0]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    if (const auto parsed = Argument(context, values[0], "TimeValue"))
        sqlite3_result_int64(context, parsed->time().msecsSinceStartOfDay() / 1000);
}

} // namespace

bool RegisterAccessFunctions(sqlite3 *db)
{
    // Deterministic: a call on a constant text is worked out once per run, so
    // a range on DATETIME can use its index. The date format they read is
    // the locale's, which does not change while a statement runs.
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    return sqlite3_create_function_v2(db, "DateValue", 1, flags, nullptr, DateValue, nullptr, nullptr,
                                      nullptr) == SQLITE_OK &&
           sqlite3_create_function_v2(db, "TimeValue", 1, flags, nullptr, TimeValue, nullptr, nullptr,
                                      nullptr) == SQLITE_OK;
}
