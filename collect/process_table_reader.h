#pragma once
// Reads the process table of a named computer from its performance data:
// the groups of its process objects, empty when the data cannot be had.
// Failures of the remote side are never reported otherwise.

#include "perfdata/process_record.h"
#include "platform/perf_data.h"

#include <QString>

// A reading's groups, or why there are none: the platform's status of the
// step that failed, kSuccess when the data held no process instance.
struct ReadingOutcome {
    std::vector<TProcessGroup> groups;
    perf_data::Status status = perf_data::kSuccess;
};

// Why a reading gave no groups, in an administrator's words.
QString ReadingFailure(const ReadingOutcome &outcome);

class TProcessTableReader
{
public:
    static constexpr std::uint32_t kFirstOffer = 65535;
    static constexpr std::uint32_t kGrowth = 10240;
    // A platform that asks for more than perf_data::kLargestAnswer, or still
    // asks for more after this many queries, gets no reading. A real one
    // answers the second.
    static constexpr int kMostQueries = 6;

    explicit TProcessTableReader(perf_data::Source &source) : source_(source) {}

    // An empty name is the local computer.
    ReadingOutcome Read(const QString &computerName);

private:
    perf_data::Source &source_;
};

// Reads through the platform's performance data; a remote computer's
// reading ends, empty, once its bounds are spent.
ReadingOutcome ReadProcessTable(const QString &ComputerName, const perf_data::Bounds &bounds);
