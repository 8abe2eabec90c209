#include "collect/probe_socket.h"

#include "collect/socket_error_str.h"
#include "core/error_box.h"
#include "core/exception.h"
#include "core/handler_guard.h"

#include <QEventLoop>

#include <utility>

namespace
{

// The two ends of a lookup that pass out of Connect; any other ESockError of
// the lookup only leaves the address unresolved.
class ELookupEnded : public ESockError
{
    using ESockError::ESockError;
};

// Windows reports a non-blocking connect under way as 10035; numbers at or
// below 10000 are not socket errors.
bool IsSocketFailure(int error)
{
    return error != 0 && error != probe_net::kWouldBlock && error > 10000;
}

QString DottedText(quint32 address)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg(address & 0xFF);
}

void Fire(const std::function<void()> &event)
{
    if (event) event();
}

} // namespace

// Lives on the stack of the waiting call, so that the destructor can end the
// wait without the wait ever touching the destroyed component again.
struct TProbeSocket::TWait {
    explicit TWait(TProbeSocket *owner) : owner(owner) { owner->wait_ = this; }
    ~TWait()
    {
        if (!destroyed) owner->wait_ = nullptr;
    }
    TWait(const TWait &) = delete;
    TWait &operator=(const TWait &) = delete;

    TProbeSocket *owner;
    QEventLoop loop;
    bool destroyed = false;
};

TProbeSocket::TProbeSocket(QObject *parent) : QObject(parent), lookup_(MakeSystemHostLookup())
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &TProbeSocket::TimerFired);
    try {
        OpenSocket(true);
    } catch (const ESockError &) {
        throw ESockError(QStringLiteral("Initializaton of windows sockets failed"));
    }
}

TProbeSocket::~TProbeSocket()
{
    Cancel();
    if (wait_) wait_->destroyed = true;
    if (const int error = ReleaseSocket(); IsSocketFailure(error)) ShowError(SocketErrorStr(error));
}

void TProbeSocket::SetHostLookup(std::unique_ptr<THostLookup> lookup)
{
    RefuseWhileWaiting();
    lookup_ = std::move(lookup);
}

void TProbeSocket::RefuseWhileWaiting() const
{
    // A nested probe would share the flags, the socket and the one timer.
    if (wait_) throw ESockError(QStringLiteral("Probe already waiting for an answer"));
}

void TProbeSocket::Connect()
{
    RefuseWhileWaiting();
    cancelled_ = false;
    if (connected_) throw ESockError(QStringLiteral("Already connected"));
    const quint32 address = ResolveAddress();
    if (address == 0) {
        Fire(OnInvalidHost);
        throw ESockError(QStringLiteral("Null Remote Address"));
    }
    AwaitConnect(address);
}

quint32 TProbeSocket::ResolveAddress()
{
    if (const auto dotted = probe_net::ParseDottedAddress(Host.toStdString())) return *dotted;
    try {
        return LookUp();
    } catch (const ELookupEnded &) {
        throw;
    } catch (const ESockError &) {
        return 0;
    }
}

quint32 TProbeSocket::LookUp()
{
    TimerOn();
    lookupDone_ = false;
    answer_.reset();
    Report(8, QStringLiteral("Resolving %1").arg(Host));
    lookup_->Start(Host, [this](std::optional<quint32> address) {
        answer_ = address;
        lookupDone_ = true;
        Wake();
    });
    if (!Wait([this] { return lookupDone_ || timedOut_ || cancelled_; }))
        throw ELookupEnded(QStringLiteral("Host Lookup Canceled"));
    TimerOff();
    lookup_->Abort();
    if (timedOut_) throw ELookupEnded(QStringLiteral("Host Lookup Timed Out"));
    if (cancelled_) throw ELookupEnded(QStringLiteral("Host Lookup Canceled"));
    if (!answer_) throw ESockError(QStringLiteral("Host Lookup Failed"));
    Fire(OnHostResolved);
    return *answer_;
}

