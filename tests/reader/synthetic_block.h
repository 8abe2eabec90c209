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
    std::int32_t pid = 0, parent = 0, memory = 0, threads = 0, priority = 0;
};

struct SynObject {
    std::uint32_t titleIndex = 230;
    std::vector<SynInstance> instances;
    std::uint32_t counters = 3; // counter definitions, never read
};

struct SynBlock {
    QByteArray bytes;
    std::vector<std::uint32_t> objects;   // start of each object
    std::vector<std::uint32_t> instances; // start of each instance, all objects
    std::vector<std::uint32_t> counters;  // start of each counter block
};

SynBlock SyntheticBlock(const std::vector<SynObject> &objects, std::uint32_t headerPadding = 0);
void PatchU32(QByteArray &bytes, std::uint32_t at, std::uint32_t value);

// Offsets of the fields the tests make lie.
namespace syn
{
inline constexpr std::uint32_t kHeaderLength = 24, kNumObjectTypes = 28;
inline constexpr std::uint32_t kObjTotal = 0, kObjDefinition = 4, kObjNumInstances = 40;
inline constexpr std::uint32_t kInstByteLength = 0, kInstNameOffset = 16;
} // namespace syn
