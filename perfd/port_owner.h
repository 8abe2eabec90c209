#pragma once
// Who listens on a TCP port of this computer, for the message the service
// gives when its port is taken: found through the socket's inode in
// /proc/net/tcp and tcp6 and the descriptors under /proc/PID/fd.

#include <cstdint>
#include <string>

// Who keeps address:port (address in host order, 0 for every address) from
// being bound: "smbd (Samba), PID 812", "nc, PID 4242", or empty when no
// process that this one may look into holds it.
std::string DescribePortOwner(std::uint32_t address, std::uint16_t port);
