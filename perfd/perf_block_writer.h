#pragma once
// Builds a performance data block in the published layout: one process
// object (title index 230) with one instance per process.

#include <cstdint>
#include <string>
#include <vector>

struct PerfProcess {
    std::string Name; // UTF-8, as the kernel gives it
    std::int32_t PID = 0;
    std::int32_t ParentPID = 0;
    std::int32_t Memory = 0;
    std::int32_t Threads = 0;
    std::int32_t Priority = 0;
};

// systemName is UTF-8; the block's bytes are returned.
std::string BuildPerfDataBlock(const std::vector<PerfProcess> &processes,
                               const std::string &systemName);
