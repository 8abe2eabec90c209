#pragma once
// Periodic collection: while monitoring is on, the timer fires every period
// and one pass hands every computer row, one after the other, to the
// recorder. The timer is off while a pass runs and is armed afresh after it,
// so passes never overlap and the next one starts a full period later.

#include <QObject>
#include <QVariant>
#include <functional>

class QTimer;
class Table;

class MonitorView {
public:
    virtual ~MonitorView() = default;
    virtual void SetStatusText(const QString &text) = 0;
    // Start enabled and Stop disabled when off, the other way round when on.
    virtual void ShowMonitoring(bool on) = 0;
};

class MonitoringCycle : public QObject {
    Q_OBJECT
public:
    using Recorder = std::function<void(int computerId)>;
    using RecorderBusy = std::function<bool()>;

    MonitoringCycle(QTimer &tiMonitor, Table &adotComputers, Recorder record, RecorderBusy recorderBusy,
                    MonitorView &view, QObject *parent = nullptr);

    // The period is the whole number in the text, 10 when there is none;
    // 0 arms nothing. A negative or too large period is refused (Exception).
    void Start(const QString &periodText);
    void Stop();
    // The timer's event. A pass never starts while a recording runs: one that
    // comes due meanwhile waits, and RecordingFinished runs it once no
    // recording runs any more.
    void TimerFired();
    void RecordingFinished();

    bool On() const { return on_; }
    bool Passing() const { return passing_; }

    static int PeriodSeconds(const QString &text);

private:
    void Pass();
    void Arm();
    QVariant CurrentComputer() const;
    void ReturnTo(const QVariant &computer);

    QTimer &timer_;
    Table &computers_;
    Recorder record_;
    RecorderBusy recorderBusy_;
    MonitorView &view_;
    bool on_ = false;
    bool passing_ = false;
    bool pending_ = false;
    int intervalMs_ = 0;
};
