#include "store/row_source.h"

#include "core/exception.h"
#include "store/statement.h"
#include "store/statement_cache.h"
#include "store/stored_datetime.h"

#include <QRegularExpression>
#include <cmath>
#include <sqlite3.h>

namespace {

const QString kKey = QStringLiteral("k__0");

QString Hidden(int index) { return QStringLiteral("k__%1").arg(index); }

QString Placeholder(int index) { return QStringLiteral(":w__%1").arg(index); }

QString Placeholders(int first, int count)
{
    QStringList list;
    for (int i = first; i < first + count; ++i)
        list << Placeholder(i);
    return list.join(QLatin1Char(','));
}

QVariant RawValue(sqlite3_stmt *stmt, int column)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        return qlonglong(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt, column);
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, column)),
                          sqlite3_column_bytes(stmt, column));
    default:
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, column)),
                                 sqlite3_column_bytes(stmt, column));
    }
}

QVariant IntegerValue(qlonglong value)
{
    if (value >= INT32_MIN && value <= INT32_MAX)
        return QVariant(int(value));
    return QVariant(value);
}

QVariant Typed(const QVariant &raw, FieldType type)
{
    if (raw.isNull())
        return QVariant();
    switch (type) {
    case FieldType::Integer16:
    case FieldType::Integer32:
        if (raw.typeId() == QMetaType::Double)
            return IntegerValue(std::llround(raw.toDouble()));
        return IntegerValue(raw.toLongLong());
    case FieldType::Float:
        return raw.toDouble();
    case FieldType::DateTime:
        return DateTimeFromStored(raw.toLongLong());
    case FieldType::Text:
        return raw.toString();
    }
    return raw;
}

// A date-time stays in its stored form until it is read: making a local
// date-time costs a look at the time zone, and a chart reads thousands.
QVariant Held(const QVariant &raw, FieldType type)
{
    if (type == FieldType::DateTime && !raw.isNull())
        return QVariant(raw.toLongLong()); // as Typed reads it
    return Typed(raw, type);
}

// A value as the store holds it, for comparing with a column of this type;
// nothing when it cannot equal any value of the column.
std::optional<QVariant> Stored(const QVariant &value, FieldType type)
{
    bool ok = true;
    switch (type) {
    case FieldType::Integer16:
    case FieldType::Integer32: {
        const qlonglong number = value.toLongLong(&ok);
        return ok ? std::optional<QVariant>(number) : std::nullopt;
    }
    case FieldType::Float:
        return value.toDouble();
    case FieldType::DateTime:
        return qlonglong(StoredDateTime(value.toDateTime()));
    case FieldType::Text:
        return value.toString();
    }
    return value;
}

class FirstRow : public ResultShape {
public:
    FirstRow(Statement &statement, int hidden, bool onRow)
        : statement_(statement), hidden_(hidden), onRow_(onRow)
    {
    }
    QStringList ColumnNames() const override { return statement_.ColumnNames().mid(hidden_); }
    QString DeclaredType(int column) const override { return statement_.DeclaredType(hidden_ + column); }
    int FirstRowType(int column) const override
    {
        return onRow_ ? sqlite3_column_type(statement_.Handle(), hidden_ + column) : SQLITE_NULL;
    }

private:
    Statement &statement_;
    int hidden_;
    bool onRow_;
};

} // namespace

RowSource::RowSource(std::shared_ptr<StatementCache> statements, const QString &sql, Binder bind, RowKey key)
    : db_(statements->Db()), statements_(std::move(statements)), sql_(sql), bind_(std::move(bind)),
      key_(std::move(key))
{
    for (const QStringList &ties : std::as_const(key_.ties))
        for (const QString &tie : ties)
            if (!tieExpressions_.contains(tie))
                tieExpressions_ << tie;
    hidden_ = Keyed() ? 1 + int(tieExpressions_.size()) : 0;
}

RowSource::~RowSource() = default;

