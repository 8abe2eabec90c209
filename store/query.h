#pragma once
// A query component: a statement (lines joined with CR LF), named integer
// parameters, and optionally persistent fields that fix the result's fields
// by name. Opened with a row key, it reads its result a window at a time;
// without one, whole. Executed, it runs the statement once. Its statement and
// parameters change only while it is closed.

#include "store/data_set.h"

#include <QStringList>
#include <memory>

class Connection;

struct QueryParam {
    QString name;
    FieldType type = FieldType::Integer32;
    QVariant value;
};

class Query : public DataSet {
    Q_OBJECT
public:
    explicit Query(Connection &connection, QObject *parent = nullptr);
    ~Query() override;

    void SetSQL(const QStringList &lines);
    QString SQLText() const { return lines_.join(QStringLiteral("\r\n")); }

    void AddParam(const QString &name, FieldType type, const QVariant &value);
    void SetParam(const QString &name, const QVariant &value);
    QVariant Param(const QString &name) const;

    // Persistent fields: the fields the result must carry, in this order.
    void SetPersistentFields(std::vector<FieldDef> fields);
    // The type of a result column that the engine cannot type (an expression).
    void SetColumnType(const QString &column, FieldType type);
    // The key that lets the result be read in windows (see RowSource).
    void SetRowKey(RowKey key) { rowKey_ = std::move(key); }

    // Runs the statement once; returns the number of rows it changed.
    int ExecSQL();

protected:
    std::unique_ptr<RowSource> MakeSource() override;
    std::vector<ResultField> DescribeFields(const ResultShape &shape) override;
    std::vector<FieldDef> DesignFields() const override { return persistent_; }

private:
    QueryParam &FindParam(const QString &name);
    void BindParams(Statement &statement) const;
    FieldType ResultType(const ResultShape &shape, int column, const QString &name) const;

    Connection &connection_;
    QStringList lines_;
    std::vector<QueryParam> params_;
    std::vector<FieldDef> persistent_;
    QHash<QString, FieldType> columnTypes_;
    RowKey rowKey_;
    std::unique_ptr<Statement> prepared_; // kept for repeated ExecSQL
};
