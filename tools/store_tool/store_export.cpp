#include "tools/store_tool/store_export.h"

#include "store/statement.h"
#include "store/stored_datetime.h"
#include "tools/store_tool/store_file.h"

#include <sqlite3.h>

namespace {

QByteArray TimeText(sqlite3_stmt *block, int column)
{
    if (sqlite3_column_type(block, column) == SQLITE_NULL)
        return {};
    return DateTimeFromStored(sqlite3_column_int64(block, column)).toString(Qt::ISODate).toUtf8();
}

qint64 ExportBlocks(StoreFile &store, const BlockFilter &filter, RowWriter &writer)
{
    Statement blocks(store.Handle(), QStringLiteral("select b.ID, b.DATETIME, c.NAME from t__blocks b "
                                                    "left join t__computers c on c.ID = b.COMPUTER_ID "
                                                    "where 1 = 1%1 order by b.ID")
                                         .arg(filter.Conditions()));
    Statement rows(store.Handle(), QStringLiteral("select p.NAME, d.PID, d.PARENTPID, d.MEMORY, d.PRIORITY, d.THREADS "
                                                  "from t__data d left join t__process p on p.ID = d.PROCESS_ID "
                                                  "where d.BLOCK_ID = ?1 order by d.ID"));
    qint64 written = 0;
    while (blocks.Step()) {
        sqlite3_stmt *block = blocks.Handle();
        const QByteArray time = TimeText(block, 1);
        const auto *name = reinterpret_cast<const char *>(sqlite3_column_text(block, 2));
        const std::string computer = name ? name : "";
        rows.Reset();
        rows.Bind(1, sqlite3_column_int64(block, 0));
        for (; rows.Step(); ++written)
            writer.Row(computer, std::string_view(time.constData(), std::size_t(time.size())), rows.Handle());
    }
    return written;
}

} // namespace

qint64 ExportRows(StoreFile &store, const BlockFilter &filter, ExportFormat format, std::FILE *out)
{
    const std::unique_ptr<RowWriter> writer = RowWriter::For(format, out);
    writer->Begin();
    // One read transaction: the export is the store as of its start, while
    // the program goes on writing.
    store.Execute(QStringLiteral("BEGIN"));
    const qint64 written = ExportBlocks(store, filter, *writer);
    store.Execute(QStringLiteral("COMMIT"));
    writer->End();
    return written;
}
