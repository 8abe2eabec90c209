#pragma once
// A computer's performance data, with the semantics of the registry calls
// RegConnectRegistryA, RegQueryValueExA and RegCloseKey: results are Windows
// error numbers (0 success, 234 more data, anything else a failure). On
// Windows this is the remote registry itself; elsewhere an empty name is this
// computer, read from /proc, and any other name is reached through the
// stand-in service on its TCP port 445.

#include "perfdata/perf_exchange.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace perf_data
{

using Key = std::uintptr_t;

class Source
{
public:
    virtual ~Source() = default;
    virtual Status Connect(const std::string &computerName, std::uint32_t predefinedKey,
                           Key &key) = 0;
    // byteCount offers the buffer's size and comes back as the data's size,
    // or with kMoreData as the size the platform wants (its business).
    virtual Status Query(Key key, const std::string &valueName, unsigned char *data,
                         std::uint32_t &byteCount) = 0;
    virtual Status Close(Key key) = 0;
};

using Deadline = std::chrono::steady_clock::time_point;

// What bounds one reading: the moment it must have ended by, and a flag its
// owner sets to abandon it. Every wait of a source ends at the first of the two.
struct Bounds {
    Deadline deadline;
    std::shared_ptr<const std::atomic<bool>> abandoned; // null: never abandoned

    bool Abandoned() const { return abandoned && abandoned->load(); }
};

// The account a reading of a Windows computer logs on with. An empty user
// logs on as the platform does by itself: with the Kerberos ticket the user
// holds, or on Windows as the user who is logged on.
struct Account {
    std::string user; // as typed: DOMAIN\user, user@REALM or user
    std::string password;

    bool IsSet() const { return !user.empty(); }
};

// The bounds hold for everything the source does with a remote computer:
// connecting and every exchange after, which fail once they are spent. This
// computer's own data needs no bound; the registry on Windows keeps its own
// waits.
std::unique_ptr<Source> NewPlatformSource(const Bounds &bounds);

} // namespace perf_data
