#include "ui/db_lookup_combo_box.h"

#include "store/data_source.h"
#include "ui/data_set_list_model.h"

#include <QAbstractItemView>
#include <utility>

DbLookupComboBox::DbLookupComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    connect(this, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (restoring_ || row < 0)
            return;
        keyValue_ = model_->Choose(row);
    });
}

void DbLookupComboBox::SetListSource(DataSource &source, const QString &keyField, const QString &listField)
{
    model_ = new DataSetListModel(source.GetDataSet(), keyField, listField, this);
    restoring_ = true;
    setModel(model_);
    setCurrentIndex(-1);
    restoring_ = false;
    // Refreshes of the list never change the chosen key.
    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] { restoring_ = true; });
    connect(model_, &QAbstractItemModel::modelReset, this, &DbLookupComboBox::ShowKey);
    connect(model_, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this] { restoring_ = true; });
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &DbLookupComboBox::ShowKey);
    // The combo box would choose the first entry of a list that was empty.
    connect(model_, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] { restoring_ = true; });
    connect(model_, &QAbstractItemModel::rowsInserted, this, &DbLookupComboBox::ShowKey);
}

void DbLookupComboBox::SetKeyValue(const QVariant &key)
{
    keyValue_ = key;
    ShowKey();
}

void DbLookupComboBox::ShowKey()
{
    restoring_ = true;
    setCurrentIndex(model_->RowOfKey(keyValue_));
    restoring_ = false;
}

void DbLookupComboBox::showPopup()
{
    QComboBox::showPopup();
    listOpen_ = view()->isVisible();
}

void DbLookupComboBox::hidePopup()
{
    QComboBox::hidePopup();
    if (!std::exchange(listOpen_, false))
        return;
    // The list closes before the entry chosen in it becomes the current one;
    // the close-up must see that choice.
    QMetaObject::invokeMethod(this, &DbLookupComboBox::CloseUp, Qt::QueuedConnection);
}

void DbLookupComboBox::hideEvent(QHideEvent *event)
{
    listOpen_ = false; // a list closed with its page or window was not closed by the user
    QComboBox::hideEvent(event);
}
