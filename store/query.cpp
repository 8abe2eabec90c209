#include "store/query.h"

#include "core/exception.h"
#include "store/connection.h"
#include "store/statement.h"
#include "store/statement_cache.h"
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

FieldType Query::ResultType(const ResultShape &shape, int column, const QString &name) const
{
    FieldType type = FieldType::Text;
    if (FieldTypeFromDeclared(shape.DeclaredType(column), &type))
        return type;
    if (columnTypes_.contains(name.toLower()))
        return columnTypes_.value(name.toLower());
    switch (shape.FirstRowType(column)) {
    case SQLITE_INTEGER:
        return FieldType::Integer32;
    case SQLITE_FLOAT:
        return FieldType::Float;
    default:
        return FieldType::Text;
    }
}

std::unique_ptr<RowSource> Query::MakeSource()
{
    const QString text = StatementToRun(connection_.Handle(), SQLText());
    // Statements built at run time are seldom run again: they go with the source.
    return std::make_unique<RowSource>(
        std::make_shared<StatementCache>(connection_.Handle()), text,
        [this](Statement &statement) { BindParams(statement); }, rowKey_);
}

std::vector<DataSet::ResultField> Query::DescribeFields(const ResultShape &shape)
{
    const QStringList names = shape.ColumnNames();
    std::vector<ResultField> fields;
    if (persistent_.empty()) {
        for (int c = 0; c < names.size(); ++c) {
            FieldDef field;
            field.name = names[c];
            field.type = ResultType(shape, c, names[c]);
            fields.push_back({field, c});
        }
        return fields;
    }
    for (const FieldDef &field : persistent_) {
        int column = -1;
        for (int c = 0; c < names.size() && !field.IsLookup(); ++c)
            if (names[c].compare(field.name, Qt::CaseInsensitive) == 0)
                column = c;
        if (column < 0 && !field.IsLookup())
            throw EDatabaseError(QStringLiteral("%1: Field '%2' not found").arg(objectName(), field.name));
        fields.push_back({field, column});
    }
    return fields;
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
