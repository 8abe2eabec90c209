#include "perfd/port_owner.h"

#include <array>
#include <filesystem>
#include <fstream>
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

// Inodes of the listening sockets on port, from one of /proc/net/tcp{,6}:
// "sl local_address rem_address st ... inode", the address as HEX:PORT.
void AddListeningInodes(const char *table, std::uint16_t port, std::set<std::string> &inodes)
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
        if (std::stoul(local.substr(colon + 1), nullptr, 16) == port) inodes.insert(inode);
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

std::string DescribePortOwner(std::uint16_t port)
{
    std::set<std::string> inodes;
    AddListeningInodes("/proc/net/tcp", port, inodes);
    AddListeningInodes("/proc/net/tcp6", port, inodes);
    const long pid = inodes.empty() ? 0 : SocketHolder(inodes);
    if (pid == 0) return {};
    const std::string command = Command(pid);
    std::string description = command;
    for (const Kind &known : kKnownKinds) {
        if (known.command == command) description += " (" + std::string(known.kind) + ")";
    }
    return description + ", PID " + std::to_string(pid);
}
