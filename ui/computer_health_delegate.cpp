#include "ui/computer_health_delegate.h"

#include "store/date_text.h"
#include "ui/data_set_list_model.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace {

constexpr int kMarkSize = 10;

// A filled disc for a known state, a ring for none: told apart without colour.
QIcon StateMark(CollectionState state)
{
    QPixmap mark(kMarkSize, kMarkSize);
    mark.fill(Qt::transparent);
    QPainter painter(&mark);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = ComputerHealthDelegate::StateColor(state);
    if (state == CollectionState::NeverTried) {
        painter.setPen(QPen(colour, 2));
        painter.drawEllipse(QRectF(1, 1, kMarkSize - 2, kMarkSize - 2));
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(QRectF(0, 0, kMarkSize, kMarkSize));
    }
    return QIcon(mark);
}

QString StateCaption(CollectionState state)
{
    switch (state) {
    case CollectionState::Answering:
        return QStringLiteral("Answering");
    case CollectionState::Failing:
        return QStringLiteral("Failing");
    case CollectionState::NeverTried:
        break;
    }
    return QStringLiteral("Not collected from since the program started");
}

} // namespace

ComputerHealthDelegate::ComputerHealthDelegate(const CollectionHealth &health, QAbstractItemView *view)
    : QStyledItemDelegate(view), health_(health)
{
    view->setItemDelegate(this);
    connect(&health, &CollectionHealth::Changed, view->viewport(), qOverload<>(&QWidget::update));
}

QColor ComputerHealthDelegate::StateColor(CollectionState state)
{
    switch (state) {
    case CollectionState::Answering:
        return QColor(0, 160, 0);
    case CollectionState::Failing:
        return QColor(210, 0, 0);
    case CollectionState::NeverTried:
        break;
    }
    return QColor(140, 140, 140);
}

QString ComputerHealthDelegate::ToolTip(const CollectionOutcomes &outcomes)
{
    const QString none = QStringLiteral("none this run");
    const QString success = outcomes.lastSuccess.isValid() ? DateTimeText(outcomes.lastSuccess) : none;
    const QString failure = outcomes.lastFailure.isValid()
                                ? DateTimeText(outcomes.lastFailure) + QStringLiteral(": ") + outcomes.failureReason
                                : none;
    return StateCaption(outcomes.state) + QStringLiteral("\nLast success: ") + success +
           QStringLiteral("\nLast failure: ") + failure;
}

CollectionOutcomes ComputerHealthDelegate::OutcomesOf(const QModelIndex &index) const
{
    const QVariant key = index.data(DataSetListModel::KeyRole);
    return key.isNull() ? CollectionOutcomes{} : health_.Of(key.toInt());
}

void ComputerHealthDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->features |= QStyleOptionViewItem::HasDecoration;
    option->icon = StateMark(OutcomesOf(index).state);
    option->decorationSize = QSize(kMarkSize, kMarkSize);
}

bool ComputerHealthDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                                       const QModelIndex &index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    QToolTip::showText(event->globalPos(), ToolTip(OutcomesOf(index)), view->viewport(), view->visualRect(index));
    return true;
}
