#include "tests/reader/synthetic_block.h"

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

void PutInstance(SynBlock &block, const SynInstance &inst)
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
    QByteArray counters(104, '\0');
    const auto at = [&](int offset, std::int32_t v) {
        const auto u = std::uint32_t(v);
        for (int i = 0; i < 4; ++i)
            counters[offset + i] = char((u >> (8 * i)) & 0xFF);
    };
    at(0, 104);
    at(52, inst.memory);
    at(80, inst.threads);
    at(84, inst.priority);
    at(96, inst.pid);
    at(100, inst.parent);
    b.append(counters);
}

} // namespace

void PatchU32(QByteArray &bytes, std::uint32_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
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
        block.objects.push_back(start);
        PutZeros(b, 64 + 40 * int(object.counters));
        PatchU32(b, start + syn::kObjDefinition, 64 + 40 * object.counters);
        PatchU32(b, start + 8, 64);
        PatchU32(b, start + 12, object.titleIndex);
        PatchU32(b, start + 32, object.counters);
        PatchU32(b, start + syn::kObjNumInstances, std::uint32_t(object.instances.size()));
        for (const SynInstance &inst : object.instances)
            PutInstance(block, inst);
        PatchU32(b, start + syn::kObjTotal, std::uint32_t(b.size()) - start);
    }
    PatchU32(b, 20, std::uint32_t(b.size()));
    return block;
}
