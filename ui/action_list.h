#pragma once
// The program's commands (actlComputers). Buttons and menu entries bound to
// an action take its caption, enabled state and shortcut from it; each action
// carries a category and an integer tag.

#include <QAction>

class TActionList : public QObject {
    Q_OBJECT
public:
    explicit TActionList(QObject *parent = nullptr);

    static QString Category(const QAction *action) { return action->property("Category").toString(); }
    static int Tag(const QAction *action) { return action->data().toInt(); }
    QList<QAction *> Actions() const;

    QAction *actLookupSelected;
    QAction *actDeleteSelected;
    QAction *actAddComputer;
    QAction *actStartMonitor;
    QAction *actStopMonitor;
    QAction *actResetStatus;
    QAction *actExit;
    QAction *actMoveToUnknown;
    QAction *actMoveToSystem;
    QAction *actMoveToUser;
    QAction *actMoveToDanger;
    QAction *actAbout;
    QAction *actHelp;

private:
    QAction *Make(const char *name, const char *category, const char *caption, int tag = 0);
};
