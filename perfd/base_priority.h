#pragma once
// A Linux process's scheduling as the base priority a Windows computer gives
// its processes (higher is more favoured), so that a store holding both kinds
// of computer compares them column by column.

#include <cstdint>

inline constexpr std::int32_t kPriorityIdle = 4;
inline constexpr std::int32_t kPriorityBelowNormal = 6;
inline constexpr std::int32_t kPriorityNormal = 8;
inline constexpr std::int32_t kPriorityAboveNormal = 10;
inline constexpr std::int32_t kPriorityHigh = 13;
inline constexpr std::int32_t kPriorityRealtime = 24;

// policy and nice as /proc/PID/stat gives them (fields 41 and 19).
std::int32_t BasePriority(int policy, int nice);