void TProbeSocket::AwaitConnect(quint32 address)
{
    notifyOk_ = true;
    Report(4, QStringLiteral("Connecting to %1:%2").arg(DottedText(address)).arg(Port));
    const int error = probe_net::StartConnect(socket_, address, quint16(Port));
    if (IsSocketFailure(error)) throw ESockError(SocketErrorStr(error));
    writeNotifier_->setEnabled(true);
    TimerOn();
    if (!Wait([this] { return connected_ || timedOut_ || cancelled_ || !notifyOk_; }))
        throw ESockError(QStringLiteral("Connection Canceled"));
    TimerOff();
    if (timedOut_) throw ESockError(QStringLiteral("Connection Timed out"));
    if (cancelled_) throw ESockError(QStringLiteral("Connection Canceled"));
    if (!notifyOk_) {
        Fire(OnConnectionFailed);
        throw ESockError(QStringLiteral("Connection Failed"));
    }
    Report(4, QStringLiteral("Connected"));
    Fire(OnConnect);
}

bool TProbeSocket::Wait(const std::function<bool()> &done)
{
    TWait wait(this);
    while (!done()) {
        wait.loop.exec();
        if (wait.destroyed) return false;
    }
    return true;
}

void TProbeSocket::Wake()
{
    if (wait_) wait_->loop.quit();
}

void TProbeSocket::Cancel()
{
    cancelled_ = true;
    Wake();
}

void TProbeSocket::Disconnect()
{
    RefuseWhileWaiting();
    CloseSocket();
}

void TProbeSocket::TimerOn()
{
    timedOut_ = false;
    // A time-out left armed by a probe that ended in an exception must not
    // reach this one, least of all one with no limit.
    TimerOff();
    if (TimeOut < 0) throw ERangeError();
    if (TimeOut == 0) return;
    timer_.start(TimeOut);
    if (!timer_.isActive()) throw Exception(QStringLiteral("No Timer"));
}

void TProbeSocket::TimerOff()
{
    timer_.stop();
}

void TProbeSocket::TimerFired()
{
    Guarded([this] {
        TimerOff();
        timedOut_ = true;
        lookupDone_ = true;
        Abort();
        Report(8, QStringLiteral("Timed out"));
    });
}

void TProbeSocket::OpenSocket(bool lingerZero)
{
    const probe_net::Opened opened = probe_net::OpenStream(lingerZero);
    if (opened.error != 0) throw ESockError(SocketErrorStr(opened.error));
    socket_ = opened.socket;
    // Both stay off until their moment: an idle socket reads as writable.
    writeNotifier_ = std::make_unique<QSocketNotifier>(socket_, QSocketNotifier::Write);
    writeNotifier_->setEnabled(false);
    connect(writeNotifier_.get(), &QSocketNotifier::activated, this,
            &TProbeSocket::ConnectNotified);
    readNotifier_ = std::make_unique<QSocketNotifier>(socket_, QSocketNotifier::Read);
    readNotifier_->setEnabled(false);
    connect(readNotifier_.get(), &QSocketNotifier::activated, this, &TProbeSocket::ReadNotified);
}

int TProbeSocket::ReleaseSocket()
{
    connected_ = false;
    writeNotifier_.reset();
    readNotifier_.reset();
    if (socket_ == probe_net::kNoSocket) return 0;
    // The handle is forgotten even when the close fails: it may be reused.
    return probe_net::Close(std::exchange(socket_, probe_net::kNoSocket));
}

void TProbeSocket::CloseSocket()
{
    if (const int error = ReleaseSocket(); IsSocketFailure(error))
        throw ESockError(SocketErrorStr(error));
    // Only the first socket resets on close; later ones close the default way.
    OpenSocket(false);
    Report(4, QStringLiteral("Disconnected"));
    Fire(OnDisconnect);
}

void TProbeSocket::ConnectNotified()
{
    writeNotifier_->setEnabled(false);
    notifyOk_ = probe_net::ConnectResult(socket_) == 0;
    if (notifyOk_) {
        connected_ = true;
        readNotifier_->setEnabled(true);
    }
    Wake();
}

void TProbeSocket::ReadNotified()
{
    Guarded([this] {
        const probe_net::Peek peek = probe_net::PeekOneByte(socket_);
        if (peek.state == probe_net::PeekState::Nothing) return;
        notifyOk_ = peek.error == 0;
        if (peek.state == probe_net::PeekState::DataWaiting) {
            readNotifier_->setEnabled(false); // never read, so it would fire for ever
            return;
        }
        CloseSocket();
    });
}

void TProbeSocket::Report(int level, const QString &text)
{
    if (level <= ReportLevel && OnStatus) OnStatus(text);
}
