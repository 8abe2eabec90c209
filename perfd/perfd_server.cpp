#include "perfd/perfd_server.h"

#include "core/exception.h"
#include "perfd/perfd_connection.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <cstdio>

void PerfdLog(const QString &line)
{
    std::fprintf(stderr, "tarvenix-perfd: %s\n", qPrintable(line));
    std::fflush(stderr);
}

PerfdServer::PerfdServer(PerfdOptions options, QObject *parent)
    : QObject(parent), options_(std::move(options))
{
    if (options_.listen.isEmpty()) options_.listen.append(QHostAddress(QHostAddress::AnyIPv4));
    if (options_.allow.isEmpty())
        options_.allow.append(QHostAddress::parseSubnet(QStringLiteral("127.0.0.0/8")));
}

void PerfdServer::Listen()
{
    for (const QHostAddress &address : options_.listen) {
        auto *server = new QTcpServer(this);
        if (!server->listen(address, options_.port))
            throw Exception(QStringLiteral("cannot listen on %1:%2: %3")
                                .arg(address.toString())
                                .arg(options_.port)
                                .arg(server->errorString()));
        connect(server, &QTcpServer::newConnection, this, [this, server] { Accept(server); });
        PerfdLog(QStringLiteral("listening on %1:%2").arg(address.toString()).arg(options_.port));
    }
}

void PerfdServer::Accept(QTcpServer *server)
{
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        if (Allowed(socket->peerAddress())) {
            new PerfdConnection(socket, options_.procDir, options_.idle, this);
            continue;
        }
        PerfdLog(QStringLiteral("refused %1: not in an allowed network")
                     .arg(socket->peerAddress().toString()));
        socket->abort();
        socket->deleteLater();
    }
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
