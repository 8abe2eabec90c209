#include "loopback_listener.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

sockaddr_in Address(const char *address, int port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(quint16(port));
    inet_aton(address, &a.sin_addr);
    return a;
}

bool Ready(int fd, short events, int waitMs)
{
    pollfd p{fd, events, 0};
    return ::poll(&p, 1, waitMs) == 1;
}

} // namespace

LoopbackListener::LoopbackListener(const char *address, int port, int backlog)
    : address_(address), port_(port)
{
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    const int one = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    const sockaddr_in a = Address(address, port);
    if (::bind(listener_, reinterpret_cast<const sockaddr *>(&a), sizeof a) != 0 ||
        ::listen(listener_, backlog) != 0)
        throw std::runtime_error("cannot listen on the test address");
}

LoopbackListener::~LoopbackListener()
{
    if (filler_ >= 0) ::close(filler_);
    ::close(listener_);
}

int LoopbackListener::Accept(int waitMs)
{
    if (!Ready(listener_, POLLIN, waitMs)) return -1;
    return ::accept(listener_, nullptr, nullptr);
}

QString LoopbackListener::PeerEnding(int connection, int waitMs)
{
    if (!Ready(connection, POLLIN, waitMs)) return QStringLiteral("open");
    char byte = 0;
    const ssize_t got = ::recv(connection, &byte, 1, 0);
    if (got > 0) return QStringLiteral("data");
    if (got == 0) return QStringLiteral("closed");
    return errno == ECONNRESET ? QStringLiteral("reset") : QStringLiteral("error");
}

void LoopbackListener::FillQueue()
{
    filler_ = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in a = Address(address_, port_);
    if (::connect(filler_, reinterpret_cast<const sockaddr *>(&a), sizeof a) != 0)
        throw std::runtime_error("cannot fill the listener's queue");
}
