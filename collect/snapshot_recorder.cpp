#include "collect/snapshot_recorder.h"

#include "collect/probe_socket.h"
#include "core/exception.h"
#include "core/str_to_int.h"
#include "perfdata/perf_exchange.h"
#include "store/monitoring_store.h"

#include <QDateTime>
#include <algorithm>
#include <climits>

const QColor SnapshotRecorder::Lime(0, 255, 0);
const QColor SnapshotRecorder::Yellow(255, 255, 0);
const QColor SnapshotRecorder::Red(255, 0, 0);

namespace {
constexpr int kDefaultTimeOutSeconds = 10;

// The answer time-out's text in ms: whole seconds, and the default for text
// that is no whole number or whose milliseconds an int cannot hold, which
// would wrap to a time-out nobody typed.
int AnswerTimeOutMs(const QString &text)
{
    const qlonglong seconds = StrToIntDef(text, kDefaultTimeOutSeconds);
    if (seconds > INT_MAX / 1000 || seconds < INT_MIN / 1000)
        return kDefaultTimeOutSeconds * 1000;
    return int(seconds * 1000);
}

// 0 puts no limit on the probe, but a reading blocks the window and needs one.
perf_data::Deadline ReadingDeadline(int timeOutMs)
{
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeOutMs, 1000));
}

QString MessageOf(const std::exception_ptr &failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown failure");
    }
}

// Marks a recording as running for as long as it lasts, however it ends.
class RecordingScope {
public:
    RecordingScope(bool &flag, SnapshotRecorder &recorder) : flag_(flag), recorder_(recorder)
    {
        flag_ = true;
        emit recorder_.RecordingChanged(true);
    }
    ~RecordingScope()
    {
        flag_ = false;
        emit recorder_.RecordingChanged(false);
    }

private:
    bool &flag_;
    SnapshotRecorder &recorder_;
};

} // namespace

SnapshotRecorder::SnapshotRecorder(TMonitoringStore &store, TProbeSocket &probe, Reader read, RecorderView &view,
                                   QObject *parent)
    : QObject(parent), store_(store), probe_(probe), read_(std::move(read)), view_(view)
{
}

void SnapshotRecorder::Abort()
{
    aborted_ = true;
    if (readingAbandoned_)
        readingAbandoned_->store(true);
    probe_.Cancel();
}

void SnapshotRecorder::RecordSnapshot(int computerId)
{
    if (recording_)
        throw Exception(QStringLiteral("A collection is already running"));
    const QVariant name = store_.adotComputers.Lookup(QStringLiteral("ID"), computerId, QStringLiteral("NAME"));
    if (name.isNull())
        throw EVariantError();
    RecordingScope scope(recording_, *this);
    aborted_ = false;
    view_.ShowCurrentComputer(name.toString());
    const int timeOut = AnswerTimeOutMs(view_.AnswerTimeOutText());
    const QString silence = ProbeFailure(name.toString(), timeOut);
    if (aborted_)
        return;
    if (!silence.isEmpty()) {
        emit Missed(computerId, silence);
        return;
    }
    readingAbandoned_ = std::make_shared<std::atomic<bool>>(false);
    const ReadingOutcome outcome = read_(name.toString(), {ReadingDeadline(timeOut), readingAbandoned_});
    // The computer may have been deleted while its probe waited.
    if (aborted_ ||
        store_.adotComputers.Lookup(QStringLiteral("ID"), computerId, QStringLiteral("ID")).isNull())
        return;
    if (outcome.groups.empty()) {
        emit Missed(computerId, ReadingFailure(outcome));
        return;
    }
    StoreBlocks(computerId, name.toString(), outcome.groups);
    emit Collected(computerId);
}

QString SnapshotRecorder::ProbeFailure(const QString &name, int timeOut)
{
    probe_.Host = name;
    probe_.Port = perf_data::kPort;
    probe_.TimeOut = timeOut;
    QString failure;
    try {
        probe_.Connect();
    } catch (const std::exception &e) {
        // Every failure of the probe means the computer does not answer.
        failure = QString::fromUtf8(e.what());
        if (failure.isEmpty())
            failure = QStringLiteral("no answer");
    }
    probe_.Disconnect();
    return failure;
}

