#pragma once
// Shows the visible fields of a data set as columns, titled with their
// display labels, one row per record in the cursor's order. Rows are read
// from the store as the view scrolls to them.

#include <QAbstractTableModel>
#include <vector>

class DataSet;

class DataSetTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataSetTableModel(DataSet &dataSet, QObject *parent = nullptr);

    DataSet &GetDataSet() const { return dataSet_; }
    int FieldOfColumn(int column) const { return columns_[size_t(column)]; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

private:
    void TakeColumns();

    DataSet &dataSet_;
    std::vector<int> columns_; // field index of each column
};
