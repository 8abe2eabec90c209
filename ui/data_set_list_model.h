#pragma once
// One entry per record of a data set: the list field's text for display and
// the key field's value under KeyRole.

#include <QAbstractListModel>

class DataSet;

class DataSetListModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int KeyRole = Qt::UserRole + 1;

    DataSetListModel(DataSet &dataSet, QString keyField, QString listField, QObject *parent = nullptr);

    DataSet &GetDataSet() const { return dataSet_; }
    QString KeyField() const { return keyField_; }
    // The row holding the key, -1 when none does.
    int RowOfKey(const QVariant &key) const;
    // The user chose the entry: its row becomes the data set's current row.
    // Returns the entry's key.
    QVariant Choose(int row);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

private:
    DataSet &dataSet_;
    QString keyField_;
    QString listField_;
};
