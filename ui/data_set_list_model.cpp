#include "ui/data_set_list_model.h"

#include "store/data_set.h"
#include "ui/display_text.h"

DataSetListModel::DataSetListModel(DataSet &dataSet, QString keyField, QString listField, QObject *parent)
    : QAbstractListModel(parent), dataSet_(dataSet), keyField_(std::move(keyField)), listField_(std::move(listField))
{
    connect(&dataSet_, &DataSet::BeforeReset, this, [this] { beginResetModel(); });
    connect(&dataSet_, &DataSet::AfterReset, this, [this] { endResetModel(); });
    connect(&dataSet_, &DataSet::BeforeFetchRows, this, [this](int first, int last) { beginInsertRows({}, first, last); });
    connect(&dataSet_, &DataSet::AfterFetchRows, this, [this] { endInsertRows(); });
    connect(&dataSet_, &DataSet::BeforeInsertRow, this, [this](int p) { beginInsertRows({}, p, p); });
    connect(&dataSet_, &DataSet::AfterInsertRow, this, [this] { endInsertRows(); });
    connect(&dataSet_, &DataSet::BeforeRemoveRow, this, [this](int p) { beginRemoveRows({}, p, p); });
    connect(&dataSet_, &DataSet::AfterRemoveRow, this, [this] { endRemoveRows(); });
    connect(&dataSet_, &DataSet::RowChanged, this, [this](int p) { emit dataChanged(index(p), index(p)); });
}

int DataSetListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : dataSet_.FetchedCount();
}

QVariant DataSetListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == KeyRole)
        return dataSet_.ValueAt(index.row(), dataSet_.FieldIndex(keyField_));
    if (role != Qt::DisplayRole)
        return QVariant();
    const int field = dataSet_.FieldIndex(listField_);
    return field < 0 ? QVariant() : DisplayText(dataSet_.ValueAt(index.row(), field), dataSet_.Field(field).type);
}

int DataSetListModel::RowOfKey(const QVariant &key) const
{
    if (key.isNull())
        return -1;
    const int field = dataSet_.FieldIndex(keyField_);
    for (int row = 0; row < rowCount(); ++row)
        if (dataSet_.ValueAt(row, field) == key)
            return row;
    return -1;
}

QVariant DataSetListModel::Choose(int row)
{
    const QVariant key = data(index(row), KeyRole);
    if (!key.isNull() && dataSet_.Active())
        dataSet_.Locate(keyField_, key);
    return key;
}

bool DataSetListModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && dataSet_.CanFetchMore();
}

void DataSetListModel::fetchMore(const QModelIndex &parent)
{
    if (!parent.isValid())
        dataSet_.FetchMore();
}
