#include "perfd/perf_block_writer.h"

#include "perfd/utf16_text.h"
#include "perfdata/perf_layout.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <limits>

namespace
{

using namespace perf_layout;
namespace block = data_block;
namespace object = object_type;
namespace definition = counter_definition;
namespace instance = instance_definition;

constexpr std::uint64_t kPerfFrequency = 10000000; // 100 ns ticks

// The counter block: the five 4-byte slots where readers by offset look for
// them, then the working set whole, where the definitions place it. The old
// slot keeps it cut to 2 GiB - 1 for readers by offset.
constexpr std::uint32_t kWholeWorkingSet = kFixedCounterBlockEnd;
constexpr int kCounterBlock = int(kWholeWorkingSet + 8);

struct Counter {
    std::uint32_t titleIndex;
    std::uint32_t offset;
    std::uint32_t size;
};
// By ascending title index, as computers list them.
constexpr std::array<Counter, 5> kCounters{{
    {process_counter::kWorkingSet.titleIndex, kWholeWorkingSet, 8},
    {process_counter::kThreadCount.titleIndex, process_counter::kThreadCount.fixedOffset, 4},
    {process_counter::kPriorityBase.titleIndex, process_counter::kPriorityBase.fixedOffset, 4},
    {process_counter::kIdProcess.titleIndex, process_counter::kIdProcess.fixedOffset, 4},
    {process_counter::kCreatingProcessId.titleIndex,
     process_counter::kCreatingProcessId.fixedOffset, 4},
}};
constexpr int kDefinitionLength = int(object::kSize + definition::kSize * kCounters.size());

int Padded8(int n)
{
    return (n + 7) & ~7;
}

class Writer
{
public:
    explicit Writer(std::string &out) : out_(out) {}
    int Append(int n)
    {
        const int at = int(out_.size());
        out_.append(size_t(n), '\0');
        return at;
    }
    void U16(int at, std::uint16_t v) { Little(at, v, 2); }
    void U32(int at, std::uint32_t v) { Little(at, v, 4); }
    void U64(int at, std::uint64_t v) { Little(at, v, 8); }
    void Text(int at, const std::u16string &text)
    {
        for (size_t i = 0; i < text.size(); ++i)
            U16(at + int(2 * i), text[i]);
    }
    int Size() const { return int(out_.size()); }

private:
    void Little(int at, std::uint64_t v, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            out_[size_t(at + i)] = char((v >> (8 * i)) & 0xFF);
    }
    std::string &out_;
};

// Bytes of a NUL-terminated UTF-16 text.
int TextBytes(const std::u16string &text)
{
    return int(text.size() + 1) * 2;
}

using SystemClock = std::chrono::system_clock;

void WriteSystemTime(Writer &w, int at, SystemClock::time_point now)
{
    const std::time_t seconds = SystemClock::to_time_t(now);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        now.time_since_epoch()).count() % 1000;
    const std::array<int, 8> fields{utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_wday,
                                    utc.tm_mday,        utc.tm_hour,    utc.tm_min,
                                    utc.tm_sec,         int(ms)};
    for (size_t i = 0; i < fields.size(); ++i)
        w.U16(at + int(2 * i), std::uint16_t(fields[i]));
}

int WriteDataBlockHeader(Writer &w, const std::u16string &systemName,
                         SystemClock::time_point now, std::uint64_t ticks)
{
    const int nameBytes = TextBytes(systemName);
    const int headerLength = int(block::kSize) + Padded8(nameBytes);
    w.Append(headerLength);
    w.Text(block::kSignature, u"PERF");
    w.U32(block::kLittleEndian, 1);
    w.U32(block::kVersion, 1);
    w.U32(block::kRevision, 1);
    w.U32(block::kHeaderLength, std::uint32_t(headerLength));
    w.U32(block::kNumObjectTypes, 1);
    w.U32(block::kDefaultObject, kProcessObject);
    WriteSystemTime(w, block::kSystemTime, now);
    w.U64(block::kPerfTime, ticks);
    w.U64(block::kPerfFreq, kPerfFrequency);
    w.U64(block::kPerfTime100nSec, ticks);
    w.U32(block::kSystemNameLength, std::uint32_t(nameBytes));
    w.U32(block::kSystemNameOffset, block::kSize);
    w.Text(block::kSize, systemName);
    return headerLength;
}

