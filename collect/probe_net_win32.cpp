#include "collect/probe_net.h"

#include <windows.h> // brings Windows Sockets 1.1 (winsock.h)

namespace probe_net
{
namespace
{

// Started once for the process and left to the process's end.
int StartLibrary()
{
    static const int error = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(1, 1), &data);
    }();
    return error;
}

SOCKET Native(Handle socket)
{
    return static_cast<SOCKET>(socket);
}

} // namespace

Opened OpenStream(bool lingerZero)
{
    if (const int error = StartLibrary(); error != 0) return {kNoSocket, error};
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return {kNoSocket, WSAGetLastError()};
    u_long nonBlocking = 1;
    const linger reset{1, 0};
    const bool ready =
        ioctlsocket(s, FIONBIO, &nonBlocking) == 0 &&
        (!lingerZero || setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char *>(&reset),
                                   sizeof reset) == 0);
    if (!ready) {
        const int error = WSAGetLastError();
        closesocket(s);
        return {kNoSocket, error};
    }
    return {static_cast<Handle>(s), 0};
}

int StartConnect(Handle socket, std::uint32_t address, std::uint16_t port)
{
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = htonl(address);
    if (::connect(Native(socket), reinterpret_cast<const sockaddr *>(&target), sizeof target) == 0)
        return 0;
    return WSAGetLastError();
}

int ConnectResult(Handle socket)
{
    int error = 0;
    int size = sizeof error;
    if (getsockopt(Native(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&error), &size) !=
        0)
        return WSAGetLastError();
    return error;
}

Peek PeekOneByte(Handle socket)
{
    char byte = 0;
    const int got = recv(Native(socket), &byte, 1, MSG_PEEK);
    if (got > 0) return {PeekState::DataWaiting, 0};
    if (got == 0) return {PeekState::Closed, 0};
    const int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK) return {PeekState::Nothing, 0};
    return {PeekState::Closed, error};
}

int Close(Handle socket)
{
    return closesocket(Native(socket)) == 0 ? 0 : WSAGetLastError();
}

std::optional<std::uint32_t> ParseDottedAddress(const std::string &text)
{
    // Older inet_addr read "" as 0; the empty name is the local computer.
    // It cannot tell 255.255.255.255 from a refusal; a lookup then reads it.
    if (text.empty()) return std::nullopt;
    const unsigned long address = inet_addr(text.c_str());
    if (address == INADDR_NONE) return std::nullopt;
    return ntohl(address);
}

} // namespace probe_net
