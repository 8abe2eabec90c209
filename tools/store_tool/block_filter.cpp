#include "tools/store_tool/block_filter.h"

#include <QStringList>

// Only numbers are written into the text, never what the user typed.
QString BlockFilter::Conditions() const
{
    QString sql;
    if (!computerIds.isEmpty()) {
        QStringList ids;
        for (qint64 id : computerIds)
            ids << QString::number(id);
        sql += QStringLiteral(" and COMPUTER_ID in (%1)").arg(ids.join(QLatin1Char(',')));
    }
    if (from)
        sql += QStringLiteral(" and DATETIME >= %1").arg(*from);
    if (to)
        sql += QStringLiteral(" and DATETIME <= %1").arg(*to);
    return sql;
}
