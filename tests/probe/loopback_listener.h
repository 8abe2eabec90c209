#pragma once
// A plain listening socket on a loopback address, for the probe's tests; it
// sees what the probe does to a connection without Qt in between.

#include <QString>

// 127.0.0.0 plus last, in host order.
constexpr quint32 LoopbackIp(int last)
{
    return (127u << 24) | quint32(last);
}

class LoopbackListener
{
public:
    LoopbackListener(const char *address, int port, int backlog = 8);
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener &) = delete;
    LoopbackListener &operator=(const LoopbackListener &) = delete;

    // The next queued connection (its descriptor), or -1 after waitMs.
    int Accept(int waitMs = 1000);
    // How the peer ended an accepted connection: "reset", "closed", "data" or
    // "open" when nothing happened within waitMs.
    static QString PeerEnding(int connection, int waitMs = 1000);
    // Connects a client that is never accepted, so that a listener of
    // backlog 0 has its queue full and lets no further handshake complete.
    void FillQueue();

private:
    int listener_ = -1;
    int filler_ = -1;
    const char *address_;
    int port_;
};
