#pragma once
// The few socket calls of the reachability probe, over the platform's
// sockets. Every error comes back as a Windows socket error number (10061
// connection refused, 10051 network unreachable, ...), so that the probe's
// texts are the same everywhere; an error without such a number comes back
// as kUnmappedBase plus the platform's own number.

#include <cstdint>
#include <optional>
#include <string>

namespace probe_net
{

using Handle = std::intptr_t;
inline constexpr Handle kNoSocket = -1;
inline constexpr int kWouldBlock = 10035;
inline constexpr int kUnmappedBase = 20000;

struct Opened {
    Handle socket = kNoSocket;
    int error = 0;
};

// A non-blocking IPv4 stream socket; with lingerZero its close resets the
// connection at once instead of closing it gracefully.
Opened OpenStream(bool lingerZero);

// Starts a connect to an IPv4 address (host byte order). Gives 0 when it
// already stands, kWouldBlock while it is under way, else the error.
int StartConnect(Handle socket, std::uint32_t address, std::uint16_t port);

// The outcome of a connect whose socket became writable: 0 when it stands.
int ConnectResult(Handle socket);

// A one-byte look at a readable socket that takes nothing off it.
enum class PeekState { DataWaiting, Closed, Nothing };
struct Peek {
    PeekState state = PeekState::Nothing;
    int error = 0; // set when the peer reset the connection
};
Peek PeekOneByte(Handle socket);

// 0 or the error; the handle is gone either way.
int Close(Handle socket);

// Reads text as inet_addr does: one to four parts separated by dots, each
// decimal, octal (leading 0) or hexadecimal (leading 0x). Host byte order.
std::optional<std::uint32_t> ParseDottedAddress(const std::string &text);

} // namespace probe_net
