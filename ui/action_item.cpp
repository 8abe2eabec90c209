#include "ui/action_item.h"

ActionItem::ActionItem(QAction *action, const QString &name, QObject *parent) : QAction(parent), action_(action)
{
    setObjectName(name);
    connect(action_, &QAction::changed, this, &ActionItem::Follow);
    connect(this, &QAction::triggered, action_, &QAction::trigger);
    Follow();
}

void ActionItem::Follow()
{
    setText(action_->text());
    setEnabled(action_->isEnabled());
    setShortcut(action_->shortcut());
}
