#include "perfd/perf_query.h"

#include "perfd/perf_block_writer.h"
#include "perfd/perfd_protocol.h"
#include "perfd/proc_scanner.h"
#include "platform/perf_data.h"

#include <QSysInfo>
#include <algorithm>

QByteArray ScanPerfBlock(const QString &procDir)
{
    return BuildPerfDataBlock(ScanProcesses(procDir), QSysInfo::machineHostName());
}

PerfQueryResult AnswerPerfQuery(const QByteArray &valueName, std::uint32_t offered,
                                const std::function<QByteArray()> &block)
{
    if (valueName != "230" && valueName != "Global") return {perf_data::kFileNotFound, {}};
    QByteArray built = block();
    const std::uint32_t offer = std::min(offered, perfd_protocol::kMaxOffer);
    const long status =
        std::uint32_t(built.size()) <= offer ? perf_data::kSuccess : perf_data::kMoreData;
    return {status, std::move(built)};
}

PerfQueryResult AnswerPerfQuery(const QByteArray &valueName, std::uint32_t offered,
                                const QString &procDir)
{
    return AnswerPerfQuery(valueName, offered, [&procDir] { return ScanPerfBlock(procDir); });
}