void SnapshotRecorder::StoreBlocks(int computerId, const QString &name, const std::vector<TProcessGroup> &groups)
{
    try {
        for (const TProcessGroup &group : groups)
            StoreBlock(computerId, name, group);
    } catch (...) {
        emit Missed(computerId, MessageOf(std::current_exception()));
        throw;
    }
}

void SnapshotRecorder::StoreBlock(int computerId, const QString &name, const TProcessGroup &group)
{
    store_.adocMain.BeginTrans();
    try {
        Table &blocks = store_.adotBlocks;
        blocks.Append();
        blocks.SetValue(QStringLiteral("COMPUTER_ID"), computerId);
        blocks.SetValue(QStringLiteral("DATETIME"), QDateTime::currentDateTime());
        blocks.Post();
        const int blockId = blocks.Value(QStringLiteral("ID")).toInt();
        for (const TProcessRecord &record : group)
            StoreRecord(blockId, record);
        store_.adocMain.CommitTrans();
    } catch (...) {
        RollBack();
    }
    // Only names that stay stored may raise the status.
    for (const TProcessRecord &record : group)
        RaiseDanger(record, name);
}

void SnapshotRecorder::StoreRecord(int blockId, const TProcessRecord &record)
{
    Table &catalogue = store_.adotProcess;
    const QString name = QString::fromStdString(record.Name);
    if (!catalogue.Locate(QStringLiteral("NAME"), name)) {
        catalogue.Append();
        catalogue.SetValue(QStringLiteral("NAME"), name);
        catalogue.SetValue(QStringLiteral("TYPE_ID"), 1);
        catalogue.Post();
    }
    Query &insert = store_.adoqDataAdd;
    insert.SetParam(QStringLiteral("BLOCK_ID"), blockId);
    insert.SetParam(QStringLiteral("PROCESS_ID"), catalogue.Lookup(QStringLiteral("NAME"), name, QStringLiteral("ID")));
    insert.SetParam(QStringLiteral("PID"), record.PID);
    insert.SetParam(QStringLiteral("PARENTPID"), record.ParentPID);
    insert.SetParam(QStringLiteral("MEMORY"), qint64(record.Memory));
    insert.SetParam(QStringLiteral("THREADS"), record.Threads);
    insert.SetParam(QStringLiteral("PRIORITY"), record.Priority);
    insert.ExecSQL();
}

void SnapshotRecorder::RaiseDanger(const TProcessRecord &record, const QString &computer)
{
    const QString name = QString::fromStdString(record.Name);
    const QVariant type = store_.adotProcess.Lookup(QStringLiteral("NAME"), name, QStringLiteral("TYPE_ID"));
    int level = 0;
    if (type.toInt() == 1 && view_.DangerLevel() < 1) {
        view_.ShowDanger(QStringLiteral("Yellow : ") + name, Yellow, 1);
        level = 1;
    } else if (type.toInt() == 4 && view_.DangerLevel() < 2) {
        view_.ShowDanger(QStringLiteral("R E D : ") + name, Red, 2);
        level = 2;
    }
    if (level > 0)
        emit DangerRaised(level, name, computer);
}

// Undoes the block and passes on the failure that ended it; one while
// undoing is told after it, never in its place.
void SnapshotRecorder::RollBack()
{
    const std::exception_ptr failure = std::current_exception();
    try {
        store_.adocMain.RollbackTrans();
        ReloadAfterRollback();
    } catch (const std::exception &undoing) {
        throw EDatabaseError(MessageOf(failure) + QStringLiteral("\nThe store could not be read again afterwards: ") +
                             QString::fromUtf8(undoing.what()));
    }
    std::rethrow_exception(failure);
}

// The rolled-back rows are gone from the file; the tables read it again so
// that they hold what it holds.
void SnapshotRecorder::ReloadAfterRollback()
{
    for (Table *table : {&store_.adotBlocks, &store_.adotProcess}) {
        table->Cancel();
        table->Close();
        table->Open();
    }
}
