#include "store/row_cache.h"

#include <algorithm>

void RowCache::Reset(std::vector<Row> rows, bool end, bool pinned)
{
    windows_.clear();
    fetched_ = 0;
    end_ = false;
    pinned_ = pinned;
    Append(std::move(rows), end);
}

const std::vector<QVariant> &RowCache::LastOrder() const
{
    static const std::vector<QVariant> start;
    return windows_.empty() ? start : windows_.back().last;
}

void RowCache::Append(std::vector<Row> rows, bool end)
{
    end_ = end;
    if (rows.empty())
        return;
    Window window;
    window.first = fetched_;
    window.size = int(rows.size());
    window.before = LastOrder();
    window.last = rows.back().order;
    window.rows.assign(std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    window.used = ++clock_;
    window.pinned = pinned_;
    fetched_ += window.size;
    windows_.push_back(std::move(window));
    Evict();
}

void RowCache::AppendPosted(Row row, bool pin)
{
    if (windows_.empty() || windows_.back().rows.empty()) {
        Append({std::move(row)}, end_);
        windows_.back().pinned = windows_.back().pinned || pin;
        return;
    }
    Window &last = windows_.back();
    if (!row.order.empty())
        last.last = row.order;
    last.rows.push_back(std::move(row));
    last.pinned = last.pinned || pin;
    ++last.size;
    ++fetched_;
}

void RowCache::Remove(int position)
{
    Window &window = WindowOf(position);
    window.rows.erase(window.rows.begin() + (position - window.first));
    --window.size;
    for (Window *later = &window + 1; later != windows_.data() + windows_.size(); ++later)
        --later->first;
    --fetched_;
}

RowCache::Window &RowCache::WindowOf(int position)
{
    auto after = std::upper_bound(windows_.begin(), windows_.end(), position,
                                  [](int p, const Window &w) { return p < w.first; });
    return *(after - 1);
}

Row &RowCache::At(int position, RowSource &source)
{
    Window &window = WindowOf(position);
    window.used = ++clock_;
    if (window.rows.empty() && window.size > 0) {
        std::vector<Row> rows = source.Fetch(window.before, window.size);
        window.rows.assign(std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
        // Rows that others deleted meanwhile are gone: their places stay,
        // empty, until the data set is opened again.
        const size_t fields = window.rows.empty() ? 0 : window.rows.front().values.size();
        while (int(window.rows.size()) < window.size)
            window.rows.push_back(Row{std::vector<QVariant>(fields), {}});
        Evict();
    }
    return window.rows[size_t(position - window.first)];
}

int RowCache::PositionOf(const std::vector<QVariant> &order) const
{
    for (const Window &window : windows_)
        for (size_t i = 0; i < window.rows.size(); ++i)
            if (window.rows[i].order == order)
                return window.first + int(i);
    return -1;
}

void RowCache::Evict()
{
    std::vector<Window *> resident;
    for (Window &window : windows_)
        if (!window.rows.empty() && !window.pinned)
            resident.push_back(&window);
    if (int(resident.size()) <= kResidentWindows)
        return;
    std::sort(resident.begin(), resident.end(), [](const Window *a, const Window *b) { return a->used < b->used; });
    for (size_t i = 0; i + kResidentWindows < resident.size(); ++i) {
        resident[i]->rows.clear();
        resident[i]->rows.shrink_to_fit();
    }
}

size_t RowCache::ResidentRows() const
{
    size_t rows = 0;
    for (const Window &window : windows_)
        rows += window.rows.size();
    return rows;
}
