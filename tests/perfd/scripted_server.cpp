#include "tests/perfd/scripted_server.h"

#include <QtEndian>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

bool WaitReadable(int fd)
{
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, 5000) == 1;
}

bool ReadExactly(int fd, char *into, size_t count)
{
    while (count > 0) {
        if (!WaitReadable(fd)) return false;
        const ssize_t got = recv(fd, into, count, 0);
        if (got <= 0) return false;
        into += got;
        count -= size_t(got);
    }
    return true;
}

bool Speaks(int fd)
{
    char first = 0;
    return WaitReadable(fd) && recv(fd, &first, 1, MSG_PEEK) == 1;
}

} // namespace

ScriptedServer::ScriptedServer(const char *address, Script script, Plays plays)
{
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(445);
    inet_pton(AF_INET, address, &at.sin_addr);
    if (bind(listener_, reinterpret_cast<sockaddr *>(&at), sizeof at) != 0 ||
        listen(listener_, 4) != 0)
        qFatal("cannot listen on %s:445", address);
    thread_ = std::thread([this, plays, script = std::move(script)] {
        while (WaitReadable(listener_)) {
            const int fd = accept(listener_, nullptr, nullptr);
            if (fd < 0) return;
            const bool skip = plays == Plays::FirstThatSpeaks && !Speaks(fd);
            if (!skip) script(fd);
            close(fd);
            if (!skip) return;
        }
    });
}

ScriptedServer::~ScriptedServer()
{
    thread_.join();
    close(listener_);
}

bool ScriptedServer::ReadRequest(int fd, QByteArray *payload)
{
    char header[12];
    if (!ReadExactly(fd, header, sizeof header)) return false;
    QByteArray bytes(qFromLittleEndian<std::uint32_t>(header + 8), '\0');
    if (!ReadExactly(fd, bytes.data(), size_t(bytes.size()))) return false;
    if (payload) *payload = bytes;
    return true;
}

bool ScriptedServer::Write(int fd, const QByteArray &bytes)
{
    return send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL) == bytes.size();
}

void ScriptedServer::ReadUntilClosed(int fd)
{
    char sink[4096];
    while (WaitReadable(fd) && recv(fd, sink, sizeof sink, 0) > 0) {
    }
}

QByteArray ScriptedServer::Answer(std::uint32_t status, const QByteArray &payload)
{
    return "TPD1" + U32(status) + U32(std::uint32_t(payload.size())) + payload;
}

QByteArray ScriptedServer::U32(std::uint32_t value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}
