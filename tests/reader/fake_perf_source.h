#pragma once
// A performance data source that serves one block and records what the
// reader asked of it.

#include "platform/perf_data.h"

#include <QByteArray>
#include <cstring>
#include <stdexcept>
#include <vector>

class FakePerfSource : public perf_data::Source
{
public:
    // What a query answering 234 leaves in the byte count.
    enum class MoreDataCount { Needed, Unchanged, Zero, Huge, OneMore };

    QByteArray block;
    perf_data::Status connectStatus = perf_data::kSuccess;
    MoreDataCount moreData = MoreDataCount::Needed;
    // From this query on (0-based), answer failStatus after filling the buffer.
    size_t failFrom = SIZE_MAX;
    perf_data::Status failStatus = 5;
    bool throwOnQuery = false;
    std::uint32_t successCountBonus = 0; // a platform that overstates the count
    bool alwaysMoreData = false;         // 234 to every offer
    // Success with the block cut: at the offer when it is too small, as
    // Samba answers, or always this many bytes short.
    bool cutAtOffer = false;
    std::uint32_t shortBy = 0;

    std::string connectedName;
    std::uint32_t connectedKey = 0;
    std::vector<std::string> valueNames;
    std::vector<std::uint32_t> offers;
    int opened = 0, closed = 0;

    perf_data::Status Connect(const std::string &name, std::uint32_t key,
                              perf_data::Key &out) override
    {
        connectedName = name;
        connectedKey = key;
        if (connectStatus != perf_data::kSuccess) return connectStatus;
        ++opened;
        out = 77;
        return perf_data::kSuccess;
    }

    perf_data::Status Query(perf_data::Key key, const std::string &valueName, unsigned char *data,
                            std::uint32_t &byteCount) override
    {
        if (key != 77) return perf_data::kInvalidHandle;
        valueNames.push_back(valueName);
        offers.push_back(byteCount);
        if (throwOnQuery) throw std::runtime_error("platform fault");
        const auto size = std::uint32_t(block.size());
        if (offers.size() > failFrom) {
            std::memcpy(data, block.constData(), std::min(size, byteCount));
            return failStatus;
        }
        if (cutAtOffer || shortBy) {
            byteCount = std::min(size - shortBy, byteCount);
            std::memcpy(data, block.constData(), byteCount);
            return perf_data::kSuccess;
        }
        if (alwaysMoreData || size > byteCount) {
            byteCount = NewCount(byteCount, size);
            return perf_data::kMoreData;
        }
        std::memcpy(data, block.constData(), size);
        byteCount = size + successCountBonus;
        return perf_data::kSuccess;
    }

    perf_data::Status Close(perf_data::Key key) override
    {
        closed += key == 77;
        return perf_data::kSuccess;
    }

private:
    std::uint32_t NewCount(std::uint32_t offered, std::uint32_t needed) const
    {
        switch (moreData) {
        case MoreDataCount::Needed:
            return needed;
        case MoreDataCount::Unchanged:
            return offered;
        case MoreDataCount::Zero:
            return 0;
        case MoreDataCount::Huge:
            return 0xFFFFFFF0u;
        case MoreDataCount::OneMore:
            return offered + 1;
        }
        return offered;
    }
};
