// libFuzzer target: the walk of an arbitrary performance data block, and the
// size the block declares, which the reader compares with what came.
#include "collect/perf_block_walk.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    (void)DeclaredPerfBlockSize(data, size);
    for (const TProcessGroup &group : WalkPerfBlock(data, size)) {
        for (const TProcessRecord &record : group)
            (void)record.Name.size();
    }
    return 0;
}
