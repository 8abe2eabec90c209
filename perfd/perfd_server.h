#pragma once
// The stand-in performance data service: listens on the given addresses and
// serves every client from an allowed network; any other client is
// disconnected before a byte is sent, with one line on the log. It holds at
// most a set number of connections, well below its descriptor limit; when
// full, a new client takes the place of the one that made progress least
// recently (the longest idle, or the slowest to read its answer).

#include "perfd/event_loop.h"
#include "perfd/perf_block_cache.h"
#include "perfd/perfd_options.h"

#include <memory>
#include <vector>

class PerfdConnection;
class PerfdListener;

class PerfdServer
{
public:
    PerfdServer(EventLoop &loop, PerfdOptions options);
    ~PerfdServer();
    PerfdServer(const PerfdServer &) = delete;
    PerfdServer &operator=(const PerfdServer &) = delete;

    // Raises PerfdError when an address cannot be bound.
    void Listen();

private:
    void Accept(int fd, std::uint32_t peer);
    bool Allowed(std::uint32_t peer) const;
    void MakeRoom();
    void Forget(PerfdConnection *connection);

    EventLoop &loop_;
    PerfdOptions options_;
    PerfBlockCache blocks_;
    int cap_ = 1;
    std::vector<std::unique_ptr<PerfdListener>> listeners_;
    std::vector<std::unique_ptr<PerfdConnection>> connections_;
};
