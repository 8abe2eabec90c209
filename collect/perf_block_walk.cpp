#include "collect/perf_block_walk.h"

#include "collect/narrow_name.h"
#include "perfdata/perf_layout.h"

#include <QtEndian>
#include <algorithm>
#include <optional>
#include <string>

namespace
{

using namespace perf_layout;
namespace object = object_type;
namespace definition = counter_definition;
namespace instance = instance_definition;

// Beyond what any computer runs or names a process: the block is made up.
constexpr std::uint64_t kMostInstances = 65536;
constexpr std::uint64_t kLongestName = 260; // UTF-16 units, without the NUL

// Where one of the record's values stands in each counter block of an
// object; size 0 when no definition places it, and the value is then 0.
struct Slot {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

// The slots of the record's values, in the order of kProcessCounters, and
// the shortest counter block that holds them all.
struct CounterLayout {
    std::array<Slot, kProcessCounters.size()> where;
    std::uint64_t end = sizeof(std::uint32_t); // the block's own length
};

CounterLayout FixedLayout()
{
    CounterLayout layout;
    for (size_t i = 0; i < kProcessCounters.size(); ++i)
        layout.where[i] = {kProcessCounters[i].fixedOffset, 4};
    layout.end = kFixedCounterBlockEnd;
    return layout;
}

class Walk
{
public:
    Walk(const unsigned char *data, std::size_t size) : data_(data), size_(size) {}

    std::vector<TProcessGroup> Run()
    {
        const auto headerLength = U32(data_block::kHeaderLength);
        const auto objects = U32(data_block::kNumObjectTypes);
        if (!headerLength || !objects || *headerLength == 0) return {};
        std::uint64_t at = *headerLength;
        for (std::uint32_t i = 0; i < *objects; ++i) {
            const auto next = Object(at);
            if (!next) break;
            at = *next;
        }
        if (refused_) return {};
        return std::move(groups_);
    }

private:
    bool Holds(std::uint64_t at, std::uint64_t length) const
    {
        return at <= size_ && length <= size_ - at;
    }

    // Ends the walk and drops what it took.
    std::nullopt_t Refuse()
    {
        refused_ = true;
        return std::nullopt;
    }

    std::optional<std::uint32_t> U32(std::uint64_t at) const
    {
        if (!Holds(at, 4)) return std::nullopt;
        return qFromLittleEndian<std::uint32_t>(data_ + at);
    }

    // A value of 4 or 8 bytes that Holds has checked.
    std::uint64_t Value(std::uint64_t at, std::uint32_t size) const
    {
        return size == 8 ? qFromLittleEndian<std::uint64_t>(data_ + at)
                         : qFromLittleEndian<std::uint32_t>(data_ + at);
    }

    // The next object's start, or nothing when the walk ends here.
    std::optional<std::uint64_t> Object(std::uint64_t at)
    {
        if (!Holds(at, object::kSize)) return std::nullopt;
        const std::uint32_t total = *U32(at + object::kTotalByteLength);
        const std::uint32_t definitions = *U32(at + object::kDefinitionLength);
        const std::uint32_t titleIndex = *U32(at + object::kObjectNameTitleIndex);
        const auto instances = static_cast<std::int32_t>(*U32(at + object::kNumInstances));
        if (total == 0 || !Holds(at, total)) return std::nullopt;
        if (titleIndex == kProcessObject && instances > 0) {
            declared_ += std::uint32_t(instances);
            if (declared_ > kMostInstances) return Refuse();
            const auto layout = Counters(at, definitions);
            if (definitions == 0 || !layout ||
                !Instances(at + definitions, std::uint32_t(instances), *layout))
                return std::nullopt;
        }
        return at + total;
    }

    // The slots the object's counter definitions give, the fixed ones when
    // it lists none; nothing when a definition lies outside the definitions.
    // A counter listed twice counts where it is listed first.
    std::optional<CounterLayout> Counters(std::uint64_t at, std::uint32_t definitionLength)
    {
        const std::uint32_t count = *U32(at + object::kNumCounters);
        if (count == 0) return FixedLayout();
        const std::uint64_t end = at + definitionLength;
        std::uint64_t def = at + *U32(at + object::kHeaderLength);
        CounterLayout layout;
        for (std::uint32_t i = 0; i < count; ++i) {
            if (def > end || end - def < definition::kSize || !Holds(def, definition::kSize))
                return std::nullopt;
            const std::uint32_t length = *U32(def + definition::kByteLength);
            if (length < definition::kSize) return std::nullopt;
            Take(layout, *U32(def + definition::kCounterNameTitleIndex),
                 {*U32(def + definition::kCounterOffset), *U32(def + definition::kCounterSize)});
            def += length;
        }
        return layout;
    }

