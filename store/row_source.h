#pragma once
// Reads the rows of one statement for a data set, a window at a time.
//
// A keyed source names a row key, the integer primary key of one table, and
// per field the keys that break ties when sorting by it. Every window is a
// short statement of its own that starts after the last row of the window
// before it (keyset paging), so no read transaction outlives a fetch and no
// window costs more than the rows it skips in the engine's order. Rows added
// to the key's table after the open stay out: the key is bounded by the
// table's largest key at the open. A source without a key reads its whole
// result in its first window.

#include "store/field.h"

#include <QHash>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class Statement;
class StatementCache;
struct sqlite3;

struct RowKey {
    QString expression; // as the statement names it, e.g. "d.ID"
    QString table;      // the table whose integer primary key it is
    // Per field name (any case): expressions that order ties of that field
    // the way the store's indexes deliver them, e.g. "b.ID" for a date.
    QHash<QString, QStringList> ties;

    bool IsSet() const { return !expression.isEmpty(); }
};

struct Row {
    // One per field, typed, but for date-times read from the store, held as
    // their stored seconds (see HeldFieldValue); null for look-up fields.
    std::vector<QVariant> values;
    std::vector<QVariant> order;  // the row's place in the order, as stored; last: its key
};

// The result's columns while the first row of the first window is at hand:
// what a data set needs to fix its fields.
class ResultShape {
public:
    virtual ~ResultShape() = default;
    virtual QStringList ColumnNames() const = 0;
    virtual QString DeclaredType(int column) const = 0;
    virtual int FirstRowType(int column) const = 0; // SQLITE_NULL when there is no row
};

struct FieldBinding {
    FieldType type = FieldType::Text;
    int column = -1; // result column; -1 for a field the result does not give
};

class RowSource {
public:
    using Binder = std::function<void(Statement &)>;
    using Describe = std::function<std::vector<FieldBinding>(const ResultShape &)>;

    // Prepares its statements through `statements`, which may outlive it.
    RowSource(std::shared_ptr<StatementCache> statements, const QString &sql, Binder bind, RowKey key);
    ~RowSource();

    bool Keyed() const { return key_.IsSet(); }

    // Bounds the key and reads the first window; `describe` fixes the fields.
    std::vector<Row> Open(const Describe &describe, int limit);
    // Rows after the one whose order is `after` (from the start when empty).
    std::vector<Row> Fetch(const std::vector<QVariant> &after, int limit);
    // Orders by the field from now on (-1: the key's order). Keyed sources
    // only; the field's result column must have a name.
    void SetOrder(int field);
    // The rows of the result, and those before a row of the given order.
    int Count();
    int CountBefore(const std::vector<QVariant> &order);
    // The first row, in order, whose field equals the value exactly.
    std::optional<Row> Find(int field, const QVariant &value);
    // Takes a key written after the open into the result.
    void Admit(qint64 key) { bound_ = std::max(bound_, key); }

private:
    struct Phase;
    QString Inner() const;
    QString Column(int field) const;
    QString OrderBy() const;
    QString LowestValue() const;
    bool IndexWalksOrder();
    QStringList OrderColumns() const;
    QString Select(const QString &columns, const QString &condition, const QString &tail) const;
    Statement &Prepared(const QString &sql);
    std::vector<Row> Run(const QString &condition, const std::vector<QVariant> &values, int limit);
    std::vector<Row> ReadRows(Statement &statement, int limit, bool onRow);
    Row ReadRow(Statement &statement) const;
    qint64 Scalar(const QString &condition, const std::vector<QVariant> &values);

    sqlite3 *db_;
    std::shared_ptr<StatementCache> statements_;
    QString sql_;
    Binder bind_;
    RowKey key_;
    QStringList tieExpressions_; // hidden columns k__1.. in the result
    int hidden_ = 0;             // columns before the statement's own
    QStringList names_;          // the statement's own result column names
    std::vector<FieldBinding> fields_;
    int sortField_ = -1;
    std::optional<bool> indexWalksOrder_;
    qint64 bound_ = 0;
};

// The typed value of a field from its value in a Row.
QVariant HeldFieldValue(const QVariant &held, FieldType type);
// A date-time field's value in a Row as stored seconds; nothing when null.
std::optional<qint64> HeldDateTime(const QVariant &held);
// A value as a field of this type holds it when read from the store.
QVariant FieldValue(const QVariant &value, FieldType type);
// Whether two values of a field are the same stored value.
bool SameFieldValue(const QVariant &a, const QVariant &b, FieldType type);
// A text equal for two values exactly when SameFieldValue holds for them;
// nothing for a value that no value of the field can equal.
std::optional<QString> FieldValueKey(const QVariant &value, FieldType type);
