#include "perfd/event_loop.h"

#include "perfd/perfd_error.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

EventLoop::EventLoop()
{
    if (pipe2(wake_, O_NONBLOCK | O_CLOEXEC) != 0)
        throw PerfdError("cannot create the event loop's wake-up pipe");
}

EventLoop::~EventLoop()
{
    ::close(wake_[0]);
    ::close(wake_[1]);
}

void EventLoop::Watch(int fd, short events, IoHandler handler)
{
    watched_[fd] = {events, nextSerial_++, std::make_shared<IoHandler>(std::move(handler))};
}

void EventLoop::SetEvents(int fd, short events)
{
    if (const auto it = watched_.find(fd); it != watched_.end()) it->second.events = events;
}

void EventLoop::Unwatch(int fd)
{
    watched_.erase(fd);
}

EventLoop::TimerId EventLoop::After(Clock::duration delay, std::function<void()> action)
{
    const TimerId id = nextTimer_++;
    const Clock::time_point due = Clock::now() + delay;
    deadlines_.insert({due, id});
    timers_.emplace(id, std::make_pair(due, std::move(action)));
    return id;
}

void EventLoop::Cancel(TimerId id)
{
    const auto it = timers_.find(id);
    if (it == timers_.end()) return;
    deadlines_.erase({it->second.first, id});
    timers_.erase(it);
}

void EventLoop::Post(std::function<void()> action)
{
    posted_.push_back(std::move(action));
}

void EventLoop::Quit()
{
    quit_ = true;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake_[1], &byte, 1);
}

int EventLoop::PollTimeoutMs() const
{
    if (deadlines_.empty()) return -1;
    const auto wait = deadlines_.begin()->first - Clock::now();
    // Rounded up, so that a timer is never polled for just before it is due.
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
    return int(std::clamp<long long>(ms, 0, INT_MAX));
}

void EventLoop::Run()
{
    std::vector<pollfd> polled;
    std::vector<std::uint64_t> serials;
    while (!quit_) {
        polled.assign(1, pollfd{wake_[0], POLLIN, 0});
        serials.assign(1, 0);
        for (const auto &[fd, watch] : watched_) {
            polled.push_back({fd, watch.events, 0});
            serials.push_back(watch.serial);
        }
        if (::poll(polled.data(), polled.size(), PollTimeoutMs()) < 0 && errno != EINTR)
            throw PerfdError("poll failed");
        char drained[64];
        while (::read(wake_[0], drained, sizeof drained) > 0) {
        }
        Dispatch(polled, serials);
        RunDueTimers();
        RunPosted();
    }
}

void EventLoop::Dispatch(const std::vector<pollfd> &ready, const std::vector<std::uint64_t> &serials)
{
    for (size_t i = 1; i < ready.size() && !quit_; ++i) {
        if (ready[i].revents == 0) continue;
        const auto it = watched_.find(ready[i].fd);
        if (it == watched_.end() || it->second.serial != serials[i]) continue;
        // Held here: the handler may unwatch its own descriptor.
        const std::shared_ptr<IoHandler> handler = it->second.handler;
        (*handler)(ready[i].revents);
    }
}

void EventLoop::RunDueTimers()
{
    const Clock::time_point now = Clock::now();
    while (!deadlines_.empty() && deadlines_.begin()->first <= now && !quit_) {
        const TimerId id = deadlines_.begin()->second;
        deadlines_.erase(deadlines_.begin());
        auto action = std::move(timers_.at(id).second);
        timers_.erase(id);
        action();
    }
}

void EventLoop::RunPosted()
{
    while (!posted_.empty()) {
        const std::vector<std::function<void()>> actions = std::move(posted_);
        posted_.clear();
        for (const auto &action : actions)
            action();
    }
}
