#include "ui/db_lookup_list_box.h"

#include "store/data_source.h"
#include "ui/data_set_list_model.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <algorithm>

DbLookupListBox::DbLookupListBox(QWidget *parent) : QListView(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFrameShape(QFrame::NoFrame);
}

void DbLookupListBox::SetListSource(DataSource &source, const QString &keyField, const QString &listField)
{
    model_ = new DataSetListModel(source.GetDataSet(), keyField, listField, this);
    setModel(model_);
    // A refresh (a close, then an open) keeps what was selected, as far as
    // it is still listed.
    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        if (model_->rowCount() > 0)
            keysBeforeReset_ = KeyValues();
    });
    connect(model_, &QAbstractItemModel::modelReset, this, &DbLookupListBox::ShowKey);
    // Keyboard moves select as clicks do; the view's own moves (on taking the
    // focus, say) select nothing.
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &index) {
        if (!typing_ || !index.isValid() || model_->data(index, DataSetListModel::KeyRole) == keyValue_)
            return;
        SelectRow(index.row());
        emit Click();
    });
}

void DbLookupListBox::SelectRow(int row)
{
    const QModelIndex index = model_->index(row);
    if (!index.isValid())
        return;
    keyValue_ = model_->Choose(row);
    anchor_ = keyValue_;
    if (selectionModel()->currentIndex() != index)
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

void DbLookupListBox::ShowKey()
{
    const int row = model_->RowOfKey(keyValue_);
    if (row >= 0)
        selectionModel()->setCurrentIndex(model_->index(row), QItemSelectionModel::ClearAndSelect);
    if (keysBeforeReset_.size() > 1)
        RestoreSelection(keysBeforeReset_);
}

void DbLookupListBox::SetExtendedSelection() { setSelectionMode(QAbstractItemView::ExtendedSelection); }

QVariantList DbLookupListBox::KeyValues() const
{
    QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    std::sort(rows.begin(), rows.end());
    QVariantList keys;
    for (const QModelIndex &row : rows)
        keys << model_->data(row, DataSetListModel::KeyRole);
    if (keys.isEmpty() && !keyValue_.isNull())
        keys << keyValue_;
    return keys;
}

void DbLookupListBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    const Qt::KeyboardModifiers modifiers = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
    keysBeforeClick_ = KeyValues();
    if (index.isValid() && selectionMode() == ExtendedSelection && modifiers)
        ExtendSelection(index.row(), modifiers);
    else if (index.isValid())
        SelectRow(index.row());
    emit Click();
}

// Ctrl adds the entry or takes it away; Shift selects the entries from the
// one clicked without Shift before (the anchor) to this one.
void DbLookupListBox::ExtendSelection(int row, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex index = model_->index(row);
    QItemSelectionModel *selection = selectionModel();
    if (modifiers & Qt::ShiftModifier) {
        const int anchor = std::max(model_->RowOfKey(anchor_), 0);
        const QItemSelection range(model_->index(std::min(anchor, row)), model_->index(std::max(anchor, row)));
        selection->select(range, modifiers & Qt::ControlModifier ? QItemSelectionModel::Select
                                                                  : QItemSelectionModel::ClearAndSelect);
    } else {
        selection->select(index, QItemSelectionModel::Toggle);
        anchor_ = model_->data(index, DataSetListModel::KeyRole);
    }
    selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    if (selection->isSelected(index)) {
        keyValue_ = model_->Choose(row);
        return;
    }
    const QModelIndexList left = selection->selectedRows();
    keyValue_ = left.isEmpty() ? QVariant() : model_->Choose(left.first().row());
}

void DbLookupListBox::keyPressEvent(QKeyEvent *event)
{
    typing_ = true;
    QListView::keyPressEvent(event);
    typing_ = false;
}

void DbLookupListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // The first click of the double click left only the entry under the
    // pointer selected; when that entry was one of several, they all count.
    if (keysBeforeClick_.size() > 1 && keysBeforeClick_.contains(keyValue_))
        RestoreSelection(keysBeforeClick_);
    emit DblClick();
}

void DbLookupListBox::RestoreSelection(const QVariantList &keys)
{
    QItemSelection rows;
    for (const QVariant &key : keys)
        if (const int row = model_->RowOfKey(key); row >= 0)
            rows.select(model_->index(row), model_->index(row));
    selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect);
}

void DbLookupListBox::contextMenuEvent(QContextMenuEvent *event)
{
    if (popup_)
        popup_->exec(event->globalPos());
}
