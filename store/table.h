#pragma once
// A table component: the whole of one table (or, while its filter is on, the
// rows matching its filter text "FIELD = number", selected by the engine),
// with rows appended, changed and deleted through the key column ID.

#include "store/data_set.h"

#include <memory>

class Connection;

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
    void DoOpen() override;
    void DoPost(bool inserting, std::vector<QVariant> &buffer, int storageRow) override;
    void DoDelete(int storageRow) override;

private:
    void Reopen();

    Connection &connection_;
    QString tableName_;
    QString filter_;
    bool filtered_ = false;
    std::unique_ptr<Statement> delete_; // kept: deletions come row after row
};
