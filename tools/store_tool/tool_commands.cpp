#include "tools/store_tool/tool_commands.h"

#include "store/stored_datetime.h"
#include "tools/store_tool/store_check.h"
#include "tools/store_tool/store_export.h"
#include "tools/store_tool/store_file.h"
#include "tools/store_tool/store_prune.h"
#include "tools/store_tool/store_stats.h"
#include "tools/store_tool/tool_options.h"

namespace {

void Print(std::FILE *to, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fflush(to);
}

double Seconds(std::chrono::microseconds span) { return double(span.count()) / 1e6; }

int Prune(StoreFile &store, const ToolOptions &options, std::FILE *out)
{
    const QDateTime cutoff = QDateTime::currentDateTime().addDays(-options.olderThanDays);
    BlockFilter filter;
    if (!options.computer.isEmpty())
        filter.computerIds = store.ComputerIds(options.computer);
    filter.to = StoredDateTime(cutoff) - 1; // older than the cutoff
    const PruneResult result = PruneBlocks(store, filter);
    Print(out, QStringLiteral("Deleted %1 snapshots and %2 rows taken before %3 in %4 s; "
                              "the longest hold of the store's lock was %5 s.\n")
                   .arg(result.blocks)
                   .arg(result.rows)
                   .arg(cutoff.toString(Qt::ISODate))
                   .arg(Seconds(result.elapsed), 0, 'f', 1)
                   .arg(Seconds(result.longestHold), 0, 'f', 3));
    return kDone;
}

int Export(StoreFile &store, const ToolOptions &options, std::FILE *out, std::FILE *log)
{
    BlockFilter filter;
    if (!options.computer.isEmpty())
        filter.computerIds = store.ComputerIds(options.computer);
    if (options.from)
        filter.from = StoredDateTime(*options.from);
    if (options.to)
        filter.to = StoredDateTime(*options.to);
    const qint64 rows = ExportRows(store, filter, options.format, out);
    Print(log, QStringLiteral("Exported %1 rows.\n").arg(rows));
    return kDone;
}

int Check(StoreFile &store, std::FILE *out)
{
    const CheckReport report = CheckStore(store);
    Print(out, report.Text());
    return report.Sound() ? kDone : kProblemsFound;
}

} // namespace

int RunToolCommand(const ToolOptions &options, std::FILE *out, std::FILE *log)
{
    const bool writes = options.command == QLatin1String("prune");
    StoreFile store(options.store, writes ? StoreFile::Access::Write : StoreFile::Access::Read, options.waitSeconds);
    return store.Run([&] {
        if (writes)
            return Prune(store, options, out);
        if (options.command == QLatin1String("export"))
            return Export(store, options, out, log);
        if (options.command == QLatin1String("check"))
            return Check(store, out);
        Print(out, ReadStats(store).Text());
        return int(kDone);
    });
}
