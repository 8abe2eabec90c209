#include "perfd/perf_block_cache.h"

#include "perfd/perf_query.h"

QByteArray PerfBlockCache::Block()
{
    if (scanned_.isValid() && !scanned_.hasExpired(kScanShareWindow.count())) return block_;
    block_ = ScanPerfBlock(procDir_);
    scanned_.start();
    return block_;
}
