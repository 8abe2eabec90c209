#include "perfd/port_owner.h"

#include <arpa/inet.h>
#include <array>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string_view>

namespace
{

namespace fs = std::filesystem;

constexpr std::string_view kListenState = "0A";

struct Kind {
    std::string_view command;
    std::string_view kind;
};
// Programs that usually hold port 445 on a Linux computer.
constexpr std::array<Kind, 4> kKnownKinds{{{"smbd", "Samba"},
                                           {"samba", "Samba AD domain controller"},
                                           {"tarvenix-perfd", "another tarvenix-perfd"},
                                           {"systemd", "a systemd socket unit"}}};

// The IPv4 address of a local address column, in host order: 0 for a
// wildcard, nothing for an IPv6 address that is not a mapped IPv4 one. The
// kernel prints each 32-bit word of the address as it lies in memory.
std::optional<std::uint32_t> LocalIpv4(const std::string &hex)
{
    const auto word = [&hex](size_t i) {
        return ntohl(std::uint32_t(std::stoul(hex.substr(8 * i, 8), nullptr, 16)));
    };
    if (hex.size() == 8) return word(0);
    if (hex.size() != 32 || word(0) != 0 || word(1) != 0) return std::nullopt;
    if (word(2) == 0 && word(3) == 0) return 0;
    if (word(2) == 0xFFFF) return word(3);
    return std::nullopt;
}

// Inodes of the listening sockets that hold address:port, from /proc/net/tcp
// or tcp6: "sl local_address rem_address st ... inode", the address as
// HEX:PORT. A wildcard on either side takes the port on every address.
void AddListeningInodes(const char *table, std::uint32_t address, std::uint16_t port,
                        std::set<std::string> &inodes)
{
    std::ifstream in(table);
    std::string line;
    std::getline(in, line); // column titles
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout, inode;
        fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >>
            timeout >> inode;
        const size_t colon = local.rfind(':');
        if (!fields || colon == std::string::npos || state != kListenState) continue;
        if (std::stoul(local.substr(colon + 1), nullptr, 16) != port) continue;
        const auto holds = LocalIpv4(local.substr(0, colon));
        if (holds && (*holds == address || *holds == 0 || address == 0)) inodes.insert(inode);
    }
}

// The process holding one of the sockets, or 0.
long SocketHolder(const std::set<std::string> &inodes)
{
    std::error_code error;
    for (fs::directory_iterator process("/proc", error), end; !error && process != end;
         process.increment(error)) {
        const std::string pid = process->path().filename().native();
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        std::error_code denied; // most processes of other users cannot be looked into
        for (fs::directory_iterator fd(process->path() / "fd", denied), fdEnd;
             !denied && fd != fdEnd; fd.increment(denied)) {
            const std::string target = fs::read_symlink(fd->path(), denied).native();
            if (target.starts_with("socket:[") &&
                inodes.count(target.substr(8, target.size() - 9)))
                return std::stol(pid);
        }
    }
    return 0;
}

std::string Command(long pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string command;
    std::getline(in, command);
    return command;
}

} // namespace

std::string DescribePortOwner(std::uint32_t address, std::uint16_t port)
{
    std::set<std::string> inodes;
    // Through self: a service confined to the process directories of /proc
    // (ProcSubset=pid) sees no /proc/net.
    AddListeningInodes("/proc/self/net/tcp", address, port, inodes);
    AddListeningInodes("/proc/self/net/tcp6", address, port, inodes);
    const long pid = inodes.empty() ? 0 : SocketHolder(inodes);
    if (pid == 0) return {};
    const std::string command = Command(pid);
    std::string description = command;
    for (const Kind &known : kKnownKinds) {
        if (known.command == command) description += " (" + std::string(known.kind) + ")";
    }
    return description + ", PID " + std::to_string(pid);
}
