#pragma once
// One client of the service. Requests are answered one at a time: the next
// one is read only when the last answer has left, so a client that never
// reads holds one answer and its idle timer closes it. The idle time counts
// from the last whole request or whole answer, not from the last byte, so a
// client that trickles bytes is closed like a silent one.

#include "perfd/event_loop.h"
#include "perfd/perf_query.h"

#include <chrono>
#include <deque>
#include <functional>
#include <string>

class PerfBlockCache;

class PerfdConnection
{
public:
    // Called once, when the connection has ended for whatever reason; the
    // connection may be destroyed only after the handler that ended it.
    using FinishedHandler = std::function<void(PerfdConnection *)>;

    // Takes the descriptor over.
    PerfdConnection(EventLoop &loop, int fd, PerfBlockCache &blocks,
                    std::chrono::milliseconds idle, FinishedHandler finished);
    ~PerfdConnection();
    PerfdConnection(const PerfdConnection &) = delete;
    PerfdConnection &operator=(const PerfdConnection &) = delete;

    // When a request was last taken whole or an answer last left whole.
    EventLoop::Clock::time_point LastProgress() const { return lastProgress_; }
    // Ends the connection now, to make room for another.
    void Close() { Finish(); }

private:
    void OnReady(short revents);
    void Progress();
    // False when the client has gone.
    bool ReadAvailable();
    void ProcessRequests();
    // False when the request ends the connection.
    bool Handle(std::uint32_t op, std::string_view payload);
    void AnswerQuery(std::string_view payload);
    void Send(std::uint32_t status, PerfBlock payload);
    // False when the client has gone.
    bool Flush();
    void Finish();

    EventLoop &loop_;
    int fd_;
    PerfBlockCache &blocks_;
    std::chrono::milliseconds idle_;
    FinishedHandler finished_;
    EventLoop::TimerId idleTimer_ = 0;
    EventLoop::Clock::time_point lastProgress_;
    std::string in_;
    struct Pending {
        PerfBlock bytes;
        size_t sent = 0;
    };
    std::deque<Pending> out_;
    bool keyOpen_ = false;
};
