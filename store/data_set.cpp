#include "store/data_set.h"

#include "core/exception.h"
#include "store/statement.h"
#include "store/stored_datetime.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <sqlite3.h>

namespace {

RowStore::Kind StoreKind(FieldType type)
{
    switch (type) {
    case FieldType::Integer16:
        return RowStore::Kind::Integer16;
    case FieldType::Float:
        return RowStore::Kind::Float;
    case FieldType::Text:
        return RowStore::Kind::Text;
    default:
        return RowStore::Kind::Integer32;
    }
}

QVariant IntegerValue(int64_t value)
{
    if (value >= INT32_MIN && value <= INT32_MAX)
        return QVariant(int(value));
    return QVariant(qlonglong(value));
}

} // namespace

DataSet::DataSet(QObject *parent) : QObject(parent) {}

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

void DataSet::Open()
{
    if (Active())
        return;
    emit BeforeReset();
    try {
        DoOpen();
    } catch (...) {
        SetFields(DesignFields());
        emit AfterReset();
        throw;
    }
    order_.clear();
    sort_.clear();
    ResetIndexes();
    current_ = store_.RowCount() > 0 ? 0 : -1;
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
    order_.clear();
    sort_.clear();
    buffer_.clear();
    ResetIndexes();
    current_ = -1;
    SetState(State::Inactive);
    emit AfterReset();
    emit CurrentChanged(current_);
}

void DataSet::SetFields(std::vector<FieldDef> fields)
{
    fields_ = std::move(fields);
    fieldIndex_.clear();
    std::vector<RowStore::Kind> kinds;
    for (size_t i = 0; i < fields_.size(); ++i) {
        fieldIndex_.insert(fields_[i].name.toLower(), int(i));
        kinds.push_back(StoreKind(fields_[i].type));
    }
    // Look-up fields keep an unused column so that field and column indexes agree.
    store_.Reset(kinds);
}

void DataSet::FetchRows(Statement &statement, const std::vector<int> &columns, std::optional<bool> firstStep)
{
    sqlite3_stmt *stmt = statement.Handle();
    for (bool onRow = firstStep ? *firstStep : statement.Step(); onRow; onRow = statement.Step()) {
        const int row = store_.RowCount();
        store_.AppendRow();
        for (size_t f = 0; f < columns.size(); ++f) {
            const int c = columns[f];
            if (c < 0)
                continue;
            switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_NULL:
                store_.SetNull(row, int(f));
                break;
            case SQLITE_INTEGER:
                store_.SetInteger(row, int(f), sqlite3_column_int64(stmt, c));
                break;
            case SQLITE_FLOAT:
                store_.SetFloat(row, int(f), sqlite3_column_double(stmt, c));
                break;
            default:
                store_.SetTextUtf8(row, int(f), reinterpret_cast<const char *>(sqlite3_column_text(stmt, c)),
                                   sqlite3_column_bytes(stmt, c));
            }
        }
    }
    store_.Squeeze();
}

int DataSet::StorageRow(int position) const { return order_.empty() ? position : order_[size_t(position)]; }

QVariant DataSet::StoredValue(int storageRow, int field) const
{
    if (store_.IsNull(storageRow, field))
        return QVariant();
    switch (fields_[size_t(field)].type) {
    case FieldType::Integer16:
    case FieldType::Integer32:
        return IntegerValue(store_.Integer(storageRow, field));
    case FieldType::Float:
        return store_.Float(storageRow, field);
    case FieldType::DateTime:
        return DateTimeFromStored(store_.Integer(storageRow, field));
    case FieldType::Text:
        return store_.Text(storageRow, field);
    }
    return QVariant();
}

