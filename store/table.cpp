#include "store/table.h"

#include "core/exception.h"
#include "store/connection.h"
#include "store/statement.h"
#include "store/statement_cache.h"

#include <QRegularExpression>
#include <sqlite3.h>

namespace {

struct FilterCondition {
    QString field;
    qlonglong value = 0;
};

FilterCondition ParseFilter(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^\\s*([A-Za-z_][A-Za-z0-9_]*)\\s*=\\s*([+-]?\\d+)\\s*$"));
    const auto match = form.match(text);
    bool ok = false;
    const qlonglong value = match.hasMatch() ? match.captured(2).toLongLong(&ok) : 0;
    if (!ok)
        throw EDatabaseError(QStringLiteral("Filter cannot be opened: '%1'").arg(text));
    return {match.captured(1), value};
}

} // namespace

Table::Table(Connection &connection, QString tableName, QObject *parent)
    : DataSet(parent), connection_(connection), tableName_(std::move(tableName)),
      deleteSql_(QStringLiteral("delete from %1 where ID = ?").arg(tableName_))
{
    connect(&connection_, &Connection::BeforeDisconnect, this, [this] {
        Close();
        statements_.reset();
    });
}

Table::~Table() = default;

void Table::SetFilter(const QString &text)
{
    if (text == filter_)
        return;
    filter_ = text;
    if (filtered_)
        Reopen();
}

void Table::SetFiltered(bool on)
{
    if (on == filtered_)
        return;
    filtered_ = on;
    Reopen();
}

void Table::Reopen()
{
    if (!Active())
        return;
    Close();
    Open();
}

std::unique_ptr<RowSource> Table::MakeSource()
{
    QString sql = QStringLiteral("select * from %1").arg(tableName_);
    const bool useFilter = filtered_ && !filter_.trimmed().isEmpty();
    RowSource::Binder bind;
    if (useFilter) {
        const FilterCondition condition = ParseFilter(filter_);
        sql += QStringLiteral(" where %1 = :filter__").arg(condition.field);
        bind = [value = condition.value](Statement &statement) { statement.Bind(QStringLiteral("filter__"), value); };
    }
    return std::make_unique<RowSource>(Statements(), sql, bind,
                                       RowKey{QStringLiteral("ID"), tableName_, {}});
}

std::vector<DataSet::ResultField> Table::DescribeFields(const ResultShape &shape)
{
    std::vector<ResultField> fields;
    const QStringList names = shape.ColumnNames();
    for (int c = 0; c < names.size(); ++c) {
        FieldDef field;
        field.name = names[c];
        FieldTypeFromDeclared(shape.DeclaredType(c), &field.type);
        fields.push_back({field, c});
    }
    return fields;
}

void Table::DoPost(bool inserting, std::vector<QVariant> &buffer, const std::vector<QVariant> *stored)
{
    const int idField = FieldIndexOrThrow(QStringLiteral("ID"));
    QStringList columns;
    QVariantList values;
    for (int f = 0; f < FieldCount(); ++f) {
        if (f == idField)
            continue;
        if (inserting && buffer[size_t(f)].isNull())
            continue; // the column's default applies
        if (!inserting && buffer[size_t(f)] == (*stored)[size_t(f)])
            continue;
        columns << Field(f).name;
        values << buffer[size_t(f)];
    }
    sqlite3 *db = connection_.Handle();
    QString sql;
    if (inserting) {
        sql = columns.isEmpty() ? QStringLiteral("insert into %1 default values").arg(tableName_)
                                : QStringLiteral("insert into %1 (%2) values (%3)")
                                      .arg(tableName_, columns.join(QLatin1Char(',')),
                                           QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(',')));
    } else {
        if (columns.isEmpty())
            return;
        sql = QStringLiteral("update %1 set %2 = ? where ID = ?").arg(tableName_, columns.join(QStringLiteral(" = ?, ")));
        values << (*stored)[size_t(idField)];
    }
    Statement statement(db, sql);
    for (int i = 0; i < values.size(); ++i)
        statement.Bind(i + 1, values[i]);
    statement.Step();
    if (inserting)
        buffer[size_t(idField)] = qlonglong(sqlite3_last_insert_rowid(db));
    else if (sqlite3_changes(db) != 1)
        throw EDatabaseError(QStringLiteral("Row cannot be located for updating. Some values may have been changed since it was last read"));
}

const std::shared_ptr<StatementCache> &Table::Statements()
{
    if (!statements_)
        statements_ = std::make_shared<StatementCache>(connection_.Handle());
    return statements_;
}

void Table::DoDelete(const std::vector<QVariant> &row)
{
    Statement &remove = Statements()->Get(deleteSql_);
    remove.Reset();
    remove.Bind(1, row[size_t(FieldIndexOrThrow(QStringLiteral("ID")))]);
    remove.Step();
    if (sqlite3_changes(connection_.Handle()) != 1)
        throw EDatabaseError(QStringLiteral("Row cannot be located for deleting. Some values may have been changed since it was last read"));
}
