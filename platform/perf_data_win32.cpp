// The remote registry's performance data, through advapi32.
#include "platform/perf_data.h"

#include <windows.h>

namespace perf_data
{
namespace
{

HKEY ToHkey(Key key)
{
    return reinterpret_cast<HKEY>(key);
}

// Predefined keys are sign-extended 32-bit values on 64-bit Windows.
HKEY PredefinedKey(std::uint32_t value)
{
    return reinterpret_cast<HKEY>(
        static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(value))));
}

class RegistrySource : public Source
{
public:
    Status Connect(const std::string &computerName, std::uint32_t predefinedKey, Key &key) override
    {
        HKEY result = nullptr;
        const char *name = computerName.empty() ? nullptr : computerName.c_str();
        const LONG status = RegConnectRegistryA(name, PredefinedKey(predefinedKey), &result);
        key = reinterpret_cast<Key>(result);
        return status;
    }

    Status Query(Key key, const std::string &valueName, unsigned char *data,
                 std::uint32_t &byteCount) override
    {
        DWORD count = byteCount;
        const LONG status =
            RegQueryValueExA(ToHkey(key), valueName.c_str(), nullptr, nullptr, data, &count);
        byteCount = count;
        return status;
    }

    Status Close(Key key) override { return RegCloseKey(ToHkey(key)); }
};

} // namespace

// The bounds hold nothing here: RegConnectRegistryA and the queries of a
// remote computer's performance data wait as long as the system lets them,
// and the reader's few rounds are all that limits a reading.
std::unique_ptr<Source> NewPlatformSource(const Bounds & /*bounds*/)
{
    return std::make_unique<RegistrySource>();
}

} // namespace perf_data
