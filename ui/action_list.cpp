#include "ui/action_list.h"

TActionList::TActionList(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("actlComputers"));
    actLookupSelected = Make("actLookupSelected", "Computer", "Lookup selected");
    actDeleteSelected = Make("actDeleteSelected", "Computer", "Delete selected");
    actAddComputer = Make("actAddComputer", "Computer", "Add computer");
    actStartMonitor = Make("actStartMonitor", "Monitor", "Start monitoring");
    actStopMonitor = Make("actStopMonitor", "Monitor", "Stop monitoring");
    actStopMonitor->setEnabled(false);
    actResetStatus = Make("actResetStatus", "Monitor", "Reset status");
    actExit = Make("actExit", "Application", "Exit");
    actMoveToUnknown = Make("actMoveToUnknown", "Process", "Set unknown type", 1);
    actMoveToSystem = Make("actMoveToSystem", "Process", "Set system type", 2);
    actMoveToUser = Make("actMoveToUser", "Process", "Set user type", 3);
    actMoveToDanger = Make("actMoveToDanger", "Process", "Set danger type", 4);
    actAbout = Make("actAbout", "Help", "About programm");
    actHelp = Make("actHelp", "Help", "Help Index");
    actHelp->setShortcut(QKeySequence(Qt::Key_F1));
}

QAction *TActionList::Make(const char *name, const char *category, const char *caption, int tag)
{
    auto *action = new QAction(QString::fromLatin1(caption), this);
    action->setObjectName(QLatin1String(name));
    action->setProperty("Category", QString::fromLatin1(category));
    action->setData(tag);
    return action;
}

QList<QAction *> TActionList::Actions() const { return findChildren<QAction *>(); }
