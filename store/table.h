#pragma once
// A table component: the whole of one table (or, while its filter is on, the
// rows matching its filter text "FIELD = number", selected by the engine),
// read a window at a time in the order of the key column ID, with rows
// appended, changed and deleted through that key.

#include "store/data_set.h"

#include <memory>

class Connection;
class StatementCache;

class Table : public DataSet {
    Q_OBJECT
public:
    Table(Connection &connection, QString tableName, QObject *parent = nullptr);
    ~Table() override;

    QString TableName() const { return tableName_; }

    QString Filter() const { return filter_; }
    bool Filtered() const { return filtered_; }
    // On an open table a change takes effect at once: the rows are read again.
    void SetFilter(const QString &text);
    void SetFiltered(bool on);

protected:
    std::unique_ptr<RowSource> MakeSource() override;
    std::vector<ResultField> DescribeFields(const ResultShape &shape) override;
    void DoPost(bool inserting, std::vector<QVariant> &buffer, const std::vector<QVariant> *stored) override;
    void DoDelete(const std::vector<QVariant> &row) override;

private:
    void Reopen();
    const std::shared_ptr<StatementCache> &Statements();

    Connection &connection_;
    QString tableName_;
    QString deleteSql_; // built once: deletions come row after row
    QString filter_;
    bool filtered_ = false;
    // Kept: a table reopens with the same few statements, and deletes row
    // after row.
    std::shared_ptr<StatementCache> statements_;
};
