#pragma once
// A drop-down list of one field of a data set that yields the key of the
// entry chosen (null until one is), whether it was chosen in the list or with
// the keyboard. CloseUp fires whenever the list closes, changed or not. The
// key outlives a refresh of the data set, even when its row is gone.

#include <QComboBox>
#include <QVariant>

class DataSource;
class DataSetListModel;

class DbLookupComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DbLookupComboBox(QWidget *parent = nullptr);
    void SetListSource(DataSource &source, const QString &keyField, const QString &listField);

    QVariant KeyValue() const { return keyValue_; }
    void SetKeyValue(const QVariant &key);
    void hidePopup() override;

signals:
    void CloseUp();

private:
    void ShowKey();

    DataSetListModel *model_ = nullptr;
    QVariant keyValue_;
    bool restoring_ = false;
};