QString RowSource::Inner() const
{
    QString sql = sql_.trimmed();
    while (sql.endsWith(QLatin1Char(';')))
        sql = sql.chopped(1).trimmed();
    if (!Keyed())
        return sql;
    static const QRegularExpression select(QStringLiteral("^select\\s+"), QRegularExpression::CaseInsensitiveOption);
    const auto match = select.match(sql);
    if (!match.hasMatch())
        throw EDatabaseError(QStringLiteral("A keyed statement must start with select: %1").arg(sql));
    QStringList hidden{key_.expression + QStringLiteral(" as ") + kKey};
    for (int i = 0; i < tieExpressions_.size(); ++i)
        hidden << tieExpressions_[i] + QStringLiteral(" as ") + Hidden(i + 1);
    return QStringLiteral("select ") + hidden.join(QLatin1Char(',')) + QLatin1Char(',') + sql.mid(match.capturedEnd());
}

QString RowSource::Column(int field) const
{
    const int column = fields_[size_t(field)].column;
    if (column < 0)
        throw EDatabaseError(QStringLiteral("A look-up field cannot be sorted or searched in the store"));
    QString name = names_[column];
    return QLatin1Char('"') + name.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

// The columns that order the rows: the sorted field, the keys that break its
// ties, and the row key last, so that every row has a place of its own.
QStringList RowSource::OrderColumns() const
{
    QStringList columns;
    if (sortField_ >= 0) {
        columns << Column(sortField_);
        for (const QString &tie : key_.ties.value(names_[fields_[size_t(sortField_)].column].toLower()))
            columns << Hidden(1 + int(tieExpressions_.indexOf(tie)));
    }
    if (Keyed())
        columns << kKey;
    return columns;
}

QString RowSource::OrderBy() const
{
    const QStringList columns = OrderColumns();
    return columns.isEmpty() ? QString() : QStringLiteral(" order by ") + columns.join(QLatin1Char(','));
}

QString RowSource::Select(const QString &columns, const QString &condition, const QString &tail) const
{
    QStringList conditions;
    if (Keyed())
        conditions << kKey + QStringLiteral(" <= :w__b");
    if (!condition.isEmpty())
        conditions << condition;
    // A whole result read in its order is the statement itself, whatever kind.
    if (conditions.isEmpty() && tail.isEmpty() && columns == QLatin1String("*"))
        return Inner();
    QString sql = QStringLiteral("select %1 from (%2)").arg(columns, Inner());
    if (!conditions.isEmpty())
        sql += QStringLiteral(" where ") + conditions.join(QStringLiteral(" and "));
    return sql + tail;
}

Statement &RowSource::Prepared(const QString &sql) { return statements_->Get(sql); }

Row RowSource::ReadRow(Statement &statement) const
{
    sqlite3_stmt *stmt = statement.Handle();
    Row row;
    row.values.reserve(fields_.size());
    for (const FieldBinding &field : fields_)
        row.values.push_back(field.column < 0 ? QVariant() : Held(RawValue(stmt, hidden_ + field.column), field.type));
    if (!Keyed())
        return row;
    if (sortField_ >= 0) {
        row.order.push_back(RawValue(stmt, hidden_ + fields_[size_t(sortField_)].column));
        for (const QString &tie : key_.ties.value(names_[fields_[size_t(sortField_)].column].toLower()))
            row.order.push_back(RawValue(stmt, 1 + int(tieExpressions_.indexOf(tie))));
    }
    row.order.push_back(RawValue(stmt, 0));
    return row;
}

std::vector<Row> RowSource::ReadRows(Statement &statement, int limit, bool onRow)
{
    std::vector<Row> rows;
    for (; onRow; onRow = statement.Step()) {
        rows.push_back(ReadRow(statement));
        if (Keyed() && int(rows.size()) >= limit)
            break;
    }
    return rows;
}

std::vector<Row> RowSource::Run(const QString &condition, const std::vector<QVariant> &values, int limit)
{
    const QString tail = OrderBy() + (Keyed() ? QStringLiteral(" limit :w__n") : QString());
    Statement &statement = Prepared(Select(QStringLiteral("*"), condition, tail));
    if (bind_)
        bind_(statement);
    if (Keyed()) {
        statement.Bind(QStringLiteral("w__b"), bound_);
        statement.Bind(QStringLiteral("w__n"), limit);
    }
    for (size_t i = 0; i < values.size(); ++i)
        statement.Bind(Placeholder(int(i)).mid(1), values[i]);
    try {
        std::vector<Row> rows = ReadRows(statement, limit, statement.Step());
        statement.Reset(); // ends the read at once
        return rows;
    } catch (...) {
        statement.Reset();
        throw;
    }
}

std::vector<Row> RowSource::Open(const Describe &describe, int limit)
{
    if (Keyed()) {
        const QString column = key_.expression.mid(key_.expression.lastIndexOf(QLatin1Char('.')) + 1);
        Statement &max = Prepared(QStringLiteral("select coalesce(max(%1), 0) from %2").arg(column, key_.table));
        max.Step();
        bound_ = sqlite3_column_int64(max.Handle(), 0);
        max.Reset();
    }
    const QString tail = Keyed() ? QStringLiteral(" order by k__0 limit :w__n") : QString();
    Statement &statement = Prepared(Select(QStringLiteral("*"), QString(), tail));
    if (bind_)
        bind_(statement);
    if (Keyed()) {
        statement.Bind(QStringLiteral("w__b"), bound_);
        statement.Bind(QStringLiteral("w__n"), limit);
    }
    try {
        // The first row, if any, types untyped expression columns. It is
        // kept: starting over would run a grouped statement twice.
        const bool onRow = statement.Step();
        for (int c = hidden_; c < statement.ColumnCount(); ++c)
            names_ << QString::fromUtf8(sqlite3_column_name(statement.Handle(), c));
        fields_ = describe(FirstRow(statement, hidden_, onRow));
        std::vector<Row> rows = ReadRows(statement, limit, onRow);
        statement.Reset();
        return rows;
    } catch (...) {
        statement.Reset();
        throw;
    }
}

std::vector<Row> RowSource::Fetch(const std::vector<QVariant> &after, int limit)
{
    if (!Keyed())
        return after.empty() ? Run(QString(), {}, limit) : std::vector<Row>();
    if (sortField_ < 0)
        return Run(after.empty() ? QString() : kKey + QStringLiteral(" > :w__0"), after, limit);
    const QString field = Column(sortField_);
    const QString ties = OrderColumns().mid(1).join(QLatin1Char(','));
    if (!after.empty() && !after[0].isNull())
        return Run(QStringLiteral("%1 >= :w__0 and (%1,%2) > (%3)").arg(field, ties, Placeholders(0, int(after.size()))),
                   after, limit);
    // From the start, or among the nulls, which come first.
    const std::vector<QVariant> tieValues(after.begin() + std::min<size_t>(1, after.size()), after.end());
    QString nulls = field + QStringLiteral(" is null");
    if (!tieValues.empty())
        nulls += QStringLiteral(" and (%1) > (%2)").arg(ties, Placeholders(0, int(tieValues.size())));
    if (!IndexWalksOrder())
        return Run(after.empty() ? QString() : QStringLiteral("(%1 or %2 is not null)").arg(nulls, field), tieValues,
                   limit);
    // The nulls, then the values from the lowest up: a range on the field
    // lets the engine walk an index on it in order.
    std::vector<Row> rows = Run(nulls, tieValues, limit);
    if (int(rows.size()) == limit)
        return rows;
    std::vector<Row> values = Run(field + QStringLiteral(" >= ") + LowestValue(), {}, limit - int(rows.size()));
    rows.insert(rows.end(), std::make_move_iterator(values.begin()), std::make_move_iterator(values.end()));
    return rows;
}

void RowSource::SetOrder(int field)
{
    if (field >= 0)
        Column(field); // refuses a look-up field
    sortField_ = field;
    indexWalksOrder_.reset();
}

QString RowSource::LowestValue() const
{
    return fields_[size_t(sortField_)].type == FieldType::Text ? QStringLiteral("''") : QStringLiteral("-9e999");
}

// Whether the engine reads the sorted rows from an index in their order.
// Then nulls and values are best read apart, each along the index; else
// every window sorts the whole result, and one pass must do for both. A
// sort of the ties of each index entry alone (the right part of the order)
// still stops after the window's rows.
bool RowSource::IndexWalksOrder()
{
    if (indexWalksOrder_)
        return *indexWalksOrder_;
    const QString sql = Select(QStringLiteral("*"), Column(sortField_) + QStringLiteral(" >= ") + LowestValue(),
                               OrderBy() + QStringLiteral(" limit :w__n"));
    Statement plan(db_, QStringLiteral("explain query plan ") + sql);
    if (bind_)
        bind_(plan);
    plan.Bind(QStringLiteral("w__b"), bound_);
    plan.Bind(QStringLiteral("w__n"), 1);
    bool walks = true;
    while (plan.Step())
        if (QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(plan.Handle(), 3)))
                .contains(QLatin1String("TEMP B-TREE FOR ORDER BY")))
            walks = false;
    indexWalksOrder_ = walks;
    return walks;
}

