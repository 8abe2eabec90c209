#pragma once
// A list of one field of a data set that yields the key of the entry the
// user last selected (null until then). Selecting an entry also makes its row
// the data set's current row. A right click selects nothing. With extended
// selection, Ctrl and Shift clicks select several entries; the key value is
// then that of the entry clicked last.

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

    // Shift and Ctrl clicks select several entries.
    void SetExtendedSelection();

    QVariant KeyValue() const { return keyValue_; }
    // The keys of the selected entries in list order; the key value alone
    // while no entry shown is selected (none when it is null).
    QVariantList KeyValues() const;
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
    void ExtendSelection(int row, Qt::KeyboardModifiers modifiers);
    void RestoreSelection(const QVariantList &keys);

    DataSetListModel *model_ = nullptr;
    QMenu *popup_ = nullptr;
    QVariant keyValue_;
    bool typing_ = false;
    // What was selected before the last plain click, so that a double click
    // on any of several selected entries acts on them all.
    QVariantList keysBeforeClick_;
    QVariant anchor_; // where Shift clicks select from
    QVariantList keysBeforeReset_;
};
