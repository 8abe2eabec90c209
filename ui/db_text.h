#pragma once
// Shows one field of the current row of a data source; empty when the data
// set is closed or has no rows.

#include <QLabel>

class DataSource;

class DbText : public QLabel {
    Q_OBJECT
public:
    explicit DbText(QWidget *parent = nullptr);
    void SetDataField(DataSource &source, const QString &field);

private:
    void Refresh();

    DataSource *source_ = nullptr;
    QString field_;
};