qint64 RowSource::Scalar(const QString &condition, const std::vector<QVariant> &values)
{
    Statement &statement = Prepared(Select(QStringLiteral("count(*)"), condition, QString()));
    if (bind_)
        bind_(statement);
    statement.Bind(QStringLiteral("w__b"), bound_);
    for (size_t i = 0; i < values.size(); ++i)
        statement.Bind(Placeholder(int(i)).mid(1), values[i]);
    try {
        statement.Step();
        const qint64 count = sqlite3_column_int64(statement.Handle(), 0);
        statement.Reset();
        return count;
    } catch (...) {
        statement.Reset();
        throw;
    }
}

int RowSource::Count() { return int(Scalar(QString(), {})); }

int RowSource::CountBefore(const std::vector<QVariant> &order)
{
    if (sortField_ < 0)
        return int(Scalar(kKey + QStringLiteral(" < :w__0"), order));
    const QString field = Column(sortField_);
    const QStringList ties = OrderColumns().mid(1);
    if (order[0].isNull()) {
        const std::vector<QVariant> rest(order.begin() + 1, order.end());
        return int(Scalar(QStringLiteral("%1 is null and (%2) < (%3)")
                              .arg(field, ties.join(QLatin1Char(',')), Placeholders(0, int(rest.size()))),
                          rest));
    }
    return int(Scalar(QStringLiteral("(%1 is null or (%1,%2) < (%3))")
                          .arg(field, ties.join(QLatin1Char(',')), Placeholders(0, int(order.size()))),
                      order));
}

