#pragma once
// One listening TCP socket of the service. QTcpServer (6.4) is not used: when
// accept() fails for want of descriptors it either keeps the socket readable
// in a busy loop or stops accepting for good. Here a failed accept pauses
// accepting for a moment and then tries again.

#include <QHostAddress>
#include <QObject>
#include <QTimer>

class QSocketNotifier;

class PerfdListener : public QObject
{
    Q_OBJECT
public:
    // Raises Exception when the address cannot be bound.
    PerfdListener(const QHostAddress &address, quint16 port, QObject *parent = nullptr);
    ~PerfdListener() override;

signals:
    // A new connection's descriptor, now owned by the receiver.
    void Accepted(qintptr descriptor);

private:
    void AcceptPending();
    void Pause(int error);

    int fd_ = -1;
    QSocketNotifier *notifier_ = nullptr;
    QTimer resume_;
    bool failing_ = false; // logged once until an accept succeeds again
};
