#pragma once
// The answer to a query of the performance data, shared by the service and
// the in-process reading of this computer. Only "230" and "Global" are
// served; both give the process object.

#include "perfd/proc_scanner.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

// A built block, shared without a copy by every answer that sends it.
using PerfBlock = std::shared_ptr<const std::string>;

struct PerfQueryResult {
    long status = 0; // kSuccess, kMoreData or kFileNotFound
    PerfBlock block; // the whole block for kSuccess and kMoreData
};

// This computer's block, read from procDir now.
PerfBlock ScanPerfBlock(const std::string &procDir, ScanOptions options = {});

// An offer over 64 MiB counts as 64 MiB. block is called only for a name
// that is served.
PerfQueryResult AnswerPerfQuery(std::string_view valueName, std::uint32_t offered,
                                const std::function<PerfBlock()> &block);
PerfQueryResult AnswerPerfQuery(std::string_view valueName, std::uint32_t offered,
                                const std::string &procDir);
