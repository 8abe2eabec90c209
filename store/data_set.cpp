#include "store/data_set.h"

#include "core/exception.h"

#include <algorithm>

DataSet::DataSet(QObject *parent) : QObject(parent) {}

DataSet::~DataSet() = default;

int DataSet::FieldIndex(const QString &name) const { return fieldIndex_.value(name.toLower(), -1); }

int DataSet::FieldIndexOrThrow(const QString &name) const
{
    const int index = FieldIndex(name);
    if (index < 0)
        throw EDatabaseError(QStringLiteral("%1: Field '%2' not found").arg(objectName(), name));
    return index;
}

void DataSet::CheckActive() const
{
    if (!Active())
        throw EDatabaseError(QStringLiteral("%1: Cannot perform this operation on a closed dataset").arg(objectName()));
}

void DataSet::CheckInactive() const
{
    if (Active())
        throw EDatabaseError(QStringLiteral("%1: Cannot perform this operation on an open dataset").arg(objectName()));
}

void DataSet::SetState(State state)
{
    if (state_ == state)
        return;
    state_ = state;
    emit StateChanged();
}

void DataSet::SetFields(std::vector<FieldDef> fields)
{
    fields_ = std::move(fields);
    fieldIndex_.clear();
    for (size_t i = 0; i < fields_.size(); ++i)
        fieldIndex_.insert(fields_[i].name.toLower(), int(i));
}

void DataSet::Open()
{
    if (Active())
        return;
    emit BeforeReset();
    try {
        source_ = MakeSource();
        std::vector<Row> rows = source_->Open(
            [this](const ResultShape &shape) {
                std::vector<FieldBinding> bindings;
                std::vector<FieldDef> fields;
                for (ResultField &field : DescribeFields(shape)) {
                    bindings.push_back({field.def.type, field.column});
                    fields.push_back(std::move(field.def));
                }
                SetFields(std::move(fields));
                return bindings;
            },
            RowCache::kWindowRows);
        const bool end = !source_->Keyed() || int(rows.size()) < RowCache::kWindowRows;
        cache_.Reset(std::move(rows), end, !source_->Keyed());
    } catch (...) {
        source_.reset();
        cache_.Clear();
        SetFields(DesignFields());
        emit AfterReset();
        throw;
    }
    count_.reset();
    firstPositions_.clear();
    sort_.clear();
    current_ = cache_.Fetched() > 0 ? 0 : -1;
    SetState(State::Browse);
    emit AfterReset();
    emit CurrentChanged(current_);
}

void DataSet::Close()
{
    if (!Active())
        return;
    emit BeforeReset();
    SetFields(DesignFields());
    source_.reset();
    cache_.Clear();
    count_.reset();
    firstPositions_.clear();
    sort_.clear();
    buffer_.clear();
    current_ = -1;
    SetState(State::Inactive);
    emit AfterReset();
    emit CurrentChanged(current_);
}

void DataSet::FetchMore() const
{
    if (!CanFetchMore())
        return;
    std::vector<Row> rows = source_->Fetch(cache_.LastOrder(), RowCache::kWindowRows);
    const bool end = int(rows.size()) < RowCache::kWindowRows;
    DataSet *self = const_cast<DataSet *>(this); // reading on changes what the views hold, not the result
    const int first = cache_.Fetched();
    if (!rows.empty())
        emit self->BeforeFetchRows(first, first + int(rows.size()) - 1);
    const bool grew = !rows.empty();
    cache_.Append(std::move(rows), end);
    if (end)
        count_ = cache_.Fetched();
    if (grew)
        emit self->AfterFetchRows();
}

void DataSet::FetchTo(int position) const
{
    while (position >= cache_.Fetched() && CanFetchMore())
        FetchMore();
}

void DataSet::FetchAll() const
{
    while (CanFetchMore())
        FetchMore();
}

Row &DataSet::RowAt(int position) const
{
    FetchTo(position);
    return cache_.At(position, *source_);
}

int DataSet::RecordCount() const
{
    if (!Active())
        return 0;
    if (cache_.AtEnd())
        return cache_.Fetched();
    if (!count_)
        count_ = source_->Count();
    return std::max(*count_, cache_.Fetched());
}

bool DataSet::IsEmpty() const
{
    FetchTo(0);
    return FetchedCount() == 0;
}

int DataSet::RecNo() const { return current_ + 1; }

QVariant DataSet::ValueAt(int position, int field) const
{
    if (!Active() || position < 0 || field < 0 || field >= FieldCount())
        return QVariant();
    FetchTo(position);
    if (position >= cache_.Fetched())
        return QVariant();
    const FieldDef &def = fields_[size_t(field)];
    if (!def.IsLookup()) {
        const Row &row = RowAt(position);
        return size_t(field) < row.values.size() ? HeldFieldValue(row.values[size_t(field)], def.type) : QVariant();
    }
    const QVariant key = ValueAt(position, FieldIndex(def.lookup.keyField));
    const DataSet *source = def.lookup.lookupDataSet;
    if (key.isNull() || !source->Active())
        return QVariant();
    return source->Lookup(def.lookup.lookupKeyField, key, def.lookup.lookupResultField);
}

