#pragma once
// A list of one field of a data set that yields the key of the entry the
// user last selected (null until then). Selecting an entry also makes its row
// the data set's current row. A right click selects nothing.

#include <QListView>
#include <QVariant>

class DataSource;
class DataSetListModel;
class QMenu;

class DbLookupListBox : public QListView {
    Q_OBJECT
public:
    explicit DbLookupListBox(QWidget *parent = nullptr);
    void SetListSource(DataSource &source, const QString &keyField, const QString &listField);
    void SetPopupMenu(QMenu *menu) { popup_ = menu; }

    QVariant KeyValue() const { return keyValue_; }
    DataSetListModel *Model() const { return model_; }
    // Selects the entry as a user click does, without the click events.
    void SelectRow(int row);

signals:
    void Click();
    void DblClick();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void ShowKey();

    DataSetListModel *model_ = nullptr;
    QMenu *popup_ = nullptr;
    QVariant keyValue_;
    bool typing_ = false;
};
