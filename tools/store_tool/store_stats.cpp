#include "tools/store_tool/store_stats.h"

#include "store/statement.h"
#include "store/stored_datetime.h"
#include "tools/store_tool/store_file.h"

#include <sqlite3.h>

namespace {

QDateTime StoredOrNone(sqlite3_stmt *row, int column)
{
    return sqlite3_column_type(row, column) == SQLITE_NULL ? QDateTime()
                                                          : DateTimeFromStored(sqlite3_column_int64(row, column));
}

QString TimeOrNone(const QDateTime &time)
{
    return time.isValid() ? time.toString(Qt::ISODate) : QStringLiteral("none");
}

} // namespace

StoreStats ReadStats(StoreFile &store)
{
    StoreStats stats;
    store.Execute(QStringLiteral("BEGIN")); // the counts of one moment
    stats.rows = store.Scalar(QStringLiteral("select count(*) from t__data"));
    stats.blocks = store.Scalar(QStringLiteral("select count(*) from t__blocks"));
    stats.computers = store.Scalar(QStringLiteral("select count(*) from t__computers"));
    stats.processNames = store.Scalar(QStringLiteral("select count(*) from t__process"));
    {
        Statement span(store.Handle(), QStringLiteral("select min(DATETIME), max(DATETIME) from t__blocks"));
        if (span.Step()) {
            stats.firstSnapshot = StoredOrNone(span.Handle(), 0);
            stats.lastSnapshot = StoredOrNone(span.Handle(), 1);
        }
    }
    stats.bytes = store.Scalar(QStringLiteral("PRAGMA page_count")) * store.Scalar(QStringLiteral("PRAGMA page_size"));
    store.Execute(QStringLiteral("COMMIT"));
    return stats;
}

QString StoreStats::Text() const
{
    const QString perRow = rows > 0 ? QString::number(double(bytes) / double(rows), 'f', 1) : QStringLiteral("-");
    return QStringLiteral("Rows: %1\nSnapshots: %2\nComputers: %3\nProcess names: %4\n"
                          "First snapshot: %5\nLast snapshot: %6\nStore size: %7 bytes\nBytes per row: %8\n")
        .arg(rows)
        .arg(blocks)
        .arg(computers)
        .arg(processNames)
        .arg(TimeOrNone(firstSnapshot), TimeOrNone(lastSnapshot))
        .arg(bytes)
        .arg(perRow);
}