std::optional<qint64> DataSet::DateTimeAt(int position, int field) const
{
    if (!Active() || position < 0 || field < 0 || field >= FieldCount() ||
        fields_[size_t(field)].type != FieldType::DateTime || fields_[size_t(field)].IsLookup())
        return std::nullopt;
    FetchTo(position);
    if (position >= cache_.Fetched())
        return std::nullopt;
    const Row &row = RowAt(position);
    return size_t(field) < row.values.size() ? HeldDateTime(row.values[size_t(field)]) : std::nullopt;
}

QVariant DataSet::Value(const QString &field) const
{
    CheckActive();
    const int index = FieldIndexOrThrow(field);
    if (state_ == State::Edit || state_ == State::Insert)
        return buffer_[size_t(index)];
    return ValueAt(current_, index);
}

void DataSet::SetValue(const QString &field, const QVariant &value)
{
    CheckActive();
    if (state_ != State::Edit && state_ != State::Insert)
        throw EDatabaseError(QStringLiteral("%1: Dataset not in edit or insert mode").arg(objectName()));
    buffer_[size_t(FieldIndexOrThrow(field))] = value;
}

void DataSet::MoveTo(int position)
{
    if (state_ == State::Edit || state_ == State::Insert)
        Post();
    if (position == current_)
        return;
    current_ = position;
    emit CurrentChanged(current_);
}

void DataSet::SetRecNo(int recNo)
{
    CheckActive();
    FetchTo(recNo - 1);
    if (recNo >= 1 && recNo <= cache_.Fetched())
        MoveTo(recNo - 1);
}

void DataSet::First()
{
    CheckActive();
    MoveTo(IsEmpty() ? -1 : 0);
}

void DataSet::Append()
{
    CheckActive();
    if (state_ != State::Browse)
        Post();
    buffer_.assign(fields_.size(), QVariant());
    SetState(State::Insert);
}

void DataSet::Edit()
{
    CheckActive();
    if (state_ != State::Browse)
        return;
    if (IsEmpty())
        return Append();
    buffer_.clear();
    for (int f = 0; f < FieldCount(); ++f)
        buffer_.push_back(ValueAt(current_, f));
    SetState(State::Edit);
}

void DataSet::Cancel()
{
    if (state_ != State::Edit && state_ != State::Insert)
        return;
    buffer_.clear();
    SetState(State::Browse);
}

// A posted row goes after every row of the result, so the result is read to
// its end first; in the key's order it is the last row there anyway.
void DataSet::PostInsert()
{
    FetchAll();
    DoPost(true, buffer_, nullptr);
    Row row;
    for (size_t f = 0; f < fields_.size(); ++f)
        row.values.push_back(fields_[f].IsLookup() ? QVariant() : FieldValue(buffer_[f], fields_[f].type));
    const int key = FieldIndex(QStringLiteral("ID"));
    const bool sorted = !sort_.isEmpty();
    if (key >= 0 && source_->Keyed()) {
        source_->Admit(buffer_[size_t(key)].toLongLong());
        if (!sorted)
            row.order = {buffer_[size_t(key)].toLongLong()};
    }
    const int position = cache_.Fetched();
    emit BeforeInsertRow(position);
    cache_.AppendPosted(std::move(row), sorted);
    firstPositions_.clear();
    count_ = cache_.Fetched();
    buffer_.clear();
    SetState(State::Browse);
    emit AfterInsertRow();
    current_ = position;
    emit CurrentChanged(current_);
}

void DataSet::Post()
{
    CheckActive();
    if (state_ != State::Edit && state_ != State::Insert)
        return;
    if (state_ == State::Insert)
        return PostInsert();
    Row &row = RowAt(current_);
    std::vector<QVariant> stored;
    for (int f = 0; f < FieldCount(); ++f)
        stored.push_back(fields_[size_t(f)].IsLookup() ? QVariant() : ValueAt(current_, f));
    DoPost(false, buffer_, &stored);
    for (size_t f = 0; f < fields_.size(); ++f)
        row.values[f] = fields_[f].IsLookup() ? QVariant() : FieldValue(buffer_[f], fields_[f].type);
    firstPositions_.clear();
    buffer_.clear();
    SetState(State::Browse);
    emit RowChanged(current_);
}

