#include "collect/process_table_reader.h"

#include "collect/perf_block_walk.h"
#include "platform/perf_data.h"

#include <algorithm>

namespace
{

class KeyCloser
{
public:
    KeyCloser(perf_data::Source &source, perf_data::Key key) : source_(source), key_(key) {}
    ~KeyCloser() { source_.Close(key_); } // nothing to do about a failed close
    KeyCloser(const KeyCloser &) = delete;
    KeyCloser &operator=(const KeyCloser &) = delete;

private:
    perf_data::Source &source_;
    perf_data::Key key_;
};

} // namespace

std::vector<TProcessGroup> TProcessTableReader::Read(const QString &computerName)
{
    perf_data::Key key = 0;
    if (source_.Connect(computerName.toLocal8Bit().toStdString(), perf_data::kPerformanceDataKey,
                        key) != perf_data::kSuccess)
        return {};
    const KeyCloser closer(source_, key);
    std::vector<unsigned char> buffer(kFirstOffer);
    for (;;) {
        const auto offered = std::uint32_t(buffer.size());
        std::uint32_t count = offered;
        const perf_data::Status status = source_.Query(key, "230", buffer.data(), count);
        if (status == perf_data::kSuccess)
            return WalkPerfBlock(buffer.data(), std::min(count, offered));
        if (status != perf_data::kMoreData) return {};
        // Grow from the larger count, so that every try offers more.
        const std::uint32_t larger = std::max(count, offered);
        if (larger > kLargestBuffer - kGrowth) return {};
        buffer.resize(larger + kGrowth);
    }
}

std::vector<TProcessGroup> ReadProcessTable(const QString &ComputerName)
{
    const auto source = perf_data::NewPlatformSource();
    return TProcessTableReader(*source).Read(ComputerName);
}
