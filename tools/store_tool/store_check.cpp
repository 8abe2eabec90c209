#include "tools/store_tool/store_check.h"

#include "store/statement.h"
#include "tools/store_tool/store_file.h"

#include <sqlite3.h>

namespace {

constexpr int kMostIntegrityFindings = 20;

QStringList IntegrityFindings(StoreFile &store)
{
    Statement check(store.Handle(), QStringLiteral("PRAGMA integrity_check(%1)").arg(kMostIntegrityFindings));
    QStringList findings;
    while (check.Step())
        findings << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(check.Handle(), 0)));
    return findings;
}

} // namespace

CheckReport CheckStore(StoreFile &store)
{
    CheckReport report;
    report.integrity = IntegrityFindings(store);
    report.blocksWithoutRows = store.Scalar(QStringLiteral(
        "select count(*) from t__blocks b where not exists (select 1 from t__data d where d.BLOCK_ID = b.ID)"));
    report.blocksWithoutComputer = store.Scalar(QStringLiteral(
        "select count(*) from t__blocks b where not exists (select 1 from t__computers c where c.ID = b.COMPUTER_ID)"));
    // Both links of every row in one pass over the rows.
    Statement rows(store.Handle(), QStringLiteral("select coalesce(sum(b.ID is null), 0), coalesce(sum(p.ID is null), 0) "
                                                  "from t__data d left join t__blocks b on b.ID = d.BLOCK_ID "
                                                  "left join t__process p on p.ID = d.PROCESS_ID"));
    if (rows.Step()) {
        report.rowsWithoutBlocks = sqlite3_column_int64(rows.Handle(), 0);
        report.rowsWithoutName = sqlite3_column_int64(rows.Handle(), 1);
    }
    return report;
}

bool CheckReport::Sound() const
{
    return integrity == QStringList{QStringLiteral("ok")} && blocksWithoutRows == 0 && rowsWithoutBlocks == 0 &&
           rowsWithoutName == 0 && blocksWithoutComputer == 0;
}

QString CheckReport::Text() const
{
    QString text = QStringLiteral("Integrity: %1\n").arg(integrity.join(QStringLiteral("\n  ")));
    text += QStringLiteral("Snapshots without rows: %1\n").arg(blocksWithoutRows);
    text += QStringLiteral("Rows without a snapshot: %1\n").arg(rowsWithoutBlocks);
    text += QStringLiteral("Rows whose process name is not in the catalogue: %1\n").arg(rowsWithoutName);
    text += QStringLiteral("Snapshots of computers no longer listed: %1\n").arg(blocksWithoutComputer);
    text += Sound() ? QStringLiteral("The store is sound.\n") : QStringLiteral("The store has problems.\n");
    return text;
}
