#pragma once
// A menu entry bound to an action, as an object of its own so that it carries
// its own component name: it takes the action's caption, enabled state and
// shortcut, and runs the action when chosen.

#include <QAction>

class ActionItem : public QAction {
    Q_OBJECT
public:
    ActionItem(QAction *action, const QString &name, QObject *parent);

private:
    void Follow();

    QAction *action_;
};
