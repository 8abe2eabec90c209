#pragma once
// The two ways to performance data off Windows, behind the handle table of
// perf_data_posix.cpp: this computer in-process, or a stand-in service.

#include "platform/perf_data.h"

namespace perf_data
{

class Session
{
public:
    virtual ~Session() = default; // closes the remote side
    virtual Status Query(const std::string &valueName, unsigned char *data,
                         std::uint32_t &byteCount) = 0;
};

Status OpenLocalSession(std::uint32_t predefinedKey, std::unique_ptr<Session> &session);
// The session connects and exchanges only within the bounds.
Status OpenServiceSession(const std::string &computerName, std::uint32_t predefinedKey,
                          const Bounds &bounds, std::unique_ptr<Session> &session);

} // namespace perf_data
