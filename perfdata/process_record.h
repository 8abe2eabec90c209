#pragma once
// The values kept of one running process, as the service writes them into
// performance data and the reader takes them out.

#include <cstdint>
#include <string>
#include <vector>

struct TProcessRecord {
    // UTF-8. The reader gives the instance name as the locale's narrow
    // encoding keeps it ("?" for what it cannot hold); the service gives the
    // kernel's bytes, which its writer makes valid.
    std::string Name;
    std::int32_t PID = 0;
    std::int32_t ParentPID = 0;
    std::int64_t Memory = 0; // bytes: the working set
    std::int32_t Threads = 0;
    std::int32_t Priority = 0;

    friend bool operator==(const TProcessRecord &, const TProcessRecord &) = default;
};

// The records of one process object, in instance order.
using TProcessGroup = std::vector<TProcessRecord>;
