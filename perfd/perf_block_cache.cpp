#include "perfd/perf_block_cache.h"

PerfBlock PerfBlockCache::Block()
{
    using Clock = std::chrono::steady_clock;
    if (scanned_ && Clock::now() - *scanned_ < kScanShareWindow) return block_;
    block_ = ScanPerfBlock(procDir_, options_);
    scanned_ = Clock::now();
    return block_;
}
