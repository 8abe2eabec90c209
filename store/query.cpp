#include "store/query.h"

#include "core/exception.h"
#include "store/connection.h"
#include "store/statement.h"
#include "store/summary_statements.h"

#include <sqlite3.h>

Query::Query(Connection &connection, QObject *parent) : DataSet(parent), connection_(connection)
{
    connect(&connection_, &Connection::BeforeDisconnect, this, [this] {
        Close();
        prepared_.reset();
    });
}

Query::~Query() = default;

void Query::SetSQL(const QStringList &lines)
{
    CheckInactive();
    lines_ = lines;
    prepared_.reset();
}

void Query::AddParam(const QString &name, FieldType type, const QVariant &value)
{
    params_.push_back({name, type, value});
}

QueryParam &Query::FindParam(const QString &name)
{
    for (QueryParam &param : params_)
        if (param.name.compare(name, Qt::CaseInsensitive) == 0)
            return param;
    throw EDatabaseError(QStringLiteral("%1: Parameter '%2' not found").arg(objectName(), name));
}

void Query::SetParam(const QString &name, const QVariant &value)
{
    CheckInactive();
    FindParam(name).value = value;
}

QVariant Query::Param(const QString &name) const { return const_cast<Query *>(this)->FindParam(name).value; }

void Query::SetPersistentFields(std::vector<FieldDef> fields)
{
    CheckInactive();
    persistent_ = std::move(fields);
    SetFields(persistent_);
}

void Query::SetColumnType(const QString &column, FieldType type) { columnTypes_.insert(column.toLower(), type); }

void Query::BindParams(Statement &statement) const
{
    for (int i = 1; i <= statement.ParameterCount(); ++i) {
        const QString name = statement.ParameterName(i);
        QVariant value;
        for (const QueryParam &param : params_)
            if (param.name.compare(name, Qt::CaseInsensitive) == 0)
                value = param.value;
        if (!value.isNull() && (value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray)) {
            bool ok = false;
            value = value.toString().trimmed().toLongLong(&ok);
            if (!ok)
                throw EDatabaseError(QStringLiteral("%1: Parameter '%2' is not an integer").arg(objectName(), name));
        }
        statement.Bind(i, value);
    }
}

FieldType Query::ResultType(Statement &statement, int column, const QString &name) const
{
    FieldType type = FieldType::Text;
    if (FieldTypeFromDeclared(statement.DeclaredType(column), &type))
        return type;
    if (columnTypes_.contains(name.toLower()))
        return columnTypes_.value(name.toLower());
    switch (sqlite3_column_type(statement.Handle(), column)) {
    case SQLITE_INTEGER:
        return FieldType::Integer32;
    case SQLITE_FLOAT:
        return FieldType::Float;
    default:
        return FieldType::Text;
    }
}

void Query::DoOpen()
{
    Statement statement(connection_.Handle(), StatementToRun(connection_.Handle(), SQLText()));
    BindParams(statement);
    const QStringList names = statement.ColumnNames();
    // The first row, if any, types untyped expression columns. It is kept:
    // starting over would run a grouped or sorted statement twice.
    const bool onRow = statement.Step();
    std::vector<FieldDef> fields;
    std::vector<int> columns;
    if (persistent_.empty()) {
        for (int c = 0; c < names.size(); ++c) {
            FieldDef field;
            field.name = names[c];
            field.type = ResultType(statement, c, names[c]);
            fields.push_back(field);
            columns.push_back(c);
        }
    } else {
        for (const FieldDef &field : persistent_) {
            int column = -1;
            for (int c = 0; c < names.size() && !field.IsLookup(); ++c)
                if (names[c].compare(field.name, Qt::CaseInsensitive) == 0)
                    column = c;
            if (column < 0 && !field.IsLookup())
                throw EDatabaseError(QStringLiteral("%1: Field '%2' not found").arg(objectName(), field.name));
            fields.push_back(field);
            columns.push_back(column);
        }
    }
    SetFields(std::move(fields));
    FetchRows(statement, columns, onRow);
}

int Query::ExecSQL()
{
    if (!prepared_)
        prepared_ = std::make_unique<Statement>(connection_.Handle(), SQLText());
    prepared_->Reset();
    BindParams(*prepared_);
    while (prepared_->Step()) {
    }
    return sqlite3_changes(connection_.Handle());
}
