#include "ui/action_button.h"

#include <QAction>

ActionButton::ActionButton(QWidget *parent) : QPushButton(parent) {}

void ActionButton::SetAction(QAction *action)
{
    action_ = action;
    connect(action_, &QAction::changed, this, &ActionButton::Follow);
    connect(this, &QPushButton::clicked, action_, &QAction::trigger);
    Follow();
}

void ActionButton::Follow()
{
    setText(action_->text());
    setEnabled(action_->isEnabled());
}
