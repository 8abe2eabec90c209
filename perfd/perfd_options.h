#pragma once
// The service's command line.

#include "perfd/ipv4.h"
#include "perfdata/perf_exchange.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr std::uint32_t kAnyIpv4 = 0;
inline constexpr Ipv4Network kLoopbackNetwork{0x7F000000, 8};

struct PerfdOptions {
    std::vector<std::uint32_t> listen; // empty: every IPv4 address
    std::uint16_t port = perf_data::kPort;
    std::vector<Ipv4Network> allow; // empty: 127.0.0.0/8
    std::string procDir = "/proc";
    std::chrono::milliseconds idle{30000}; // a silent connection is closed after this
    int maxConnections = 0;                // 0: as many as the descriptor limit leaves room for
    bool kernelThreads = false;
    bool help = false;
};

// arguments without the program's name. Raises PerfdError on a bad option.
PerfdOptions ParsePerfdOptions(const std::vector<std::string> &arguments);

extern const char *const kPerfdUsage;
