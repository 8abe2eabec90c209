#include "perfd/ipv4.h"

#include <arpa/inet.h>
#include <charconv>

bool Ipv4Network::Contains(std::uint32_t other) const
{
    const std::uint32_t mask = bits == 0 ? 0 : ~std::uint32_t(0) << (32 - bits);
    return (other & mask) == (address & mask);
}

std::optional<std::uint32_t> ParseIpv4(std::string_view text)
{
    in_addr parsed{};
    if (inet_pton(AF_INET, std::string(text).c_str(), &parsed) != 1) return std::nullopt;
    return ntohl(parsed.s_addr);
}

std::optional<Ipv4Network> ParseIpv4Network(std::string_view text)
{
    const size_t slash = text.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const auto address = ParseIpv4(text.substr(0, slash));
    const std::string_view bitsText = text.substr(slash + 1);
    int bits = -1;
    const auto [end, error] = std::from_chars(bitsText.begin(), bitsText.end(), bits);
    if (!address || error != std::errc() || end != bitsText.end() || bits < 0 || bits > 32)
        return std::nullopt;
    return Ipv4Network{*address, bits};
}

std::string Ipv4Text(std::uint32_t address)
{
    const in_addr raw{htonl(address)};
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &raw, text, sizeof text);
    return text;
}