void DataSet::Delete()
{
    CheckActive();
    Cancel();
    if (IsEmpty())
        throw EDatabaseError(QStringLiteral("%1: Cannot perform this operation on an empty dataset").arg(objectName()));
    const int position = current_;
    DoDelete(RowAt(position).values);
    emit BeforeRemoveRow(position);
    cache_.Remove(position);
    firstPositions_.clear();
    if (count_)
        --*count_;
    emit AfterRemoveRow();
    FetchTo(position);
    current_ = std::min(position, cache_.Fetched() - 1);
    emit CurrentChanged(current_);
}

void DataSet::DoPost(bool, std::vector<QVariant> &, const std::vector<QVariant> *)
{
    throw EDatabaseError(QStringLiteral("%1: Cannot modify a read-only dataset").arg(objectName()));
}

void DataSet::DoDelete(const std::vector<QVariant> &)
{
    throw EDatabaseError(QStringLiteral("%1: Cannot modify a read-only dataset").arg(objectName()));
}

// The store finds a value by its indexes; a result it cannot search again
// (no key) is searched in memory, where it is held whole, and a look-up
// field row by row.
std::optional<int> DataSet::PositionOf(int field, const QVariant &value) const
{
    const FieldDef &def = fields_[size_t(field)];
    if (source_->Keyed() && !def.IsLookup()) {
        const std::optional<Row> row = source_->Find(field, value);
        if (!row)
            return std::nullopt;
        const int cached = cache_.PositionOf(row->order);
        return cached >= 0 ? cached : source_->CountBefore(row->order);
    }
    if (!def.IsLookup()) {
        const std::optional<QString> key = FieldValueKey(value, def.type);
        const QHash<QString, int> &positions = FirstPositions(field);
        const auto found = key ? positions.constFind(*key) : positions.constEnd();
        return found != positions.constEnd() ? std::optional<int>(*found) : std::nullopt;
    }
    for (int p = 0; p < RecordCount(); ++p)
        if (SameFieldValue(ValueAt(p, field), value, def.type))
            return p;
    return std::nullopt;
}

const QHash<QString, int> &DataSet::FirstPositions(int field) const
{
    const auto built = firstPositions_.constFind(field);
    if (built != firstPositions_.constEnd())
        return *built;
    QHash<QString, int> positions;
    const FieldType type = fields_[size_t(field)].type;
    for (int p = 0; p < RecordCount(); ++p)
        if (const std::optional<QString> key = FieldValueKey(ValueAt(p, field), type))
            positions.insert(*key, positions.value(*key, p));
    return *firstPositions_.insert(field, std::move(positions));
}

bool DataSet::Locate(const QString &field, const QVariant &value)
{
    CheckActive();
    const std::optional<int> position = PositionOf(FieldIndexOrThrow(field), value);
    if (!position)
        return false;
    MoveTo(*position);
    return true;
}

QVariant DataSet::Lookup(const QString &keyField, const QVariant &keyValue, const QString &resultField) const
{
    CheckActive();
    const int key = FieldIndexOrThrow(keyField);
    const int result = FieldIndexOrThrow(resultField);
    if (source_->Keyed() && !fields_[size_t(key)].IsLookup() && !fields_[size_t(result)].IsLookup()) {
        const std::optional<Row> row = source_->Find(key, keyValue);
        return row ? HeldFieldValue(row->values[size_t(result)], fields_[size_t(result)].type) : QVariant();
    }
    const std::optional<int> position = PositionOf(key, keyValue);
    return position ? ValueAt(*position, result) : QVariant();
}

void DataSet::SetSort(const QString &field)
{
    CheckActive();
    Post();
    const int f = field.isEmpty() ? -1 : FieldIndexOrThrow(field);
    const std::vector<QVariant> current = current_ >= 0 ? RowAt(current_).order : std::vector<QVariant>();
    source_->SetOrder(f);
    firstPositions_.clear();
    emit BeforeReset();
    try {
        std::vector<Row> rows = source_->Fetch({}, RowCache::kWindowRows);
        const bool end = !source_->Keyed() || int(rows.size()) < RowCache::kWindowRows;
        cache_.Reset(std::move(rows), end, !source_->Keyed());
    } catch (...) {
        cache_.Clear();
        emit AfterReset();
        throw;
    }
    sort_ = field;
    // The current row stays current when the first window holds it; deeper
    // in a large result it would cost a count, so the first row is current.
    int position = -1;
    if (!current.empty())
        for (int p = 0; p < cache_.Fetched() && position < 0; ++p)
            if (!RowAt(p).order.empty() && RowAt(p).order.back() == current.back())
                position = p;
    current_ = position >= 0 ? position : (cache_.Fetched() > 0 ? 0 : -1);
    emit AfterReset();
    emit CurrentChanged(current_);
}

size_t DataSet::MemoryUsage() const
{
    return cache_.ResidentRows() * (fields_.size() + 1) * (sizeof(QVariant) + 16) + sizeof(RowCache);
}