void WriteObjectHeader(Writer &w, int at, std::size_t instances, std::uint64_t ticks)
{
    w.U32(at + object::kDefinitionLength, kDefinitionLength);
    w.U32(at + object::kHeaderLength, object::kSize);
    w.U32(at + object::kObjectNameTitleIndex, kProcessObject);
    w.U32(at + object::kObjectHelpTitleIndex, kProcessObject + 1);
    w.U32(at + object::kDetailLevel, kDetailNovice);
    w.U32(at + object::kNumCounters, std::uint32_t(kCounters.size()));
    w.U32(at + object::kNumInstances, std::uint32_t(instances));
    w.U64(at + object::kPerfTime, ticks);
    w.U64(at + object::kPerfFreq, kPerfFrequency);
    for (size_t i = 0; i < kCounters.size(); ++i) {
        const int def = at + int(object::kSize + definition::kSize * i);
        const Counter &c = kCounters[i];
        w.U32(def + definition::kByteLength, definition::kSize);
        w.U32(def + definition::kCounterNameTitleIndex, c.titleIndex);
        w.U32(def + definition::kCounterHelpTitleIndex, c.titleIndex + 1);
        w.U32(def + definition::kDetailLevel, kDetailNovice);
        w.U32(def + definition::kCounterType, c.size == 8 ? kLargeRawCount : kRawCount);
        w.U32(def + definition::kCounterSize, c.size);
        w.U32(def + definition::kCounterOffset, c.offset);
    }
}

void WriteInstance(Writer &w, const TProcessRecord &p)
{
    const std::u16string name = Utf8ToUtf16(p.Name);
    const int nameBytes = TextBytes(name);
    const int byteLength = int(instance::kSize) + Padded8(nameBytes);
    const int at = w.Append(byteLength + kCounterBlock);
    w.U32(at + instance::kByteLength, std::uint32_t(byteLength));
    w.U32(at + instance::kUniqueId, kNoUniqueId);
    w.U32(at + instance::kNameOffset, instance::kSize);
    w.U32(at + instance::kNameLength, std::uint32_t(nameBytes));
    w.Text(at + int(instance::kSize), name);
    const int counters = at + byteLength;
    w.U32(counters + counter_block::kByteLength, kCounterBlock);
    const auto slot = [&](const ProcessCounter &counter, std::uint32_t value) {
        w.U32(counters + int(counter.fixedOffset), value);
    };
    constexpr std::int64_t kMostOld = std::numeric_limits<std::int32_t>::max();
    slot(process_counter::kWorkingSet,
         std::uint32_t(std::clamp<std::int64_t>(p.Memory, 0, kMostOld)));
    slot(process_counter::kThreadCount, std::uint32_t(p.Threads));
    slot(process_counter::kPriorityBase, std::uint32_t(p.Priority));
    slot(process_counter::kIdProcess, std::uint32_t(p.PID));
    slot(process_counter::kCreatingProcessId, std::uint32_t(p.ParentPID));
    w.U64(counters + int(kWholeWorkingSet), std::uint64_t(std::max<std::int64_t>(p.Memory, 0)));
}

} // namespace

std::string BuildPerfDataBlock(const std::vector<TProcessRecord> &processes,
                               const std::string &systemName)
{
    const SystemClock::time_point now = SystemClock::now();
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    const std::uint64_t ticks = std::uint64_t(ms) * 10000;
    std::string bytes;
    Writer w(bytes);
    WriteDataBlockHeader(w, Utf8ToUtf16(systemName), now, ticks);
    const int object = w.Append(kDefinitionLength);
    WriteObjectHeader(w, object, processes.size(), ticks);
    for (const TProcessRecord &p : processes)
        WriteInstance(w, p);
    w.U32(object + object::kTotalByteLength, std::uint32_t(w.Size() - object));
    w.U32(block::kTotalByteLength, std::uint32_t(w.Size()));
    return bytes;
}
