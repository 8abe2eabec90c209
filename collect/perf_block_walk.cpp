#include "collect/perf_block_walk.h"

#include "collect/narrow_name.h"

#include <QtEndian>
#include <optional>
#include <string>

namespace
{

constexpr std::uint32_t kProcessObject = 230;
constexpr std::uint64_t kObjectHeader = 64;
constexpr std::uint64_t kInstanceHeader = 24;
constexpr std::uint64_t kCounterBlockEnd = 104; // just past the parent PID
// Beyond what any computer runs or names a process: the block is made up.
constexpr std::uint64_t kMostInstances = 65536;
constexpr std::uint64_t kLongestName = 260; // UTF-16 units, without the NUL

class Walk
{
public:
    Walk(const unsigned char *data, std::size_t size) : data_(data), size_(size) {}

    std::vector<TProcessGroup> Run()
    {
        const auto headerLength = U32(24);
        const auto objects = U32(28);
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

    // The next object's start, or nothing when the walk ends here.
    std::optional<std::uint64_t> Object(std::uint64_t at)
    {
        if (!Holds(at, kObjectHeader)) return std::nullopt;
        const std::uint32_t total = *U32(at);
        const std::uint32_t definition = *U32(at + 4);
        const std::uint32_t titleIndex = *U32(at + 12);
        const auto instances = static_cast<std::int32_t>(*U32(at + 40));
        if (total == 0 || !Holds(at, total)) return std::nullopt;
        if (titleIndex == kProcessObject && instances > 0) {
            declared_ += std::uint32_t(instances);
            if (declared_ > kMostInstances) return Refuse();
            if (definition == 0 || !Instances(at + definition, std::uint32_t(instances)))
                return std::nullopt;
        }
        return at + total;
    }

    // False when the walk ended inside the object.
    bool Instances(std::uint64_t at, std::uint32_t count)
    {
        TProcessGroup group;
        bool whole = true;
        for (std::uint32_t i = 0; i < count && whole; ++i) {
            const auto next = Instance(at, group);
            whole = next.has_value();
            at = next.value_or(at);
        }
        if (!group.empty()) groups_.push_back(std::move(group));
        return whole;
    }

    // The next instance's start, or nothing when the walk ends here.
    std::optional<std::uint64_t> Instance(std::uint64_t at, TProcessGroup &group)
    {
        if (!Holds(at, kInstanceHeader)) return std::nullopt;
        const std::uint32_t byteLength = *U32(at);
        const auto name = Name(at + *U32(at + 16));
        if (byteLength == 0 || !name) return std::nullopt;
        const std::uint64_t counters = at + byteLength;
        const auto counterLength = U32(counters);
        if (!counterLength || *counterLength < kCounterBlockEnd || !Holds(counters, *counterLength))
            return std::nullopt;
        const auto value = [&](std::uint64_t offset) {
            return static_cast<std::int32_t>(*U32(counters + offset));
        };
        group.push_back({*name, value(96), value(100), value(52), value(80), value(84)});
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
