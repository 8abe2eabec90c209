#include "app/window_views.h"

#include "ui/action_list.h"
#include "ui/color_label.h"
#include "ui/main_window.h"

#include <QLineEdit>

QString MainWindowViews::AnswerTimeOutText() const { return window_.edTimeOut->text(); }

void MainWindowViews::ShowCurrentComputer(const QString &name)
{
    window_.lbCurrentComp->setText(name);
    window_.lbCurrentComp->repaint(); // shown while the computer is probed
}

int MainWindowViews::DangerLevel() const { return window_.lbDangerStatus->Tag; }

void MainWindowViews::ShowDanger(const QString &caption, const QColor &colour, int level)
{
    window_.lbDangerStatus->setText(caption);
    window_.lbDangerStatus->SetColor(colour);
    window_.lbDangerStatus->Tag = level;
    if (DangerShown)
        DangerShown(caption, colour);
}

void MainWindowViews::SetStatusText(const QString &text) { window_.SetStatusText(text); }

void MainWindowViews::ShowMonitoring(bool on)
{
    actions_.actStartMonitor->setEnabled(!on);
    actions_.actStopMonitor->setEnabled(on);
}
