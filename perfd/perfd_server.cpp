#include "perfd/perfd_server.h"

#include "perfd/perfd_connection.h"
#include "perfd/perfd_listener.h"

#include <QTcpSocket>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace
{

// Descriptors kept for the service itself besides its listening sockets:
// standard streams, event loop, signal pipe, the /proc files a scan opens.
constexpr rlim_t kReservedDescriptors = 32;

// The most connections the descriptor limit allows, and at most requested.
int ConnectionCap(int listeners, int requested)
{
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    const rlim_t reserved = kReservedDescriptors + rlim_t(listeners);
    const rlim_t room = limit.rlim_cur > reserved ? limit.rlim_cur - reserved : 1;
    const int cap = int(std::min<rlim_t>(room, INT_MAX));
    return requested > 0 ? std::min(cap, requested) : cap;
}

} // namespace

void PerfdLog(const QString &line)
{
    std::fprintf(stderr, "tarvenix-perfd: %s\n", qPrintable(line));
    std::fflush(stderr);
}

PerfdServer::PerfdServer(PerfdOptions options, QObject *parent)
    : QObject(parent), options_(std::move(options)), blocks_(options_.procDir)
{
    if (options_.listen.isEmpty()) options_.listen.append(QHostAddress(QHostAddress::AnyIPv4));
    if (options_.allow.isEmpty())
        options_.allow.append(QHostAddress::parseSubnet(QStringLiteral("127.0.0.0/8")));
}

void PerfdServer::Listen()
{
    for (const QHostAddress &address : options_.listen) {
        auto *listener = new PerfdListener(address, options_.port, this);
        connect(listener, &PerfdListener::Accepted, this, &PerfdServer::Accept);
        PerfdLog(QStringLiteral("listening on %1:%2").arg(address.toString()).arg(options_.port));
    }
    cap_ = ConnectionCap(int(options_.listen.size()), options_.maxConnections);
    PerfdLog(QStringLiteral("serving at most %1 connections at once").arg(cap_));
}

void PerfdServer::Accept(qintptr descriptor)
{
    auto *socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        ::close(int(descriptor));
        delete socket;
        return;
    }
    if (!Allowed(socket->peerAddress())) {
        PerfdLog(QStringLiteral("refused %1: not in an allowed network")
                     .arg(socket->peerAddress().toString()));
        socket->abort();
        socket->deleteLater();
        return;
    }
    MakeRoom();
    auto *connection = new PerfdConnection(socket, blocks_, options_.idle, this);
    connect(connection, &PerfdConnection::Finished, this, &PerfdServer::Forget);
    connections_.push_back(connection);
}

bool PerfdServer::Allowed(const QHostAddress &peer) const
{
    bool isV4 = false;
    const QHostAddress v4(peer.toIPv4Address(&isV4));
    if (!isV4) return false;
    for (const auto &network : options_.allow) {
        if (v4.isInSubnet(network)) return true;
    }
    return false;
}

void PerfdServer::MakeRoom()
{
    if (int(connections_.size()) < cap_) return;
    const auto stalest = std::min_element(
        connections_.begin(), connections_.end(),
        [](const auto *a, const auto *b) { return a->LastProgress() < b->LastProgress(); });
    (*stalest)->Close(); // Forget() takes it off the list
}

void PerfdServer::Forget(PerfdConnection *connection)
{
    std::erase(connections_, connection);
}
