#pragma once
// Names the data set that a group of controls shows.

#include <QObject>

class DataSet;

class DataSource : public QObject {
    Q_OBJECT
public:
    DataSource(DataSet &dataSet, QObject *parent = nullptr) : QObject(parent), dataSet_(dataSet) {}
    DataSet &GetDataSet() const { return dataSet_; }

private:
    DataSet &dataSet_;
};