    static void Take(CounterLayout &layout, std::uint32_t titleIndex, Slot slot)
    {
        if (slot.size != 4 && slot.size != 8) return; // no value of ours
        for (size_t i = 0; i < kProcessCounters.size(); ++i) {
            if (kProcessCounters[i].titleIndex != titleIndex || layout.where[i].size) continue;
            layout.where[i] = slot;
            layout.end = std::max(layout.end, std::uint64_t(slot.offset) + slot.size);
        }
    }

    // False when the walk ended inside the object, whose group then goes:
    // a process table is taken whole or not at all.
    bool Instances(std::uint64_t at, std::uint32_t count, const CounterLayout &layout)
    {
        TProcessGroup group;
        group.reserve(std::min<std::uint64_t>(count, size_ / (instance::kSize + layout.end)));
        for (std::uint32_t i = 0; i < count; ++i) {
            const auto next = Instance(at, layout, group);
            if (!next) return false;
            at = *next;
        }
        groups_.push_back(std::move(group));
        return true;
    }

    // The next instance's start, or nothing when the walk ends here: also
    // when its counter block is too short for a value that its object's
    // definitions place there.
    std::optional<std::uint64_t> Instance(std::uint64_t at, const CounterLayout &layout,
                                          TProcessGroup &group)
    {
        if (!Holds(at, instance::kSize)) return std::nullopt;
        const std::uint32_t byteLength = *U32(at + instance::kByteLength);
        auto name = Name(at + *U32(at + instance::kNameOffset));
        if (byteLength == 0 || !name) return std::nullopt;
        const std::uint64_t counters = at + byteLength;
        const auto counterLength = U32(counters);
        if (!counterLength || *counterLength < layout.end || !Holds(counters, *counterLength))
            return std::nullopt;
        std::array<std::uint64_t, kProcessCounters.size()> v{};
        for (size_t i = 0; i < v.size(); ++i)
            if (layout.where[i].size)
                v[i] = Value(counters + layout.where[i].offset, layout.where[i].size);
        // A computer that widens a 32-bit counter to 8 bytes keeps its value
        // in the low half: PIDs, threads and priority are taken from there.
        group.push_back({std::move(*name), std::int32_t(v[0]), std::int32_t(v[1]),
                         std::int64_t(v[2]), std::int32_t(v[3]), std::int32_t(v[4])});
        return counters + *counterLength;
    }

    // UTF-16 up to the first NUL, which must lie inside the block and
    // within the longest name.
    std::optional<std::string> Name(std::uint64_t at)
    {
        std::u16string text;
        for (; Holds(at, 2); at += 2) {
            const auto unit = qFromLittleEndian<char16_t>(data_ + at);
            if (unit == 0) return NarrowName(text);
            if (text.size() == kLongestName) return Refuse();
            text.push_back(unit);
        }
        return std::nullopt;
    }

    const unsigned char *data_;
    std::uint64_t size_;
    std::vector<TProcessGroup> groups_;
    std::uint64_t declared_ = 0; // instances of the process objects so far
    bool refused_ = false;
};

} // namespace

std::vector<TProcessGroup> WalkPerfBlock(const unsigned char *data, std::size_t size)
{
    return Walk(data, size).Run();
}

std::uint64_t DeclaredPerfBlockSize(const unsigned char *data, std::size_t size)
{
    const auto u32 = [&](std::uint64_t at) { return qFromLittleEndian<std::uint32_t>(data + at); };
    if (size < data_block::kSize) return data_block::kSize;
    const std::uint32_t objects = u32(data_block::kNumObjectTypes);
    std::uint64_t end = u32(data_block::kHeaderLength);
    for (std::uint32_t i = 0; i < objects; ++i) {
        if (end > size || size - end < object::kSize) return end + object::kSize;
        const std::uint32_t total = u32(end + object::kTotalByteLength);
        if (total == 0) break; // the walk ends there
        end += total;
    }
    return std::max<std::uint64_t>(end, u32(data_block::kTotalByteLength));
}
