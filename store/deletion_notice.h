#pragma once
// Tells the store's summaries, where it keeps them, that blocks and their
// rows are about to be deleted one by one: they then leave the summaries in
// one step, and each row goes without upkeep of its own.

#include <QtGlobal>
#include <memory>

class Connection;
class Statement;

class DeletionNotice {
public:
    explicit DeletionNotice(Connection &db);
    ~DeletionNotice();
    DeletionNotice(const DeletionNotice &) = delete;
    DeletionNotice &operator=(const DeletionNotice &) = delete;

    // The blocks of the computer with IDs from first to last, within the
    // transaction that then deletes all of them and their rows: the
    // summaries are read only while no announcement is left over.
    void Announce(qlonglong computerId, qlonglong firstBlockId, qlonglong lastBlockId);

private:
    std::unique_ptr<Statement> announce_; // null: the store keeps no summaries of this layout
};
