#pragma once
// One listening TCP socket of the service. When accept() fails for want of
// descriptors, accepting pauses for a moment and then tries again, so the
// service neither spins on a readable socket nor gives up.

#include "perfd/event_loop.h"

#include <cstdint>
#include <functional>

class PerfdListener
{
public:
    // A new connection's descriptor, now the receiver's, and its peer.
    using AcceptHandler = std::function<void(int fd, std::uint32_t peer)>;

    // Raises PerfdError when the address cannot be bound; when the port is
    // taken, the message says by what.
    PerfdListener(EventLoop &loop, std::uint32_t address, std::uint16_t port,
                  AcceptHandler accepted);
    ~PerfdListener();
    PerfdListener(const PerfdListener &) = delete;
    PerfdListener &operator=(const PerfdListener &) = delete;

private:
    void AcceptPending();
    void Pause(int error);

    EventLoop &loop_;
    AcceptHandler accepted_;
    int fd_ = -1;
    EventLoop::TimerId resume_ = 0;
    bool failing_ = false; // logged once until an accept succeeds again
};
