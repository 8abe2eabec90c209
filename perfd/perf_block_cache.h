#pragma once
// The service's block, shared by the queries that arrive within a short
// window of its scan: a flood of queries costs a few scans a second, not one
// scan per query, and a query after the window sees a fresh scan.

#include "perfd/perf_query.h"

#include <chrono>
#include <optional>

// Counted from the end of the scan, so a slow scan cannot run back to back.
inline constexpr std::chrono::milliseconds kScanShareWindow{250};

class PerfBlockCache
{
public:
    PerfBlockCache(std::string procDir, ScanOptions options)
        : procDir_(std::move(procDir)), options_(options)
    {
    }
    PerfBlock Block();

private:
    std::string procDir_;
    ScanOptions options_;
    PerfBlock block_;
    std::optional<std::chrono::steady_clock::time_point> scanned_; // none until the first scan
};
