#pragma once
// IPv4 addresses (host byte order) and networks, as the options name them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct Ipv4Network {
    std::uint32_t address = 0;
    int bits = 0;
    bool Contains(std::uint32_t other) const;
};

std::optional<std::uint32_t> ParseIpv4(std::string_view text);
// "NETWORK/BITS"; host bits set in NETWORK are ignored.
std::optional<Ipv4Network> ParseIpv4Network(std::string_view text);
std::string Ipv4Text(std::uint32_t address);
