#pragma once
// What the recorder and the monitoring cycle read from and show in the main
// window: the answer time-out, the current computer, the danger status, the
// status bar and the two monitoring commands.

#include "collect/snapshot_recorder.h"
#include "monitor/monitoring_cycle.h"

#include <functional>

class TActionList;
class TfrmMain;

class MainWindowViews : public RecorderView, public MonitorView {
public:
    MainWindowViews(TfrmMain &window, TActionList &actions) : window_(window), actions_(actions) {}

    QString AnswerTimeOutText() const override;
    void ShowCurrentComputer(const QString &name) override;
    int DangerLevel() const override;
    void ShowDanger(const QString &caption, const QColor &colour, int level) override;

    void SetStatusText(const QString &text) override;
    void ShowMonitoring(bool on) override;

    // Told every change of the danger status, after the label shows it.
    std::function<void(const QString &caption, const QColor &colour)> DangerShown;

private:
    TfrmMain &window_;
    TActionList &actions_;
};