QVariant DataSet::ValueAt(int position, int field) const
{
    if (position < 0 || position >= RecordCount() || field < 0 || field >= FieldCount())
        return QVariant();
    const FieldDef &def = fields_[size_t(field)];
    if (!def.IsLookup())
        return StoredValue(StorageRow(position), field);
    const QVariant key = ValueAt(position, FieldIndex(def.lookup.keyField));
    const DataSet *source = def.lookup.lookupDataSet;
    if (key.isNull() || !source->Active())
        return QVariant();
    return source->Lookup(def.lookup.lookupKeyField, key, def.lookup.lookupResultField);
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

int DataSet::RecordCount() const { return Active() ? store_.RowCount() : 0; }

int DataSet::RecNo() const { return current_ + 1; }

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
    if (recNo >= 1 && recNo <= RecordCount())
        MoveTo(recNo - 1);
}

void DataSet::First()
{
    CheckActive();
    MoveTo(IsEmpty() ? -1 : 0);
}

void DataSet::WriteRow(int storageRow, const std::vector<QVariant> &values)
{
    for (size_t f = 0; f < fields_.size(); ++f) {
        const QVariant &v = values[f];
        const int c = int(f);
        if (fields_[f].IsLookup() || v.isNull()) {
            store_.SetNull(storageRow, c);
            continue;
        }
        switch (fields_[f].type) {
        case FieldType::Integer16:
        case FieldType::Integer32:
            store_.SetInteger(storageRow, c, v.toLongLong());
            break;
        case FieldType::Float:
            store_.SetFloat(storageRow, c, v.toDouble());
            break;
        case FieldType::DateTime:
            store_.SetInteger(storageRow, c, StoredDateTime(v.toDateTime()));
            break;
        case FieldType::Text:
            store_.SetText(storageRow, c, v.toString());
            break;
        }
    }
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

void DataSet::Post()
{
    CheckActive();
    if (state_ != State::Edit && state_ != State::Insert)
        return;
    const bool inserting = state_ == State::Insert;
    DoPost(inserting, buffer_, inserting ? -1 : StorageRow(current_));
    if (inserting) {
        const int position = store_.RowCount();
        emit BeforeInsertRow(position);
        store_.AppendRow();
        WriteRow(position, buffer_);
        if (!order_.empty())
            order_.push_back(position);
        for (auto it = indexes_.begin(); it != indexes_.end(); ++it) {
            const QString key = IndexKey(ValueAt(position, it.key()), fields_[size_t(it.key())].type);
            if (!it->contains(key))
                it->insert(key, position);
        }
        buffer_.clear();
        SetState(State::Browse);
        emit AfterInsertRow();
        current_ = position;
        emit CurrentChanged(current_);
        return;
    }
    WriteRow(StorageRow(current_), buffer_);
    ResetIndexes();
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
    const int row = StorageRow(position);
    DoDelete(row);
    emit BeforeRemoveRow(position);
    store_.RemoveRow(row);
    if (!order_.empty()) {
        order_.erase(order_.begin() + position);
        for (int &r : order_)
            if (r > row)
                --r;
    }
    ResetIndexes();
    emit AfterRemoveRow();
    current_ = std::min(position, RecordCount() - 1);
    emit CurrentChanged(current_);
}

void DataSet::DoPost(bool, std::vector<QVariant> &, int)
{
    throw EDatabaseError(QStringLiteral("%1: Cannot modify a read-only dataset").arg(objectName()));
}

void DataSet::DoDelete(int)
{
    throw EDatabaseError(QStringLiteral("%1: Cannot modify a read-only dataset").arg(objectName()));
}

QString DataSet::IndexKey(const QVariant &value, FieldType type)
{
    if (value.isNull())
        return QStringLiteral("\xFFFF"); // never equal to a text
    switch (type) {
    case FieldType::Integer16:
    case FieldType::Integer32: {
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);
        return ok ? QString::number(number) : value.toString();
    }
    case FieldType::DateTime:
        return QString::number(StoredDateTime(value.toDateTime()));
    default:
        return value.toString();
    }
}

void DataSet::ResetIndexes() const { indexes_.clear(); }

