#pragma once
// The rows a data set has fetched, by position, in windows. Only the most
// recently used windows keep their rows; an evicted window remembers where
// it starts in the order and how many rows it holds, and is read again from
// the source when one of its rows is wanted.

#include "store/row_source.h"

#include <cstdint>
#include <deque>
#include <vector>

class RowCache {
public:
    static constexpr int kWindowRows = 256;
    static constexpr int kResidentWindows = 32;

    // Starts over with the first window; `pinned` keeps every window resident
    // (a source that cannot read a window again).
    void Reset(std::vector<Row> rows, bool end, bool pinned);
    void Clear() { Reset({}, true, true); }

    int Fetched() const { return fetched_; }
    bool AtEnd() const { return end_; }
    // Where the next window starts: the order of the last fetched row.
    const std::vector<QVariant> &LastOrder() const;

    void Append(std::vector<Row> rows, bool end);
    // A row that belongs after every fetched row; `pin` keeps it resident.
    void AppendPosted(Row row, bool pin);
    void Remove(int position);

    // A fetched row, its window read again from the source if evicted.
    Row &At(int position, RowSource &source);
    // The position of a resident row with this order, -1 when none is.
    int PositionOf(const std::vector<QVariant> &order) const;

    size_t ResidentRows() const;

private:
    struct Window {
        int first = 0;
        int size = 0;
        std::vector<QVariant> before; // order of the row before the first
        std::vector<QVariant> last;   // order of its last row as fetched
        std::deque<Row> rows;         // empty while evicted; a deletion takes them from the front
        uint64_t used = 0;
        bool pinned = false;
    };

    Window &WindowOf(int position);
    void Evict();

    std::vector<Window> windows_;
    int fetched_ = 0;
    bool end_ = true;
    bool pinned_ = true;
    uint64_t clock_ = 0;
};
