#include "tests/perfd/raw_client.h"

#include <QHostAddress>
#include <QtEndian>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

const QByteArray kConnect("TPD1\x01\0\0\0\x04\0\0\0\x04\0\0\x80", 16);

QByteArray Le(std::uint32_t v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray Frame(std::uint32_t op, const QByteArray &payload)
{
    return "TPD1" + Le(op) + Le(std::uint32_t(payload.size())) + payload;
}

QByteArray Query(std::uint32_t offer, const QByteArray &name)
{
    return Frame(2, Le(offer) + name);
}

int ConnectRaw(const char *server)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    // A service that stopped accepting leaves connects hanging: give up.
    const timeval wait{3, 0};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(445);
    inet_pton(AF_INET, server, &at.sin_addr);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&at), sizeof at) == 0) return fd;
    ::close(fd);
    return -1;
}

RawClient::RawClient(const char *server, const char *from)
{
    if (from) socket_.bind(QHostAddress(QLatin1String(from)));
    socket_.connectToHost(QLatin1String(server), 445);
    connected_ = socket_.waitForConnected(3000);
}

void RawClient::Send(const QByteArray &bytes)
{
    socket_.write(bytes);
    socket_.waitForBytesWritten(3000);
}

std::optional<Answer> RawClient::Read()
{
    const QByteArray header = Exactly(12);
    if (header.size() != 12 || !header.startsWith("TPD1")) return std::nullopt;
    const auto length = qFromLittleEndian<std::uint32_t>(header.constData() + 8);
    const QByteArray payload = Exactly(length);
    if (payload.size() != qsizetype(length)) return std::nullopt;
    return Answer{qFromLittleEndian<std::uint32_t>(header.constData() + 4), payload};
}

bool RawClient::ClosedSilently()
{
    while (socket_.state() == QAbstractSocket::ConnectedState && socket_.waitForReadyRead(3000)) {
    }
    return socket_.state() != QAbstractSocket::ConnectedState && socket_.readAll().isEmpty();
}

QByteArray RawClient::Exactly(qint64 n)
{
    while (socket_.bytesAvailable() < n && socket_.waitForReadyRead(3000)) {
    }
    return socket_.read(n);
}
