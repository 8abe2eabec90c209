#pragma once
// One collection from one computer: probe it, read its process table, and
// store each process group as a block with one data row per process; new
// names enter the catalogue as unknown, and unknown or dangerous processes
// raise the danger status. A block is stored whole or not at all.

#include "collect/process_table_reader.h"

#include <QColor>
#include <QObject>
#include <atomic>
#include <functional>
#include <memory>

class TMonitoringStore;
class TProbeSocket;

// What the recorder reads from and shows in the window.
class RecorderView {
public:
    virtual ~RecorderView() = default;
    virtual QString AnswerTimeOutText() const = 0;
    virtual void ShowCurrentComputer(const QString &name) = 0;
    virtual int DangerLevel() const = 0;
    virtual void ShowDanger(const QString &caption, const QColor &colour, int level) = 0;
};

class SnapshotRecorder : public QObject {
    Q_OBJECT
public:
    // The bounds hold for the whole reading of the computer.
    using Reader = std::function<ReadingOutcome(const QString &computerName, const perf_data::Bounds &bounds)>;

    static const QColor Lime, Yellow, Red;

    SnapshotRecorder(TMonitoringStore &store, TProbeSocket &probe, Reader read, RecorderView &view,
                     QObject *parent = nullptr);

    // Raises EVariantError when no computer has the ID, and passes store
    // failures on; an unreachable or unreadable computer is silent. Refuses
    // (Exception) to start while another recording runs.
    void RecordSnapshot(int computerId);
    bool Recording() const { return recording_; }
    // Ends a recording that waits for its probe; it stores nothing more.
    void Abort();

signals:
    void RecordingChanged(bool recording);
    // The outcome of each recording that ran to its end: a block stored, or
    // none, with the reason (the probe's message, "no performance data", or
    // the store's error).
    void Collected(int computerId);
    void Missed(int computerId, const QString &reason);
    // The danger status rose to the level on meeting the process.
    void DangerRaised(int level, const QString &process, const QString &computer);

private:
    // Why the computer does not answer; empty when it does.
    QString ProbeFailure(const QString &name, int timeOut);
    void StoreBlocks(int computerId, const QString &name, const std::vector<TProcessGroup> &groups);
    void StoreBlock(int computerId, const QString &name, const TProcessGroup &group);
    void StoreRecord(int blockId, const TProcessRecord &record);
    void RaiseDanger(const TProcessRecord &record, const QString &computer);
    [[noreturn]] void RollBack();
    void ReloadAfterRollback();

    TMonitoringStore &store_;
    TProbeSocket &probe_;
    Reader read_;
    RecorderView &view_;
    bool recording_ = false;
    bool aborted_ = false;
    std::shared_ptr<std::atomic<bool>> readingAbandoned_; // of the reading under way
};
