#include "perfd/perf_query.h"

#include "perfd/perf_block_writer.h"
#include "perfd/perfd_protocol.h"
#include "perfd/proc_scanner.h"
#include "platform/perf_data.h"

#include <QSysInfo>
#include <algorithm>

PerfQueryResult AnswerPerfQuery(const QByteArray &valueName, std::uint32_t offered,
                                const QString &procDir)
{
    if (valueName != "230" && valueName != "Global") return {perf_data::kFileNotFound, {}};
    QByteArray block = BuildPerfDataBlock(ScanProcesses(procDir), QSysInfo::machineHostName());
    const std::uint32_t offer = std::min(offered, perfd_protocol::kMaxOffer);
    const long status =
        std::uint32_t(block.size()) <= offer ? perf_data::kSuccess : perf_data::kMoreData;
    return {status, std::move(block)};
}
