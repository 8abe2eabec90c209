#pragma once
// A read-only grid over a data source: the visible fields as columns, the
// selected row kept in step with the data set's current row, and a signal
// with the field name of a clicked column title.

#include <QTableView>

class DataSource;
class DataSetTableModel;

class DbGrid : public QTableView {
    Q_OBJECT
public:
    explicit DbGrid(QWidget *parent = nullptr);
    void SetDataSource(DataSource &source);
    DataSetTableModel *Model() const { return model_; }

signals:
    void TitleClick(const QString &fieldName);

private:
    void SizeColumns();
    void ShowCurrent(int position);

    DataSetTableModel *model_ = nullptr;
};
