#include "tests/perfd/query_flood.h"

#include "tests/perfd/raw_client.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
constexpr int kQueriesPerRound = 256;
} // namespace

QueryFlood::QueryFlood(const char *server, int connections)
{
    // A 16-byte offer: every answer is small, but each one needs the block.
    for (int i = 0; i < kQueriesPerRound; ++i)
        requests_ += Query(16, "230");
    for (int i = 0; i < connections; ++i) {
        const int fd = ConnectRaw(server);
        if (fd >= 0) fds_.push_back(fd);
        if (fd < 0 || ::send(fd, kConnect.constData(), size_t(kConnect.size()), 0) < 0) {
            for (const int open : fds_)
                ::close(open);
            fds_.clear();
            return;
        }
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    sent_.assign(fds_.size(), 0);
    thread_ = std::thread(&QueryFlood::Run, this);
}

QueryFlood::~QueryFlood()
{
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    for (const int fd : fds_)
        ::close(fd);
}

void QueryFlood::Run()
{
    std::vector<pollfd> polled;
    for (const int fd : fds_)
        polled.push_back({fd, POLLIN | POLLOUT, 0});
    while (!stop_) {
        if (poll(polled.data(), polled.size(), 50) <= 0) continue;
        for (size_t i = 0; i < polled.size(); ++i) {
            if (!Pump(i, polled[i].revents)) polled[i].fd = -1; // poll skips it
        }
    }
}

bool QueryFlood::Pump(size_t index, short events)
{
    const int fd = fds_[index];
    char sink[65536];
    if (events & (POLLIN | POLLHUP | POLLERR)) {
        const ssize_t got = recv(fd, sink, sizeof sink, 0);
        if (got == 0 || (got < 0 && errno != EAGAIN)) return false;
        if (got > 0) answerBytes_ += got;
    }
    if (events & POLLOUT) {
        qsizetype &at = sent_[index];
        const ssize_t put =
            send(fd, requests_.constData() + at, size_t(requests_.size() - at), MSG_NOSIGNAL);
        if (put > 0) at = (at + put) % requests_.size();
    }
    return true;
}