const QHash<QString, int> &DataSet::IndexOf(int field) const
{
    auto found = indexes_.find(field);
    if (found != indexes_.end())
        return *found;
    QHash<QString, int> index;
    index.reserve(RecordCount());
    const FieldType type = fields_[size_t(field)].type;
    for (int p = 0; p < RecordCount(); ++p) {
        const QString key = IndexKey(ValueAt(p, field), type);
        if (!index.contains(key)) // the first holder in cursor order wins
            index.insert(key, p);
    }
    return *indexes_.insert(field, std::move(index));
}

bool DataSet::Locate(const QString &field, const QVariant &value)
{
    CheckActive();
    const int f = FieldIndexOrThrow(field);
    const auto &index = IndexOf(f);
    const auto found = index.constFind(IndexKey(value, fields_[size_t(f)].type));
    if (found == index.constEnd())
        return false;
    MoveTo(found.value());
    return true;
}

QVariant DataSet::Lookup(const QString &keyField, const QVariant &keyValue, const QString &resultField) const
{
    CheckActive();
    const int key = FieldIndexOrThrow(keyField);
    const int result = FieldIndexOrThrow(resultField);
    const auto &index = IndexOf(key);
    const auto found = index.constFind(IndexKey(keyValue, fields_[size_t(key)].type));
    return found == index.constEnd() ? QVariant() : ValueAt(found.value(), result);
}

void DataSet::SetSort(const QString &field)
{
    CheckActive();
    Post();
    const int f = field.isEmpty() ? -1 : FieldIndexOrThrow(field);
    const int currentRow = current_ >= 0 ? StorageRow(current_) : -1;
    emit BeforeReset();
    order_.resize(size_t(store_.RowCount()));
    std::iota(order_.begin(), order_.end(), 0);
    if (f >= 0) {
        const std::vector<double> keys = SortKeys(f);
        std::stable_sort(order_.begin(), order_.end(),
                         [&keys](int a, int b) { return keys[size_t(a)] < keys[size_t(b)]; });
    }
    if (f < 0)
        order_.clear();
    sort_ = field;
    ResetIndexes();
    if (currentRow >= 0)
        current_ = order_.empty() ? currentRow : int(std::find(order_.begin(), order_.end(), currentRow) - order_.begin());
    emit AfterReset();
    emit CurrentChanged(current_);
}

size_t DataSet::MemoryUsage() const { return store_.MemoryUsage() + order_.capacity() * sizeof(int); }

// One number per stored row that orders like the field's values: nulls
// first, texts by their rank among the distinct texts.
std::vector<double> DataSet::SortKeys(int field) const
{
    const int rows = store_.RowCount();
    std::vector<double> keys(static_cast<size_t>(rows), -std::numeric_limits<double>::infinity());
    const FieldDef &def = fields_[size_t(field)];
    if (def.IsLookup()) {
        std::vector<QString> texts(static_cast<size_t>(rows));
        for (int r = 0; r < rows; ++r)
            texts[size_t(r)] = ValueAt(r, field).toString();
        std::vector<int> byText(static_cast<size_t>(rows));
        std::iota(byText.begin(), byText.end(), 0);
        std::stable_sort(byText.begin(), byText.end(), [&texts](int a, int b) {
            return texts[size_t(a)].localeAwareCompare(texts[size_t(b)]) < 0;
        });
        for (int rank = 0; rank < rows; ++rank)
            keys[size_t(byText[size_t(rank)])] = rank;
        return keys;
    }
    std::vector<int> textRank;
    if (def.type == FieldType::Text)
        textRank = store_.TextRanks();
    for (int r = 0; r < rows; ++r) {
        if (store_.IsNull(r, field))
            continue;
        if (def.type == FieldType::Text)
            keys[size_t(r)] = textRank[size_t(store_.Integer(r, field))];
        else if (def.type == FieldType::Float)
            keys[size_t(r)] = store_.Float(r, field);
        else
            keys[size_t(r)] = double(store_.Integer(r, field));
    }
    return keys;
}
