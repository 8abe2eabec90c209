#include "perfd/perfd_listener.h"

#include "perfd/ipv4.h"
#include "perfd/perfd_error.h"
#include "perfd/perfd_log.h"
#include "perfd/port_owner.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

// Long enough to cost nothing while descriptors are short, short enough that
// a waiting client hardly notices.
constexpr std::chrono::milliseconds kPause{100};
// Accepts per wake-up, so that a burst of connects cannot hold up clients
// already connected.
constexpr int kAcceptBurst = 64;

int BoundSocket(std::uint32_t address, std::uint16_t port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(port);
    at.sin_addr.s_addr = htonl(address);
    if (bind(fd, reinterpret_cast<sockaddr *>(&at), sizeof at) == 0 && listen(fd, SOMAXCONN) == 0)
        return fd;
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
}

std::string BindFailure(std::uint32_t address, std::uint16_t port, int error)
{
    const std::string where = Ipv4Text(address) + ':' + std::to_string(port);
    const std::string portName = "port " + std::to_string(port);
    if (error == EADDRINUSE) {
        const std::string owner = DescribePortOwner(address, port);
        return "cannot listen on " + where + ": " + portName + " is in use by " +
               (owner.empty() ? "another program, which this service may not see (as root, "
                                "'ss -ltnp sport = :" + std::to_string(port) + "' names it)"
                              : owner);
    }
    if (error == EACCES)
        return "cannot listen on " + where + ": " + portName +
               " needs root or the capability CAP_NET_BIND_SERVICE";
    return "cannot listen on " + where + ": " + std::strerror(error);
}

} // namespace

PerfdListener::PerfdListener(EventLoop &loop, std::uint32_t address, std::uint16_t port,
                             AcceptHandler accepted)
    : loop_(loop), accepted_(std::move(accepted)), fd_(BoundSocket(address, port))
{
    if (fd_ < 0) throw PerfdError(BindFailure(address, port, errno));
    loop_.Watch(fd_, POLLIN, [this](short) { AcceptPending(); });
}

PerfdListener::~PerfdListener()
{
    loop_.Cancel(resume_);
    loop_.Unwatch(fd_);
    ::close(fd_);
}

void PerfdListener::AcceptPending()
{
    for (int i = 0; i < kAcceptBurst; ++i) {
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        const int fd = accept4(fd_, reinterpret_cast<sockaddr *>(&peer), &length,
                               SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            failing_ = false;
            accepted_(fd, ntohl(peer.sin_addr.s_addr));
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) return;
        // The connection went away before it was taken: the next one may not.
        if (errno == ECONNABORTED || errno == EINTR) continue;
        return Pause(errno);
    }
}

void PerfdListener::Pause(int error)
{
    if (!failing_)
        PerfdLog(std::string("cannot accept: ") + std::strerror(error) + "; retrying every " +
                 std::to_string(kPause.count()) + " ms");
    failing_ = true;
    loop_.SetEvents(fd_, 0);
    resume_ = loop_.After(kPause, [this] { loop_.SetEvents(fd_, POLLIN); });
}
