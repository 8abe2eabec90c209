#pragma once
// Deletes old snapshots, each block's rows before the block, in short write
// transactions with pauses between them, so that the program collecting into
// the same store never waits long for it. The catalogue and the computer
// list stay as they are. Plain deletes, so triggers of the store see them.

#include "tools/store_tool/block_filter.h"

#include <chrono>
#include <functional>

class StoreFile;

struct PruneResult {
    qint64 blocks = 0;
    qint64 rows = 0;
    std::chrono::microseconds longestHold{0}; // of the store's write lock
    std::chrono::microseconds elapsed{0};
};

struct PruneLimits {
    // Each transaction aims at holding the write lock no longer than this,
    // and the pause after it is as long as it held.
    std::chrono::milliseconds targetHold{50};
    int firstBatchBlocks = 4;
    int mostBatchBlocks = 4096;
};

// Deletes the blocks the filter selects (its "to" is the newest time that
// goes) with their rows. progress, when given, hears the running totals.
PruneResult PruneBlocks(StoreFile &store, const BlockFilter &filter, const PruneLimits &limits = {},
                        const std::function<void(const PruneResult &)> &progress = {});
