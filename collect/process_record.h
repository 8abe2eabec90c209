#pragma once
// The values kept of one running process, as the reader takes them from a
// computer's performance data.

#include <QString>
#include <cstdint>
#include <vector>

struct TProcessRecord {
    // The instance name in the locale's narrow encoding, decoded back: what
    // that encoding cannot hold has become "?".
    QString Name;
    std::int32_t PID = 0;
    std::int32_t ParentPID = 0;
    std::int32_t Memory = 0;
    std::int32_t Threads = 0;
    std::int32_t Priority = 0;

    friend bool operator==(const TProcessRecord &, const TProcessRecord &) = default;
};

// The records of one process object, in instance order.
using TProcessGroup = std::vector<TProcessRecord>;
