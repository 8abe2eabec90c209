#include "store/row_store.h"

#include <cmath>
#include <limits>
#include <algorithm>
#include <numeric>

namespace {

template <class T> bool Fits(int64_t value)
{
    return value >= std::numeric_limits<T>::min() && value <= std::numeric_limits<T>::max();
}

// Moves the column to the next wider integer type until the value fits.
void Widen(std::variant<std::vector<int16_t>, std::vector<int32_t>, std::vector<int64_t>> &ints,
           int64_t value)
{
    if (auto *narrow = std::get_if<std::vector<int16_t>>(&ints); narrow && !Fits<int16_t>(value))
        ints = std::vector<int32_t>(narrow->begin(), narrow->end());
    if (auto *middle = std::get_if<std::vector<int32_t>>(&ints); middle && !Fits<int32_t>(value))
        ints = std::vector<int64_t>(middle->begin(), middle->end());
}

} // namespace

void RowStore::Reset(const std::vector<Kind> &kinds)
{
    columns_.clear();
    for (Kind kind : kinds) {
        Column column{kind, std::vector<int32_t>(), {}, {}};
        if (kind == Kind::Integer16)
            column.ints = std::vector<int16_t>();
        columns_.push_back(std::move(column));
    }
    rows_ = 0;
    pool_.clear();
    poolIndex_.clear();
    Intern(QByteArray(), nullptr); // index 0: the null text
}

void RowStore::AppendRow()
{
    for (Column &column : columns_) {
        if (column.kind == Kind::Float)
            column.floats.push_back(0);
        else
            std::visit([](auto &v) { v.push_back(0); }, column.ints);
        if (!column.nulls.empty())
            column.nulls.push_back(false);
    }
    ++rows_;
}

void RowStore::RemoveRow(int row)
{
    for (Column &column : columns_) {
        if (column.kind == Kind::Float)
            column.floats.erase(column.floats.begin() + row);
        else
            std::visit([row](auto &v) { v.erase(v.begin() + row); }, column.ints);
        if (!column.nulls.empty())
            column.nulls.erase(column.nulls.begin() + row);
    }
    --rows_;
}

void RowStore::Squeeze()
{
    for (Column &column : columns_) {
        column.floats.shrink_to_fit();
        column.nulls.shrink_to_fit();
        std::visit([](auto &v) { v.shrink_to_fit(); }, column.ints);
    }
}

bool RowStore::IsNull(int row, int column) const
{
    const auto &nulls = columns_[column].nulls;
    return !nulls.empty() && nulls[row];
}

int64_t RowStore::Integer(int row, int column) const
{
    const Column &c = columns_[column];
    if (c.kind == Kind::Float)
        return int64_t(c.floats[row]);
    return std::visit([row](const auto &v) { return int64_t(v[row]); }, c.ints);
}

double RowStore::Float(int row, int column) const
{
    const Column &c = columns_[column];
    return c.kind == Kind::Float ? c.floats[row] : double(Integer(row, column));
}

const QString &RowStore::Text(int row, int column) const
{
    return pool_[size_t(Integer(row, column))];
}

void RowStore::MarkNotNull(Column &column, int row)
{
    if (!column.nulls.empty())
        column.nulls[row] = false;
}

void RowStore::SetNull(int row, int column)
{
    Column &c = columns_[column];
    if (c.nulls.empty())
        c.nulls.assign(size_t(rows_), false);
    c.nulls[row] = true;
}

void RowStore::SetInteger(int row, int column, int64_t value)
{
    Column &c = columns_[column];
    if (c.kind == Kind::Float)
        return SetFloat(row, column, double(value));
    if (c.kind == Kind::Text)
        return SetText(row, column, QString::number(value));
    Widen(c.ints, value);
    std::visit([row, value](auto &v) { v[row] = typename std::decay_t<decltype(v)>::value_type(value); },
               c.ints);
    MarkNotNull(c, row);
}

void RowStore::SetFloat(int row, int column, double value)
{
    Column &c = columns_[column];
    if (c.kind != Kind::Float)
        return SetInteger(row, column, int64_t(std::llround(value)));
    c.floats[row] = value;
    MarkNotNull(c, row);
}

void RowStore::SetText(int row, int column, const QString &value)
{
    Column &c = columns_[column];
    if (c.kind != Kind::Text)
        return SetInteger(row, column, value.toLongLong());
    std::get<std::vector<int32_t>>(c.ints)[row] = int32_t(Intern(value.toUtf8(), &value));
    MarkNotNull(c, row);
}

void RowStore::SetTextUtf8(int row, int column, const char *data, int size)
{
    Column &c = columns_[column];
    if (c.kind != Kind::Text)
        return SetText(row, column, QString::fromUtf8(data, size));
    std::get<std::vector<int32_t>>(c.ints)[row] = int32_t(Intern(QByteArray::fromRawData(data, size), nullptr));
    MarkNotNull(c, row);
}

uint32_t RowStore::Intern(const QByteArray &utf8, const QString *text)
{
    const auto found = poolIndex_.constFind(utf8);
    if (found != poolIndex_.constEnd())
        return found.value();
    const auto index = uint32_t(pool_.size());
    pool_.push_back(text ? *text : QString::fromUtf8(utf8));
    poolIndex_.insert(QByteArray(utf8.constData(), utf8.size()), index);
    return index;
}

size_t RowStore::MemoryUsage() const
{
    size_t bytes = 0;
    for (const Column &c : columns_) {
        bytes += c.floats.capacity() * sizeof(double) + c.nulls.capacity() / 8;
        bytes += std::visit([](const auto &v) { return v.capacity() * sizeof(v[0]); }, c.ints);
    }
    for (const QString &s : pool_)
        bytes += sizeof(QString) + size_t(s.capacity()) * 2 + 2 * 24; // text plus its hash entry
    return bytes;
}

std::vector<int> RowStore::TextRanks() const
{
    std::vector<int> ids(pool_.size());
    std::iota(ids.begin(), ids.end(), 0);
    std::sort(ids.begin(), ids.end(),
              [this](int a, int b) { return pool_[size_t(a)].localeAwareCompare(pool_[size_t(b)]) < 0; });
    std::vector<int> ranks(pool_.size());
    for (size_t rank = 0; rank < ids.size(); ++rank)
        ranks[size_t(ids[rank])] = int(rank);
    return ranks;
}
