#pragma once
// The stand-in performance data service: listens on the given addresses and
// serves every client from an allowed network; any other client is
// disconnected before a byte is sent, with one line on the log.

#include "perfd/perfd_options.h"

#include <QObject>

class QTcpServer;

class PerfdServer : public QObject
{
    Q_OBJECT
public:
    explicit PerfdServer(PerfdOptions options, QObject *parent = nullptr);

    // Raises Exception when an address cannot be bound.
    void Listen();

private:
    void Accept(QTcpServer *server);
    bool Allowed(const QHostAddress &peer) const;

    PerfdOptions options_;
};

// One line on the service's log (standard error).
void PerfdLog(const QString &line);
