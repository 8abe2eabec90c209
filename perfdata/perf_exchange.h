#pragma once
// What every side of a performance data exchange agrees on: the registry's
// status numbers (Windows error numbers), the performance data key, the
// port that the remote registry and the stand-in service answer on, and the
// largest answer either side deals in.

#include <cstdint>

namespace perf_data
{

using Status = long;

inline constexpr std::uint32_t kPerformanceDataKey = 0x80000004; // HKEY_PERFORMANCE_DATA
inline constexpr Status kSuccess = 0;
inline constexpr Status kFileNotFound = 2;
inline constexpr Status kInvalidHandle = 6;
inline constexpr Status kBadNetPath = 53;
inline constexpr Status kMoreData = 234;
inline constexpr Status kCallFailed = 1726;

// SMB on a Windows computer, tarvenix-perfd on a Linux one; the probe asks
// whether a computer answers here.
inline constexpr std::uint16_t kPort = 445;

// No process table comes near it; a larger offer counts as this, a larger
// need gets no reading.
inline constexpr std::uint32_t kLargestAnswer = 64u * 1024 * 1024;

} // namespace perf_data
