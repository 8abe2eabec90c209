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
// delete after each block. Between slices of deletion, each a fraction of a
// second of whole blocks in one transaction, turn lets the window paint and
// the user act, outside any transaction; it answers false to stop there.
struct DeletionProgress {
    std::function<void(int maximum)> start;
    std::function<void(int remaining)> step;
    std::function<bool()> turn;
    // How long a slice deletes whole blocks before the next turn: long enough
    // that committing costs little against deleting, short enough that the
    // window never waits long. 0 makes every block a slice.
    qint64 sliceMs = 40;
    // How long slices run before the log is copied into the store file, in
    // a turn of its own. 0 copies it after every slice.
    qint64 checkpointMs = 250;
};

// Asks first; then deletes, row by row, each block's data rows, the block,
// and last the computer row. A null key deletes nothing and raises Exception.
// Stopped by the progress, it keeps what it deleted and leaves the computer
// row with the blocks still left.
void DeleteComputer(TMonitoringStore &store, UserPrompts &prompts, const QVariant &computerKey,
                    const DeletionProgress &progress);
