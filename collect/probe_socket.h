#pragma once
// The reachability probe: tells whether a computer accepts a TCP connection
// on a port within a time-out, without blocking the window. Connect() waits
// in a local event loop, so timers and user actions run meanwhile; no byte is
// ever sent or received. One probe at a time: Connect and Disconnect are
// refused while a probe waits.

#include "collect/host_lookup.h"
#include "collect/probe_net.h"

#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class TProbeSocket : public QObject
{
    Q_OBJECT

public:
    // Raises ESockError "Initializaton of windows sockets failed" when the
    // first socket cannot be made.
    explicit TProbeSocket(QObject *parent = nullptr);
    // Safe from a handler run inside this probe's own wait: the waiting
    // Connect then raises a "... Canceled" ESockError and touches nothing.
    ~TProbeSocket() override;

    QString Host;        // a computer name or an address as inet_addr reads it
    int Port = 0;        // TCP port, taken modulo 65536 like the platform's htons
    int TimeOut = 0;     // ms for the lookup and again for the connect; 0 = none
    int ReportLevel = 0; // OnStatus gets the steps of level 4 or 8 up to this

    // Events of the component; none is assigned in the program itself.
    std::function<void()> OnConnect;
    std::function<void()> OnDisconnect;
    std::function<void()> OnInvalidHost;
    std::function<void()> OnHostResolved;
    std::function<void()> OnConnectionFailed;
    std::function<void(const QString &text)> OnStatus;

    // Returns once the connection stands; raises ESockError (ERangeError for
    // a negative TimeOut) otherwise.
    void Connect();
    // Closes the socket and makes a fresh one for the next Connect.
    void Disconnect();
    // Makes a waiting Connect end at once with a "... Canceled" error.
    void Cancel();
    // The component's Abort: a probe has nothing to abort beyond its wait.
    void Abort() { Cancel(); }

    bool IsWaiting() const { return wait_ != nullptr; }
    bool IsConnected() const { return connected_; }

    // Replaces the name lookup (tests); the probe must not be waiting.
    void SetHostLookup(std::unique_ptr<THostLookup> lookup);

private:
    struct TWait;

    void RefuseWhileWaiting() const;
    quint32 ResolveAddress();
    quint32 LookUp();
    void AwaitConnect(quint32 address);
    bool Wait(const std::function<bool()> &done);
    void Wake();

    void TimerOn();
    void TimerOff();
    void TimerFired();

    void OpenSocket(bool lingerZero);
    int ReleaseSocket();
    void CloseSocket();
    void ConnectNotified();
    void ReadNotified();

    void Report(int level, const QString &text);

    std::unique_ptr<THostLookup> lookup_;
    QTimer timer_;
    probe_net::Handle socket_ = probe_net::kNoSocket;
    std::unique_ptr<QSocketNotifier> writeNotifier_;
    std::unique_ptr<QSocketNotifier> readNotifier_;
    TWait *wait_ = nullptr;
    std::optional<quint32> answer_;

    bool connected_ = false;
    bool timedOut_ = false;
    bool cancelled_ = false;
    bool lookupDone_ = false;
    bool notifyOk_ = true;
};
