#pragma once
// A drop-down list of one field of a data set that yields the key of the
// entry chosen (null until one is), whether it was chosen in the list or with
// the keyboard; the chosen entry's row becomes the data set's current row.
// CloseUp tells, once, that the user closed the open list, changed or not,
// after the choice made there has become the key; hiding the control with its
// page or window is not a close-up. The key outlives a refresh of the data
// set, even when its row is gone.

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
    void showPopup() override;
    void hidePopup() override;

signals:
    void CloseUp();

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void ShowKey();

    DataSetListModel *model_ = nullptr;
    QVariant keyValue_;
    bool restoring_ = false;
    bool listOpen_ = false;
};
