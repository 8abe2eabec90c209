#include "perfd/perfd_connection.h"

#include "perfd/perf_block_cache.h"
#include "perfd/perfd_log.h"
#include "perfd/perfd_protocol.h"
#include "perfdata/perf_exchange.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

using namespace perfd_protocol;

namespace
{

constexpr int kSendBuffer = 128 * 1024;
constexpr size_t kLargestRequest = kFrameHeaderSize + kMaxRequestPayload;

std::string U32(std::uint32_t value)
{
    return {char(value & 0xFF), char((value >> 8) & 0xFF), char((value >> 16) & 0xFF),
            char(value >> 24)};
}

std::uint32_t ReadU32(const char *at)
{
    const auto *b = reinterpret_cast<const unsigned char *>(at);
    return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
           std::uint32_t(b[3]) << 24;
}

} // namespace

PerfdConnection::PerfdConnection(EventLoop &loop, int fd, PerfBlockCache &blocks,
                                 std::chrono::milliseconds idle, FinishedHandler finished)
    : loop_(loop), fd_(fd), blocks_(blocks), idle_(idle), finished_(std::move(finished))
{
    // Keeps what a client that stops reading can make us build and hold small.
    setsockopt(fd_, SOL_SOCKET, SO_SNDBUF, &kSendBuffer, sizeof kSendBuffer);
    loop_.Watch(fd_, POLLIN, [this](short revents) { OnReady(revents); });
    Progress();
}

PerfdConnection::~PerfdConnection()
{
    finished_ = nullptr;
    Finish();
}

void PerfdConnection::Progress()
{
    lastProgress_ = EventLoop::Clock::now();
    loop_.Cancel(idleTimer_);
    idleTimer_ = loop_.After(idle_, [this] { Finish(); });
}

void PerfdConnection::OnReady(short revents)
{
    if (revents & (POLLERR | POLLNVAL)) return Finish();
    if (!out_.empty()) {
        // A peer gone while its answer waits: nobody left to write to.
        if ((revents & POLLHUP) || !Flush()) return Finish();
        if (!out_.empty()) return;
        Progress();
        ProcessRequests();
        return;
    }
    const bool open = ReadAvailable();
    // Requests that came before the client closed its side are answered.
    ProcessRequests();
    if (!open) Finish();
}

bool PerfdConnection::ReadAvailable()
{
    while (in_.size() < kLargestRequest) {
        char chunk[kLargestRequest];
        const ssize_t got = ::recv(fd_, chunk, kLargestRequest - in_.size(), 0);
        if (got > 0) {
            in_.append(chunk, size_t(got));
            continue;
        }
        return got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR);
    }
    return true;
}

void PerfdConnection::ProcessRequests()
{
    try {
        while (fd_ >= 0 && out_.empty() && !in_.empty()) {
            // Told from its first byte: a program that tries SMB first (a
            // NetBIOS header, then 0xFF or 0xFE "SMB") is closed at once and
            // unlogged, so that it tries the service without waiting.
            if (std::memcmp(in_.data(), kMagic, std::min(in_.size(), sizeof kMagic)) != 0)
                return Finish();
            if (in_.size() < size_t(kFrameHeaderSize)) break;
            const std::uint32_t op = ReadU32(in_.data() + 4);
            const std::uint32_t length = ReadU32(in_.data() + 8);
            if (length > kMaxRequestPayload) return Finish();
            if (in_.size() < kFrameHeaderSize + length) break;
            const std::string request = in_.substr(0, kFrameHeaderSize + length);
            in_.erase(0, request.size());
            Progress();
            if (!Handle(op, std::string_view(request).substr(kFrameHeaderSize))) return;
        }
    } catch (const std::exception &e) {
        PerfdLog(std::string("dropped a client: ") + e.what());
        return Finish();
    }
    if (fd_ >= 0) loop_.SetEvents(fd_, out_.empty() ? POLLIN : POLLOUT);
}

bool PerfdConnection::Handle(std::uint32_t op, std::string_view payload)
{
    switch (op) {
    case OpConnect:
        if (payload.size() != 4) break;
        keyOpen_ = ReadU32(payload.data()) == perf_data::kPerformanceDataKey;
        Send(keyOpen_ ? perf_data::kSuccess : perf_data::kInvalidHandle, {});
        return fd_ >= 0;
    case OpQuery:
        if (payload.size() < 4) break;
        AnswerQuery(payload);
        return fd_ >= 0;
    }
    // Op 3 (close) and every bad request end the connection; nothing is
    // pending, since requests are read only when the last answer has left.
    Finish();
    return false;
}

void PerfdConnection::AnswerQuery(std::string_view payload)
{
    if (!keyOpen_) return Send(perf_data::kInvalidHandle, {});
    const PerfQueryResult result = AnswerPerfQuery(payload.substr(4), ReadU32(payload.data()),
                                                   [this] { return blocks_.Block(); });
    if (result.status == perf_data::kMoreData)
        return Send(result.status,
                    std::make_shared<const std::string>(U32(std::uint32_t(result.block->size()))));
    Send(std::uint32_t(result.status), result.block);
}

void PerfdConnection::Send(std::uint32_t status, PerfBlock payload)
{
    const size_t length = payload ? payload->size() : 0;
    out_.push_back({std::make_shared<const std::string>(std::string(kMagic, 4) + U32(status) +
                                                        U32(std::uint32_t(length)))});
    // Queued on its own, the shared block goes out without a copy.
    if (length > 0) out_.push_back({std::move(payload)});
    if (!Flush()) return Finish();
    if (out_.empty()) Progress();
}

bool PerfdConnection::Flush()
{
    while (!out_.empty()) {
        iovec parts[2];
        size_t count = 0;
        for (; count < 2 && count < out_.size(); ++count)
            parts[count] = {const_cast<char *>(out_[count].bytes->data()) + out_[count].sent,
                            out_[count].bytes->size() - out_[count].sent};
        msghdr message{};
        message.msg_iov = parts;
        message.msg_iovlen = count;
        ssize_t sent = ::sendmsg(fd_, &message, MSG_NOSIGNAL);
        if (sent < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        while (sent > 0) {
            Pending &first = out_.front();
            const size_t taken = std::min(size_t(sent), first.bytes->size() - first.sent);
            first.sent += taken;
            sent -= ssize_t(taken);
            if (first.sent == first.bytes->size()) out_.pop_front();
        }
    }
    return true;
}

void PerfdConnection::Finish()
{
    if (fd_ < 0) return;
    loop_.Cancel(idleTimer_);
    loop_.Unwatch(fd_);
    ::close(fd_);
    fd_ = -1;
    out_.clear();
    if (finished_) finished_(this);
}
