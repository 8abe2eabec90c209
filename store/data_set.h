#pragma once
// A data set with a static cursor: it shows the rows of its statement as of
// its last open, a current row, an optional one-field sort, an edit buffer
// for append/edit/post, and tells its views of every change as it happens.
// Rows come from a row source a window at a time, as the views or the
// cursor reach them, and are kept in a row cache; a full record count is
// worked out only when asked for. Tables and queries make the source
// (MakeSource, DescribeFields) and write posted rows back (DoPost).

#include "store/field.h"
#include "store/row_cache.h"
#include "store/row_source.h"

#include <QHash>
#include <QObject>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

class DataSet : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit DataSet(QObject *parent = nullptr);
    ~DataSet() override;

    // Fields
    int FieldCount() const { return int(fields_.size()); }
    const FieldDef &Field(int index) const { return fields_[size_t(index)]; }
    int FieldIndex(const QString &name) const; // -1 when there is none
    int FieldIndexOrThrow(const QString &name) const;

    // Opening and closing
    bool Active() const { return state_ != State::Inactive; }
    State GetState() const { return state_; }
    void Open();
    void Close();

    // The cursor. Positions count from 0 in the cursor's order; record
    // numbers from 1. RecordCount may have to count the result in the store.
    int RecordCount() const;
    bool IsEmpty() const;
    int Position() const { return current_; }
    int RecNo() const;
    void SetRecNo(int recNo);
    void First();

    // The rows read so far, which views show; more are read on demand.
    int FetchedCount() const { return Active() ? cache_.Fetched() : 0; }
    bool CanFetchMore() const { return Active() && !cache_.AtEnd(); }
    void FetchMore() const;

    // Values of the current row (of the edit buffer while editing); null on
    // an empty data set.
    QVariant Value(const QString &field) const;
    QVariant ValueAt(int position, int field) const;
    // A date-time field as stored seconds of the wall clock, which spares
    // making a local date-time; nothing when null.
    std::optional<qint64> DateTimeAt(int position, int field) const;
    void SetValue(const QString &field, const QVariant &value);

    // Editing
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();

    // Searching: exact match on one field; the first match in the cursor's order.
    bool Locate(const QString &field, const QVariant &value);
    QVariant Lookup(const QString &keyField, const QVariant &keyValue, const QString &resultField) const;

    // Sorting by one field, ascending; empty for the order the rows came in.
    void SetSort(const QString &field);
    QString Sort() const { return sort_; }

    size_t MemoryUsage() const;

signals:
    void BeforeReset();
    void AfterReset();
    void BeforeFetchRows(int first, int last);
    void AfterFetchRows();
    void BeforeInsertRow(int position);
    void AfterInsertRow();
    void BeforeRemoveRow(int position);
    void AfterRemoveRow();
    void RowChanged(int position);
    void CurrentChanged(int position);
    void StateChanged();

protected:
    struct ResultField {
        FieldDef def;
        int column = -1; // result column; -1 for a look-up field
    };

    // The source of the rows of the next open.
    virtual std::unique_ptr<RowSource> MakeSource() = 0;
    // The fields of the result, while its first row is at hand.
    virtual std::vector<ResultField> DescribeFields(const ResultShape &shape) = 0;
    // The fields known while the data set is closed.
    virtual std::vector<FieldDef> DesignFields() const { return {}; }
    // Writes the buffer; may complete it (the new key of an appended row).
    // `stored` holds the row's values as read, when editing.
    virtual void DoPost(bool inserting, std::vector<QVariant> &buffer, const std::vector<QVariant> *stored);
    virtual void DoDelete(const std::vector<QVariant> &row);

    void SetFields(std::vector<FieldDef> fields);
    void CheckActive() const;
    void CheckInactive() const;

private:
    Row &RowAt(int position) const;
    void FetchTo(int position) const;
    void FetchAll() const;
    std::optional<int> PositionOf(int field, const QVariant &value) const;
    const QHash<QString, int> &FirstPositions(int field) const;
    void SetState(State state);
    void MoveTo(int position);
    void PostInsert();

    std::vector<FieldDef> fields_;
    QHash<QString, int> fieldIndex_;
    std::unique_ptr<RowSource> source_;
    mutable RowCache cache_;
    mutable std::optional<int> count_; // the record count, once asked for
    // For a result read whole: per field, the first position of each value
    // (by FieldValueKey), built by the first search and dropped when the
    // rows or their order change. Look-up fields search it once per row.
    mutable QHash<int, QHash<QString, int>> firstPositions_;
    State state_ = State::Inactive;
    int current_ = -1;
    std::vector<QVariant> buffer_;
    QString sort_;
};
