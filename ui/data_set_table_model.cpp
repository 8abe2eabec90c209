#include "ui/data_set_table_model.h"

#include "store/data_set.h"
#include "ui/display_text.h"

DataSetTableModel::DataSetTableModel(DataSet &dataSet, QObject *parent)
    : QAbstractTableModel(parent), dataSet_(dataSet)
{
    TakeColumns();
    connect(&dataSet_, &DataSet::BeforeReset, this, [this] { beginResetModel(); });
    connect(&dataSet_, &DataSet::AfterReset, this, [this] {
        TakeColumns();
        endResetModel();
    });
    connect(&dataSet_, &DataSet::BeforeFetchRows, this, [this](int first, int last) { beginInsertRows({}, first, last); });
    connect(&dataSet_, &DataSet::AfterFetchRows, this, [this] { endInsertRows(); });
    connect(&dataSet_, &DataSet::BeforeInsertRow, this, [this](int p) { beginInsertRows({}, p, p); });
    connect(&dataSet_, &DataSet::AfterInsertRow, this, [this] { endInsertRows(); });
    connect(&dataSet_, &DataSet::BeforeRemoveRow, this, [this](int p) { beginRemoveRows({}, p, p); });
    connect(&dataSet_, &DataSet::AfterRemoveRow, this, [this] { endRemoveRows(); });
    connect(&dataSet_, &DataSet::RowChanged, this,
            [this](int p) { emit dataChanged(index(p, 0), index(p, columnCount() - 1)); });
}

void DataSetTableModel::TakeColumns()
{
    columns_.clear();
    for (int f = 0; f < dataSet_.FieldCount(); ++f)
        if (dataSet_.Field(f).visible)
            columns_.push_back(f);
}

int DataSetTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : dataSet_.FetchedCount();
}

int DataSetTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant DataSetTableModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return QVariant();
    const int field = FieldOfColumn(index.column());
    return DisplayText(dataSet_.ValueAt(index.row(), field), dataSet_.Field(field).type);
}

QVariant DataSetTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    return dataSet_.Field(FieldOfColumn(section)).DisplayLabel();
}

bool DataSetTableModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && dataSet_.CanFetchMore();
}

void DataSetTableModel::fetchMore(const QModelIndex &parent)
{
    if (!parent.isValid())
        dataSet_.FetchMore();
}
