#pragma once
// A push button that takes its caption and enabled state from an action and
// runs the action when clicked.

#include <QPushButton>

class QAction;

class ActionButton : public QPushButton {
    Q_OBJECT
public:
    explicit ActionButton(QWidget *parent = nullptr);
    void SetAction(QAction *action);

private:
    void Follow();

    QAction *action_ = nullptr;
};
