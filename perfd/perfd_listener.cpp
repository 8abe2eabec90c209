#include "perfd/perfd_listener.h"

#include "core/exception.h"
#include "perfd/perfd_server.h"

#include <QSocketNotifier>
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
constexpr int kPauseMs = 100;
// Accepts per wake-up, so that a burst of connects cannot hold up clients
// already connected.
constexpr int kAcceptBurst = 64;

int BoundSocket(const QHostAddress &address, quint16 port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(port);
    at.sin_addr.s_addr = htonl(address.toIPv4Address());
    if (bind(fd, reinterpret_cast<sockaddr *>(&at), sizeof at) == 0 && listen(fd, SOMAXCONN) == 0)
        return fd;
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
}

} // namespace

PerfdListener::PerfdListener(const QHostAddress &address, quint16 port, QObject *parent)
    : QObject(parent), fd_(BoundSocket(address, port))
{
    if (fd_ < 0)
        throw Exception(QStringLiteral("cannot listen on %1:%2: %3")
                            .arg(address.toString())
                            .arg(port)
                            .arg(QString::fromLocal8Bit(std::strerror(errno))));
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &PerfdListener::AcceptPending);
    resume_.setSingleShot(true);
    resume_.setInterval(kPauseMs);
    connect(&resume_, &QTimer::timeout, this, [this] { notifier_->setEnabled(true); });
}

PerfdListener::~PerfdListener()
{
    delete notifier_;
    ::close(fd_);
}

void PerfdListener::AcceptPending()
{
    for (int i = 0; i < kAcceptBurst; ++i) {
        const int descriptor = accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (descriptor >= 0) {
            failing_ = false;
            emit Accepted(descriptor);
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
        PerfdLog(QStringLiteral("cannot accept: %1; retrying every %2 ms")
                     .arg(QString::fromLocal8Bit(std::strerror(error)))
                     .arg(kPauseMs));
    failing_ = true;
    notifier_->setEnabled(false);
    resume_.start();
}
