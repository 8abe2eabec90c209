#include "tests/reader/synthetic_block.h"

#include <algorithm>
#include <cstring>

namespace
{

void PutU32(QByteArray &b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

void PutZeros(QByteArray &b, int n)
{
    b.append(n, '\0');
}

void Poke(QByteArray &b, std::uint32_t at, std::uint64_t v, std::uint32_t size)
{
    for (std::uint32_t i = 0; i < size; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}

const std::vector<SynCounter> kFixedCounters{
    {784, 4, 96}, {1410, 4, 100}, {180, 4, 52}, {680, 4, 80}, {682, 4, 84}};

QByteArray CounterBlock(const SynInstance &inst, const std::vector<SynCounter> &listed)
{
    const std::vector<SynCounter> &counters = listed.empty() ? kFixedCounters : listed;
    std::uint32_t end = 104;
    for (const SynCounter &c : counters)
        end = std::max(end, c.offset + c.size);
    QByteArray block(int((end + 7) & ~7u), char(0xA5));
    Poke(block, 0, std::uint32_t(block.size()), 4);
    for (const SynCounter &c : counters) {
        const std::int64_t values[] = {inst.pid, inst.parent, inst.memory, inst.threads,
                                       inst.priority};
        const std::uint32_t indexes[] = {784, 1410, 180, 680, 682};
        const auto *found = std::find(std::begin(indexes), std::end(indexes), c.titleIndex);
        const std::int64_t v =
            found == std::end(indexes) ? 0x5A5A5A5A5A5A5A5A : values[found - std::begin(indexes)];
        Poke(block, c.offset, std::uint64_t(v), c.size);
    }
    return block;
}

void PutInstance(SynBlock &block, const SynInstance &inst, const std::vector<SynCounter> &counters)
{
    QByteArray &b = block.bytes;
    block.instances.push_back(std::uint32_t(b.size()));
    const int nameBytes = int(inst.name.size() + 1) * 2;
    const int byteLength = 24 + ((nameBytes + 7) & ~7);
    PutU32(b, std::uint32_t(byteLength));
    PutZeros(b, 12);
    PutU32(b, 24);
    PutU32(b, std::uint32_t(nameBytes));
    for (char16_t c : inst.name) {
        b.append(char(c & 0xFF));
        b.append(char(c >> 8));
    }
    PutZeros(b, byteLength - 24 - int(inst.name.size()) * 2);
    block.counters.push_back(std::uint32_t(b.size()));
    b.append(CounterBlock(inst, counters));
}

void PutDefinitions(SynBlock &block, std::uint32_t object, const std::vector<SynCounter> &counters)
{
    for (size_t i = 0; i < counters.size(); ++i) {
        const std::uint32_t at = object + 64 + 40 * std::uint32_t(i);
        block.definitions.push_back(at);
        PatchU32(block.bytes, at, 40);
        PatchU32(block.bytes, at + 4, counters[i].titleIndex);
        PatchU32(block.bytes, at + syn::kDefSize, counters[i].size);
        PatchU32(block.bytes, at + syn::kDefOffset, counters[i].offset);
    }
}

} // namespace

void PatchU32(QByteArray &bytes, std::uint32_t at, std::uint32_t value)
{
    Poke(bytes, at, value, 4);
}

SynBlock SyntheticBlock(const std::vector<SynObject> &objects, std::uint32_t headerPadding)
{
    SynBlock block;
    QByteArray &b = block.bytes;
    PutZeros(b, 88 + int(headerPadding));
    std::memcpy(b.data(), "P\0E\0R\0F\0", 8);
    PatchU32(b, syn::kHeaderLength, 88 + headerPadding);
    PatchU32(b, syn::kNumObjectTypes, std::uint32_t(objects.size()));
    for (const SynObject &object : objects) {
        const auto start = std::uint32_t(b.size());
        const auto definitions = 64 + 40 * std::uint32_t(object.counters.size());
        block.objects.push_back(start);
        PutZeros(b, int(definitions));
        PatchU32(b, start + syn::kObjDefinition, definitions);
        PatchU32(b, start + 8, 64);
        PatchU32(b, start + 12, object.titleIndex);
        PatchU32(b, start + syn::kObjNumCounters, std::uint32_t(object.counters.size()));
        PatchU32(b, start + syn::kObjNumInstances, std::uint32_t(object.instances.size()));
        PutDefinitions(block, start, object.counters);
        for (const SynInstance &inst : object.instances)
            PutInstance(block, inst, object.counters);
        PatchU32(b, start + syn::kObjTotal, std::uint32_t(b.size()) - start);
    }
    PatchU32(b, syn::kTotalByteLength, std::uint32_t(b.size()));
    return block;
}
