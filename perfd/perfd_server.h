#pragma once
// The stand-in performance data service: listens on the given addresses and
// serves every client from an allowed network; any other client is
// disconnected before a byte is sent, with one line on the log. It holds at
// most a set number of connections, well below its descriptor limit; when
// full, a new client takes the place of the one that made progress least
// recently (the longest idle, or the slowest to read its answer).

#include "perfd/perf_block_cache.h"
#include "perfd/perfd_options.h"

#include <QObject>
#include <vector>

class PerfdConnection;

class PerfdServer : public QObject
{
    Q_OBJECT
public:
    explicit PerfdServer(PerfdOptions options, QObject *parent = nullptr);

    // Raises Exception when an address cannot be bound.
    void Listen();

private:
    void Accept(qintptr descriptor);
    bool Allowed(const QHostAddress &peer) const;
    void MakeRoom();
    void Forget(PerfdConnection *connection);

    PerfdOptions options_;
    PerfBlockCache blocks_;
    int cap_ = 1;
    std::vector<PerfdConnection *> connections_;
};

// One line on the service's log (standard error).
void PerfdLog(const QString &line);
