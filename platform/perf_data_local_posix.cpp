// This computer's performance data, built in-process from /proc by the same
// code that the stand-in service runs.
#include "perfd/perf_query.h"
#include "platform/perf_data_posix.h"

#include <cstring>

namespace perf_data
{
namespace
{

class LocalSession : public Session
{
public:
    Status Query(const std::string &valueName, unsigned char *data,
                 std::uint32_t &byteCount) override
    {
        const PerfQueryResult result = AnswerPerfQuery(valueName, byteCount, "/proc");
        if (result.status == kSuccess)
            std::memcpy(data, result.block->data(), result.block->size());
        if (result.status == kSuccess || result.status == kMoreData)
            byteCount = std::uint32_t(result.block->size());
        return result.status;
    }
};

} // namespace

Status OpenLocalSession(std::uint32_t predefinedKey, std::unique_ptr<Session> &session)
{
    if (predefinedKey != kPerformanceDataKey) return kInvalidHandle;
    session = std::make_unique<LocalSession>();
    return kSuccess;
}

} // namespace perf_data
