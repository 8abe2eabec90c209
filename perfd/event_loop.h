#pragma once
// The service's one thread: poll() over the watched descriptors, timers by
// deadline, and a wake-up pipe through which Quit() may come from a signal
// handler or another thread.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <poll.h>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

class EventLoop
{
public:
    using Clock = std::chrono::steady_clock;
    using IoHandler = std::function<void(short revents)>;
    using TimerId = std::uint64_t;

    EventLoop(); // raises PerfdError when the wake-up pipe cannot be made
    ~EventLoop();
    EventLoop(const EventLoop &) = delete;
    EventLoop &operator=(const EventLoop &) = delete;

    // handler gets poll's revents when fd is ready for events; errors and
    // hang-ups always come. Replaces an earlier watch of fd.
    void Watch(int fd, short events, IoHandler handler);
    void SetEvents(int fd, short events);
    // Before fd is closed: an event already polled for it is not delivered.
    void Unwatch(int fd);

    TimerId After(Clock::duration delay, std::function<void()> action);
    void Cancel(TimerId id); // nothing for a timer that has run
    // Runs action when the handlers of this round are done, for what may not
    // end inside its own handler.
    void Post(std::function<void()> action);

    void Run(); // until Quit()
    // Async-signal-safe and thread-safe.
    void Quit();

private:
    struct Watched {
        short events;
        std::uint64_t serial; // tells a descriptor number reused within a round
        std::shared_ptr<IoHandler> handler;
    };
    int PollTimeoutMs() const;
    void Dispatch(const std::vector<pollfd> &ready, const std::vector<std::uint64_t> &serials);
    void RunDueTimers();
    void RunPosted();

    std::unordered_map<int, Watched> watched_;
    std::uint64_t nextSerial_ = 1;
    std::set<std::pair<Clock::time_point, TimerId>> deadlines_;
    std::map<TimerId, std::pair<Clock::time_point, std::function<void()>>> timers_;
    TimerId nextTimer_ = 1;
    std::vector<std::function<void()>> posted_;
    int wake_[2] = {-1, -1};
    std::atomic<bool> quit_{false};
};
