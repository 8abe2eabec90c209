// Off Windows an empty name is this computer and any other name a stand-in
// service; keys are numbers in a table of open sessions.
#include "platform/perf_data_posix.h"

#include <map>

namespace perf_data
{
namespace
{

class SessionTable : public Source
{
public:
    explicit SessionTable(const Bounds &bounds) : bounds_(bounds) {}

    Status Connect(const std::string &computerName, std::uint32_t predefinedKey, Key &key) override
    {
        std::unique_ptr<Session> session;
        const Status status = computerName.empty() ? OpenLocalSession(predefinedKey, session)
                                                   : OpenServiceSession(computerName, predefinedKey,
                                                                        bounds_, session);
        if (status != kSuccess) return status;
        key = nextKey_++;
        sessions_.emplace(key, std::move(session));
        return kSuccess;
    }

    Status Query(Key key, const std::string &valueName, unsigned char *data,
                 std::uint32_t &byteCount) override
    {
        const auto found = sessions_.find(key);
        if (found == sessions_.end()) return kInvalidHandle;
        return found->second->Query(valueName, data, byteCount);
    }

    Status Close(Key key) override { return sessions_.erase(key) ? kSuccess : kInvalidHandle; }

private:
    Bounds bounds_;
    std::map<Key, std::unique_ptr<Session>> sessions_;
    Key nextKey_ = 1;
};

} // namespace

std::unique_ptr<Source> NewPlatformSource(const Bounds &bounds)
{
    return std::make_unique<SessionTable>(bounds);
}

} // namespace perf_data
