#include "monitor/monitoring_cycle.h"

#include "core/exception.h"
#include "core/str_to_int.h"
#include "store/table.h"

#include <QTimer>

MonitoringCycle::MonitoringCycle(QTimer &tiMonitor, Table &adotComputers, Recorder record, RecorderBusy recorderBusy,
                                 MonitorView &view, QObject *parent)
    : QObject(parent), timer_(tiMonitor), computers_(adotComputers), record_(std::move(record)),
      recorderBusy_(std::move(recorderBusy)), view_(view)
{
    timer_.setSingleShot(false);
}

int MonitoringCycle::PeriodSeconds(const QString &text)
{
    const qlonglong seconds = StrToIntDef(text, 10);
    // A negative period would arm an interval of weeks; a huge one overflows.
    if (seconds < 0 || seconds > std::numeric_limits<int>::max() / 1000)
        throw Exception(QStringLiteral("'%1' is not a valid number of seconds to collect every").arg(text));
    return int(seconds);
}

void MonitoringCycle::Start(const QString &periodText)
{
    intervalMs_ = PeriodSeconds(periodText) * 1000;
    on_ = true;
    pending_ = false;
    if (!passing_) // a pass that runs arms the timer when it ends
        Arm();
    view_.SetStatusText(QStringLiteral("Monitor started"));
    view_.ShowMonitoring(true);
}

void MonitoringCycle::Stop()
{
    timer_.stop();
    on_ = false;
    pending_ = false;
    view_.SetStatusText(QStringLiteral("Monitor stoped"));
    view_.ShowMonitoring(false);
}

void MonitoringCycle::Arm()
{
    timer_.stop();
    if (intervalMs_ > 0) // an interval of 0 never fires
        timer_.start(intervalMs_);
}

void MonitoringCycle::TimerFired()
{
    timer_.stop();
    if (recorderBusy_()) {
        pending_ = true;
        return;
    }
    Pass();
}

void MonitoringCycle::RecordingFinished()
{
    // Another recording may have begun before this news arrived.
    if (!pending_ || passing_ || recorderBusy_())
        return;
    pending_ = false;
    if (on_)
        Pass();
}

void MonitoringCycle::Pass()
{
    passing_ = true;
    // The pass borrows the table's cursor; afterwards it stands again on the
    // computer the user chose, before or during the pass, which "Lookup
    // selected" acts on.
    QVariant chosen = CurrentComputer();
    try {
        // The count is asked anew before every step: computers added or
        // deleted meanwhile lengthen or shorten the pass. Stop ends it.
        for (int i = 0; on_ && i < computers_.RecordCount(); ++i) {
            computers_.SetRecNo(i + 1);
            const QVariant id = CurrentComputer();
            record_(id.toInt());
            if (CurrentComputer() != id)
                chosen = CurrentComputer();
        }
    } catch (...) {
        passing_ = false; // halted: the timer stays off until Stop and Start
        ReturnTo(chosen);
        throw;
    }
    passing_ = false;
    ReturnTo(chosen);
    if (on_)
        Arm();
}

QVariant MonitoringCycle::CurrentComputer() const
{
    return computers_.Active() && !computers_.IsEmpty() ? computers_.Value(QStringLiteral("ID")) : QVariant();
}

void MonitoringCycle::ReturnTo(const QVariant &computer)
{
    if (!computer.isNull() && computers_.Active())
        computers_.Locate(QStringLiteral("ID"), computer);
}
