#pragma once
// The published layout of a performance data block, as far as the service
// writes it and the program reads it. Offsets count from the start of their
// structure; every field is little-endian and 4 bytes wide unless said.

#include <array>
#include <cstdint>

namespace perf_layout
{

// PERF_DATA_BLOCK, followed by the system name.
namespace data_block
{
inline constexpr std::uint32_t kSignature = 0; // "PERF" in UTF-16
inline constexpr std::uint32_t kLittleEndian = 8, kVersion = 12, kRevision = 16;
inline constexpr std::uint32_t kTotalByteLength = 20, kHeaderLength = 24, kNumObjectTypes = 28;
inline constexpr std::uint32_t kDefaultObject = 32;
inline constexpr std::uint32_t kSystemTime = 36; // eight 16-bit fields
inline constexpr std::uint32_t kPerfTime = 56, kPerfFreq = 64, kPerfTime100nSec = 72; // 8 bytes
inline constexpr std::uint32_t kSystemNameLength = 80, kSystemNameOffset = 84;
inline constexpr std::uint32_t kSize = 88;
} // namespace data_block

// PERF_OBJECT_TYPE: then its counter definitions from HeaderLength, its
// instances from DefinitionLength.
namespace object_type
{
inline constexpr std::uint32_t kTotalByteLength = 0, kDefinitionLength = 4, kHeaderLength = 8;
inline constexpr std::uint32_t kObjectNameTitleIndex = 12, kObjectHelpTitleIndex = 20;
inline constexpr std::uint32_t kDetailLevel = 28, kNumCounters = 32, kNumInstances = 40;
inline constexpr std::uint32_t kPerfTime = 48, kPerfFreq = 56; // 8 bytes
inline constexpr std::uint32_t kSize = 64;
} // namespace object_type

// PERF_COUNTER_DEFINITION: where a counter's value stands in a counter block.
namespace counter_definition
{
inline constexpr std::uint32_t kByteLength = 0, kCounterNameTitleIndex = 4;
inline constexpr std::uint32_t kCounterHelpTitleIndex = 12, kDetailLevel = 24;
inline constexpr std::uint32_t kCounterType = 28, kCounterSize = 32, kCounterOffset = 36;
inline constexpr std::uint32_t kSize = 40;
} // namespace counter_definition

// PERF_INSTANCE_DEFINITION, followed by its name; its counter block starts
// ByteLength on.
namespace instance_definition
{
inline constexpr std::uint32_t kByteLength = 0, kUniqueId = 12, kNameOffset = 16, kNameLength = 20;
inline constexpr std::uint32_t kSize = 24;
} // namespace instance_definition

// PERF_COUNTER_BLOCK: its own length, then the values.
namespace counter_block
{
inline constexpr std::uint32_t kByteLength = 0;
} // namespace counter_block

inline constexpr std::uint32_t kRawCount = 0x00010000;      // PERF_COUNTER_RAWCOUNT
inline constexpr std::uint32_t kLargeRawCount = 0x00010100; // PERF_COUNTER_LARGE_RAWCOUNT
inline constexpr std::uint32_t kDetailNovice = 100;         // PERF_DETAIL_NOVICE
inline constexpr std::uint32_t kNoUniqueId = 0xFFFFFFFF;    // PERF_NO_UNIQUE_ID

// The process object and the title indexes of the counters a process record
// takes, with the offsets at which computers of old laid them out. A process
// object that lists no counter definitions is read at these offsets.
inline constexpr std::uint32_t kProcessObject = 230;

struct ProcessCounter {
    std::uint32_t titleIndex;
    std::uint32_t fixedOffset; // 4 bytes there
};

namespace process_counter
{
inline constexpr ProcessCounter kIdProcess{784, 96};
inline constexpr ProcessCounter kCreatingProcessId{1410, 100};
inline constexpr ProcessCounter kWorkingSet{180, 52};
inline constexpr ProcessCounter kThreadCount{680, 80};
inline constexpr ProcessCounter kPriorityBase{682, 84};
} // namespace process_counter

// In the order of the record's fields: PID, ParentPID, Memory, Threads, Priority.
inline constexpr std::array<ProcessCounter, 5> kProcessCounters{
    process_counter::kIdProcess, process_counter::kCreatingProcessId, process_counter::kWorkingSet,
    process_counter::kThreadCount, process_counter::kPriorityBase};

// Just past the last fixed value: a counter block read at the fixed offsets
// holds at least this much.
inline constexpr std::uint32_t kFixedCounterBlockEnd = 104;

} // namespace perf_layout
