#include "ui/db_lookup_list_box.h"

#include "store/data_source.h"
#include "ui/data_set_list_model.h"

#include <QContextMenuEvent>
#include <QMenu>

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
    if (selectionModel()->currentIndex() != index)
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

void DbLookupListBox::ShowKey()
{
    const int row = model_->RowOfKey(keyValue_);
    if (row >= 0)
        selectionModel()->setCurrentIndex(model_->index(row), QItemSelectionModel::ClearAndSelect);
}

void DbLookupListBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        SelectRow(index.row());
    emit Click();
}

void DbLookupListBox::keyPressEvent(QKeyEvent *event)
{
    typing_ = true;
    QListView::keyPressEvent(event);
    typing_ = false;
}

void DbLookupListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit DblClick();
}

void DbLookupListBox::contextMenuEvent(QContextMenuEvent *event)
{
    if (popup_)
        popup_->exec(event->globalPos());
}