std::optional<Row> RowSource::Find(int field, const QVariant &value)
{
    const QString column = Column(field);
    if (value.isNull()) {
        std::vector<Row> rows = Run(column + QStringLiteral(" is null"), {}, 1);
        return rows.empty() ? std::nullopt : std::optional<Row>(std::move(rows.front()));
    }
    const FieldType type = fields_[size_t(field)].type;
    const std::optional<QVariant> stored = Stored(value, type);
    if (!stored)
        return std::nullopt;
    // The column's own collation finds candidates by its index; equal means
    // equal in every character.
    QString condition = column + QStringLiteral(" = :w__0");
    if (type == FieldType::Text)
        condition += QStringLiteral(" and ") + column + QStringLiteral(" = :w__0 collate binary");
    std::vector<Row> rows = Run(condition, {*stored}, 1);
    return rows.empty() ? std::nullopt : std::optional<Row>(std::move(rows.front()));
}

QVariant FieldValue(const QVariant &value, FieldType type)
{
    if (value.isNull())
        return QVariant();
    const std::optional<QVariant> stored = Stored(value, type);
    return stored ? Typed(*stored, type) : QVariant();
}

bool SameFieldValue(const QVariant &a, const QVariant &b, FieldType type)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    const std::optional<QVariant> left = Stored(a, type);
    const std::optional<QVariant> right = Stored(b, type);
    return left && right && *left == *right;
}

std::optional<QString> FieldValueKey(const QVariant &value, FieldType type)
{
    if (value.isNull())
        return QStringLiteral("n");
    const std::optional<QVariant> stored = Stored(value, type);
    if (!stored)
        return std::nullopt;
    // Doubles print in their shortest exact form, so equal texts are equal values.
    return QStringLiteral("v") + stored->toString();
}

QVariant HeldFieldValue(const QVariant &held, FieldType type)
{
    if (type == FieldType::DateTime && held.typeId() == QMetaType::LongLong)
        return DateTimeFromStored(held.toLongLong());
    return held;
}

std::optional<qint64> HeldDateTime(const QVariant &held)
{
    if (held.isNull())
        return std::nullopt;
    if (held.typeId() == QMetaType::LongLong)
        return held.toLongLong();
    return StoredDateTime(held.toDateTime());
}
