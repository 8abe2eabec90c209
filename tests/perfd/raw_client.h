#pragma once
// A plain client of the stand-in service for its tests: request frames and a
// blocking socket that reads whole answers.

#include <QByteArray>
#include <QTcpSocket>
#include <cstdint>
#include <optional>

QByteArray Le(std::uint32_t v);
QByteArray Frame(std::uint32_t op, const QByteArray &payload);
QByteArray Query(std::uint32_t offer, const QByteArray &name);
// Opens the performance data key.
extern const QByteArray kConnect;

// A blocking descriptor connected to port 445 of server, -1 on failure.
int ConnectRaw(const char *server);

struct Answer {
    std::uint32_t status;
    QByteArray payload;
};

// Connects to port 445 of server, from a chosen local address.
class RawClient
{
public:
    explicit RawClient(const char *server, const char *from = nullptr);
    bool Connected() const { return connected_; }
    void Send(const QByteArray &bytes);
    // Nothing when no whole answer comes within 3 s.
    std::optional<Answer> Read();
    // True when the service closed the connection without sending a byte.
    bool ClosedSilently();
    QTcpSocket &Socket() { return socket_; }

private:
    QByteArray Exactly(qint64 n);
    QTcpSocket socket_;
    bool connected_ = false;
};
