#include "collect/probe_net.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <utility>

namespace probe_net
{
namespace
{

constexpr std::array<std::pair<int, int>, 45> kWindowsNumbers{{
    {EINTR, 10004},        {EBADF, 10009},           {EACCES, 10013},
    {EPERM, 10013},        {EFAULT, 10014},          {EINVAL, 10022},
    {EMFILE, 10024},       {ENFILE, 10024},          {EWOULDBLOCK, 10035},
    {EINPROGRESS, 10036},  {EALREADY, 10037},        {ENOTSOCK, 10038},
    {EDESTADDRREQ, 10039}, {EMSGSIZE, 10040},        {EPROTOTYPE, 10041},
    {ENOPROTOOPT, 10042},  {EPROTONOSUPPORT, 10043}, {ESOCKTNOSUPPORT, 10044},
    {EOPNOTSUPP, 10045},   {EPFNOSUPPORT, 10046},    {EAFNOSUPPORT, 10047},
    {EADDRINUSE, 10048},   {EADDRNOTAVAIL, 10049},   {ENETDOWN, 10050},
    {ENETUNREACH, 10051},  {ENETRESET, 10052},       {ECONNABORTED, 10053},
    {ECONNRESET, 10054},   {ENOBUFS, 10055},         {ENOMEM, 10055},
    {EISCONN, 10056},      {ENOTCONN, 10057},        {ESHUTDOWN, 10058},
    {ETOOMANYREFS, 10059}, {ETIMEDOUT, 10060},       {ECONNREFUSED, 10061},
    {ELOOP, 10062},        {ENAMETOOLONG, 10063},    {EHOSTDOWN, 10064},
    {EHOSTUNREACH, 10065}, {ENOTEMPTY, 10066},       {EUSERS, 10068},
    {EDQUOT, 10069},       {ESTALE, 10070},          {EREMOTE, 10071},
}};

int WindowsNumber(int error)
{
    const auto row = std::find_if(kWindowsNumbers.begin(), kWindowsNumbers.end(),
                                  [error](const auto &r) { return r.first == error; });
    return row == kWindowsNumbers.end() ? kUnmappedBase + error : row->second;
}

int LastError()
{
    return WindowsNumber(errno);
}

} // namespace

Opened OpenStream(bool lingerZero)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0) return {kNoSocket, LastError()};
    const linger reset{1, 0};
    if (lingerZero && ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset) != 0) {
        const int error = LastError();
        ::close(fd);
        return {kNoSocket, error};
    }
    return {fd, 0};
}

int StartConnect(Handle socket, std::uint32_t address, std::uint16_t port)
{
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = htonl(address);
    if (::connect(int(socket), reinterpret_cast<const sockaddr *>(&target), sizeof target) == 0)
        return 0;
    // Windows reports a non-blocking connect under way as "would block".
    return errno == EINPROGRESS ? kWouldBlock : LastError();
}

int ConnectResult(Handle socket)
{
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(int(socket), SOL_SOCKET, SO_ERROR, &error, &size) != 0) return LastError();
    return error == 0 ? 0 : WindowsNumber(error);
}

Peek PeekOneByte(Handle socket)
{
    char byte = 0;
    const ssize_t got = ::recv(int(socket), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (got > 0) return {PeekState::DataWaiting, 0};
    if (got == 0) return {PeekState::Closed, 0};
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return {PeekState::Nothing, 0};
    return {PeekState::Closed, LastError()};
}

int Close(Handle socket)
{
    return ::close(int(socket)) == 0 ? 0 : LastError();
}

std::optional<std::uint32_t> ParseDottedAddress(const std::string &text)
{
    in_addr address{};
    if (::inet_aton(text.c_str(), &address) == 0) return std::nullopt;
    return ntohl(address.s_addr);
}

} // namespace probe_net
