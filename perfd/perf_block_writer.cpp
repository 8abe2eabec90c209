#include "perfd/perf_block_writer.h"

#include "perfd/utf16_text.h"

#include <array>
#include <chrono>
#include <ctime>

namespace
{

constexpr int kDataBlockHeader = 88;
constexpr int kObjectHeader = 64;
constexpr int kCounterDefinition = 40;
constexpr int kInstanceHeader = 24;
constexpr int kCounterBlock = 104;
constexpr std::uint32_t kProcessObject = 230;
constexpr std::uint32_t kRawCount = 0x00010000; // PERF_COUNTER_RAWCOUNT
constexpr std::uint32_t kDetailNovice = 100;
constexpr std::uint32_t kNoUniqueId = 0xFFFFFFFF;
constexpr std::uint64_t kPerfFrequency = 10000000; // 100 ns ticks

struct Counter {
    std::uint32_t titleIndex;
    std::uint32_t offset;
};
// Working Set, Thread Count, Priority Base, ID Process, Creating Process ID.
constexpr std::array<Counter, 5> kCounters{
    {{180, 52}, {680, 80}, {682, 84}, {784, 96}, {1410, 100}}};

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
    const int headerLength = kDataBlockHeader + Padded8(nameBytes);
    w.Append(headerLength);
    w.Text(0, u"PERF");
    w.U32(8, 1);  // LittleEndian
    w.U32(12, 1); // Version
    w.U32(16, 1); // Revision
    w.U32(24, std::uint32_t(headerLength));
    w.U32(28, 1); // NumObjectTypes
    w.U32(32, kProcessObject);
    WriteSystemTime(w, 36, now);
    w.U64(56, ticks);
    w.U64(64, kPerfFrequency);
    w.U64(72, ticks);
    w.U32(80, std::uint32_t(nameBytes));
    w.U32(84, kDataBlockHeader);
    w.Text(kDataBlockHeader, systemName);
    return headerLength;
}

void WriteObjectHeader(Writer &w, int at, std::size_t instances, std::uint64_t ticks)
{
    w.U32(at + 4, kObjectHeader + kCounterDefinition * int(kCounters.size()));
    w.U32(at + 8, kObjectHeader);
    w.U32(at + 12, kProcessObject);
    w.U32(at + 20, kProcessObject + 1);
    w.U32(at + 28, kDetailNovice);
    w.U32(at + 32, std::uint32_t(kCounters.size()));
    w.U32(at + 40, std::uint32_t(instances));
    w.U64(at + 48, ticks);
    w.U64(at + 56, kPerfFrequency);
    for (size_t i = 0; i < kCounters.size(); ++i) {
        const int def = at + kObjectHeader + kCounterDefinition * int(i);
        w.U32(def, kCounterDefinition);
        w.U32(def + 4, kCounters[i].titleIndex);
        w.U32(def + 12, kCounters[i].titleIndex + 1);
        w.U32(def + 24, kDetailNovice);
        w.U32(def + 28, kRawCount);
        w.U32(def + 32, 4);
        w.U32(def + 36, kCounters[i].offset);
    }
}

void WriteInstance(Writer &w, const PerfProcess &p)
{
    const std::u16string name = Utf8ToUtf16(p.Name);
    const int nameBytes = TextBytes(name);
    const int byteLength = kInstanceHeader + Padded8(nameBytes);
    const int at = w.Append(byteLength + kCounterBlock);
    w.U32(at, std::uint32_t(byteLength));
    w.U32(at + 12, kNoUniqueId);
    w.U32(at + 16, kInstanceHeader);
    w.U32(at + 20, std::uint32_t(nameBytes));
    w.Text(at + kInstanceHeader, name);
    const int counters = at + byteLength;
    w.U32(counters, kCounterBlock);
    w.U32(counters + 52, std::uint32_t(p.Memory));
    w.U32(counters + 80, std::uint32_t(p.Threads));
    w.U32(counters + 84, std::uint32_t(p.Priority));
    w.U32(counters + 96, std::uint32_t(p.PID));
    w.U32(counters + 100, std::uint32_t(p.ParentPID));
}

} // namespace

std::string BuildPerfDataBlock(const std::vector<PerfProcess> &processes,
                               const std::string &systemName)
{
    const SystemClock::time_point now = SystemClock::now();
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    const std::uint64_t ticks = std::uint64_t(ms) * 10000;
    std::string block;
    Writer w(block);
    WriteDataBlockHeader(w, Utf8ToUtf16(systemName), now, ticks);
    const int object = w.Append(kObjectHeader + kCounterDefinition * int(kCounters.size()));
    WriteObjectHeader(w, object, processes.size(), ticks);
    for (const PerfProcess &p : processes)
        WriteInstance(w, p);
    w.U32(object, std::uint32_t(w.Size() - object));
    w.U32(20, std::uint32_t(w.Size()));
    return block;
}
