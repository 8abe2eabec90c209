#pragma once
// Draws each entry of a computer list with a mark of its collection health
// (answering, failing, never tried this run) and tells the details in the
// entry's tooltip: last success, last failure and its reason.

#include "monitor/collection_health.h"

#include <QStyledItemDelegate>

class QAbstractItemView;

class ComputerHealthDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // Becomes the view's delegate; the view repaints as the health changes.
    ComputerHealthDelegate(const CollectionHealth &health, QAbstractItemView *view);

    static QColor StateColor(CollectionState state);
    static QString ToolTip(const CollectionOutcomes &outcomes);

    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    CollectionOutcomes OutcomesOf(const QModelIndex &index) const;

    const CollectionHealth &health_;
};
