#pragma once
// The computer list: adding a computer, showing what is stored about one, and
// deleting one with all its snapshots.

#include <QVariant>
#include <functional>

class Query;
class TMonitoringStore;
class UserPrompts;

// Asks for a name and appends it exactly as typed; nothing on cancel.
void AddComputer(TMonitoringStore &store, UserPrompts &prompts);

// Reruns the latest-snapshot query for the computer key (null: no rows).
void ShowLatestSnapshot(Query &adoqLast, const QVariant &computerKey);
// Reruns the block count and first and last collection time.
void ShowBlockSummary(Query &adoqCompRule, const QVariant &computerKey);

// Told the progress bar's range once, then the number of blocks still to
// delete after each block.
struct DeletionProgress {
    std::function<void(int maximum)> start;
    std::function<void(int remaining)> step;
};

// Asks first; then deletes, row by row, each block's data rows, the block,
// and last the computer row. A null key deletes nothing and raises Exception.
void DeleteComputer(TMonitoringStore &store, UserPrompts &prompts, const QVariant &computerKey,
                    const DeletionProgress &progress);
