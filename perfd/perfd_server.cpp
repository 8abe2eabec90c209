#include "perfd/perfd_server.h"

#include "perfd/ipv4.h"
#include "perfd/perfd_connection.h"
#include "perfd/perfd_listener.h"
#include "perfd/perfd_log.h"

#include <algorithm>
#include <climits>
#include <sys/resource.h>
#include <unistd.h>

namespace
{

// Descriptors kept for the service itself besides its listening sockets:
// standard streams, wake-up pipe, the /proc files a scan opens.
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

PerfdServer::PerfdServer(EventLoop &loop, PerfdOptions options)
    : loop_(loop), options_(std::move(options)),
      blocks_(options_.procDir, ScanOptions{options_.kernelThreads})
{
    if (options_.listen.empty()) options_.listen.push_back(kAnyIpv4);
    if (options_.allow.empty()) options_.allow.push_back(kLoopbackNetwork);
}

PerfdServer::~PerfdServer() = default;

void PerfdServer::Listen()
{
    for (const std::uint32_t address : options_.listen) {
        listeners_.push_back(std::make_unique<PerfdListener>(
            loop_, address, options_.port,
            [this](int fd, std::uint32_t peer) { Accept(fd, peer); }));
        PerfdLog("listening on " + Ipv4Text(address) + ':' + std::to_string(options_.port));
    }
    cap_ = ConnectionCap(int(options_.listen.size()), options_.maxConnections);
    PerfdLog("serving at most " + std::to_string(cap_) + " connections at once");
}

void PerfdServer::Accept(int fd, std::uint32_t peer)
{
    if (!Allowed(peer)) {
        PerfdLog("refused " + Ipv4Text(peer) + ": not in an allowed network");
        ::close(fd);
        return;
    }
    MakeRoom();
    connections_.push_back(std::make_unique<PerfdConnection>(
        loop_, fd, blocks_, options_.idle,
        [this](PerfdConnection *connection) { Forget(connection); }));
}

bool PerfdServer::Allowed(std::uint32_t peer) const
{
    return std::any_of(options_.allow.begin(), options_.allow.end(),
                       [peer](const Ipv4Network &network) { return network.Contains(peer); });
}

void PerfdServer::MakeRoom()
{
    if (int(connections_.size()) < cap_) return;
    const auto stalest = std::min_element(
        connections_.begin(), connections_.end(),
        [](const auto &a, const auto &b) { return a->LastProgress() < b->LastProgress(); });
    (*stalest)->Close(); // Forget() takes it off the list
}

// The connection may be inside its own handler: it is destroyed after.
void PerfdServer::Forget(PerfdConnection *connection)
{
    const auto it = std::find_if(connections_.begin(), connections_.end(),
                                 [connection](const auto &c) { return c.get() == connection; });
    if (it == connections_.end()) return;
    std::shared_ptr<PerfdConnection> ended(std::move(*it));
    connections_.erase(it);
    loop_.Post([ended] {});
}
