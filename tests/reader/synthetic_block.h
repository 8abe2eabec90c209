#pragma once
// Performance data blocks for the reader's tests, laid out byte by byte
// independently of the service's writer, with the offsets of every part so
// that a test can make a length field lie.

#include <QByteArray>
#include <cstdint>
#include <string>
#include <vector>

struct SynInstance {
    std::u16string name;
    std::int32_t pid = 0, parent = 0;
    std::int64_t memory = 0;
    std::int32_t threads = 0, priority = 0;
};

// A counter definition. The five values of a record stand where their
// definitions say; every other byte of a counter block is filler that no
// value holds.
struct SynCounter {
    std::uint32_t titleIndex, size, offset;
};

struct SynObject {
    std::uint32_t titleIndex = 230;
    std::vector<SynInstance> instances;
    // None listed: the values stand at the fixed offsets.
    std::vector<SynCounter> counters;
};

struct SynBlock {
    QByteArray bytes;
    std::vector<std::uint32_t> objects;     // start of each object
    std::vector<std::uint32_t> definitions; // start of each counter definition, all objects
    std::vector<std::uint32_t> instances;   // start of each instance, all objects
    std::vector<std::uint32_t> counters;    // start of each counter block
};

SynBlock SyntheticBlock(const std::vector<SynObject> &objects, std::uint32_t headerPadding = 0);
void PatchU32(QByteArray &bytes, std::uint32_t at, std::uint32_t value);

// Offsets of the fields the tests make lie.
namespace syn
{
inline constexpr std::uint32_t kTotalByteLength = 20, kHeaderLength = 24, kNumObjectTypes = 28;
inline constexpr std::uint32_t kObjTotal = 0, kObjDefinition = 4, kObjNumCounters = 32,
                               kObjNumInstances = 40;
inline constexpr std::uint32_t kDefByteLength = 0, kDefSize = 32, kDefOffset = 36;
inline constexpr std::uint32_t kInstByteLength = 0, kInstNameOffset = 16;
} // namespace syn
