#include "perfd/perf_query.h"

#include "perfd/perf_block_writer.h"
#include "perfdata/perf_exchange.h"

#include <algorithm>
#include <climits>
#include <unistd.h>

namespace
{

std::string HostName()
{
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

} // namespace

PerfBlock ScanPerfBlock(const std::string &procDir, ScanOptions options)
{
    return std::make_shared<const std::string>(
        BuildPerfDataBlock(ScanProcesses(procDir, options), HostName()));
}

PerfQueryResult AnswerPerfQuery(std::string_view valueName, std::uint32_t offered,
                                const std::function<PerfBlock()> &block)
{
    if (valueName != "230" && valueName != "Global") return {perf_data::kFileNotFound, {}};
    PerfBlock built = block();
    const std::uint32_t offer = std::min(offered, perf_data::kLargestAnswer);
    const long status =
        std::uint32_t(built->size()) <= offer ? perf_data::kSuccess : perf_data::kMoreData;
    return {status, std::move(built)};
}

PerfQueryResult AnswerPerfQuery(std::string_view valueName, std::uint32_t offered,
                                const std::string &procDir)
{
    return AnswerPerfQuery(valueName, offered, [&procDir] { return ScanPerfBlock(procDir); });
}
