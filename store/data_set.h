#pragma once
// A data set with a static client-side cursor: it holds the rows as of its
// last open, a current row, an optional one-field sort, an edit buffer for
// append/edit/post, and tells its views of every change as it happens.
// Tables and queries fill it (DoOpen) and write posted rows back (DoPost).

#include "store/field.h"
#include "store/row_store.h"

#include <QHash>
#include <QObject>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

class Statement;

class DataSet : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit DataSet(QObject *parent = nullptr);

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
    // numbers from 1.
    int RecordCount() const;
    bool IsEmpty() const { return RecordCount() == 0; }
    int Position() const { return current_; }
    int RecNo() const;
    void SetRecNo(int recNo);
    void First();

    // Values of the current row (of the edit buffer while editing); null on
    // an empty data set.
    QVariant Value(const QString &field) const;
    QVariant ValueAt(int position, int field) const;
    void SetValue(const QString &field, const QVariant &value);

    // Editing
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();

    // Searching: exact match on one field.
    bool Locate(const QString &field, const QVariant &value);
    QVariant Lookup(const QString &keyField, const QVariant &keyValue, const QString &resultField) const;

    // Sorting by one field, ascending; empty for the order the rows came in.
    void SetSort(const QString &field);
    QString Sort() const { return sort_; }

    size_t MemoryUsage() const;

signals:
    void BeforeReset();
    void AfterReset();
    void BeforeInsertRow(int position);
    void AfterInsertRow();
    void BeforeRemoveRow(int position);
    void AfterRemoveRow();
    void RowChanged(int position);
    void CurrentChanged(int position);
    void StateChanged();

protected:
    // Sets the fields (SetFields) and fills the rows (FetchRows).
    virtual void DoOpen() = 0;
    // The fields known while the data set is closed.
    virtual std::vector<FieldDef> DesignFields() const { return {}; }
    // Writes the buffer; may complete it (the new key of an appended row).
    virtual void DoPost(bool inserting, std::vector<QVariant> &buffer, int storageRow);
    virtual void DoDelete(int storageRow);

    void SetFields(std::vector<FieldDef> fields);
    // Reads every row of the statement; columns[i] is the result column of
    // field i, -1 for a look-up field. firstStep is what an earlier Step of
    // the statement returned, when one was taken.
    void FetchRows(Statement &statement, const std::vector<int> &columns, std::optional<bool> firstStep = {});
    void CheckActive() const;
    void CheckInactive() const;
    QVariant StoredValue(int storageRow, int field) const;
    int StorageRow(int position) const;

private:
    void WriteRow(int storageRow, const std::vector<QVariant> &values);
    void SetState(State state);
    void ResetIndexes() const;
    std::vector<double> SortKeys(int field) const;
    const QHash<QString, int> &IndexOf(int field) const;
    void MoveTo(int position);
    static QString IndexKey(const QVariant &value, FieldType type);

    std::vector<FieldDef> fields_;
    QHash<QString, int> fieldIndex_;
    RowStore store_;
    std::vector<int> order_; // empty: storage order
    State state_ = State::Inactive;
    int current_ = -1;
    std::vector<QVariant> buffer_;
    QString sort_;
    // Look-up indexes by field: key text -> first position holding it.
    mutable QHash<int, QHash<QString, int>> indexes_;
};
