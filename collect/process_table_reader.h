#pragma once
// Reads the process table of a named computer from its performance data:
// the groups of its process objects, empty when the data cannot be had.
// Failures of the remote side are never reported otherwise.

#include "collect/process_record.h"

#include <QString>
#include <chrono>

namespace perf_data
{
class Source;
}

class TProcessTableReader
{
public:
    static constexpr std::uint32_t kFirstOffer = 65535;
    static constexpr std::uint32_t kGrowth = 10240;
    // A platform that asks for more than this, or still asks for more after
    // this many queries, gets no reading. A real one answers the second.
    static constexpr std::uint32_t kLargestBuffer = 64u * 1024 * 1024;
    static constexpr int kMostQueries = 6;

    explicit TProcessTableReader(perf_data::Source &source) : source_(source) {}

    // An empty name is the local computer.
    std::vector<TProcessGroup> Read(const QString &computerName);

private:
    perf_data::Source &source_;
};

// Reads through the platform's performance data; a remote computer's
// reading ends, empty, once the budget is spent.
std::vector<TProcessGroup> ReadProcessTable(const QString &ComputerName,
                                            std::chrono::milliseconds budget);
