#include "collect/process_table_reader.h"

#include "collect/perf_block_walk.h"

#include <algorithm>
#include <cstdint>
#include <optional>

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

// The size to offer after a "more data" answer, or none past the largest
// buffer. A count above the offer is what the platform needs; any other says
// nothing (the registry leaves it undefined), and the offer grows fourfold so
// that the few rounds still reach the largest buffer.
std::optional<std::uint32_t> NextOffer(std::uint32_t offered, std::uint32_t count)
{
    const std::uint64_t next = count > offered ? std::uint64_t(count) + TProcessTableReader::kGrowth
                                               : std::uint64_t(offered) * 4;
    if (next > perf_data::kLargestAnswer) return std::nullopt;
    return std::uint32_t(next);
}

} // namespace

ReadingOutcome TProcessTableReader::Read(const QString &computerName)
{
    perf_data::Key key = 0;
    const perf_data::Status opened = source_.Connect(computerName.toLocal8Bit().toStdString(),
                                                     perf_data::kPerformanceDataKey, key);
    if (opened != perf_data::kSuccess) return {{}, opened};
    const KeyCloser closer(source_, key);
    std::vector<unsigned char> buffer(kFirstOffer);
    for (int query = 1;; ++query) {
        const auto offered = std::uint32_t(buffer.size());
        std::uint32_t count = offered;
        perf_data::Status status = source_.Query(key, "230", buffer.data(), count);
        if (status == perf_data::kSuccess) {
            const std::uint32_t got = std::min(count, offered);
            const std::uint64_t declared = DeclaredPerfBlockSize(buffer.data(), got);
            if (declared <= got) return {WalkPerfBlock(buffer.data(), got), status};
            // Cut short with success, as Samba answers too small an offer:
            // asked again as for more data, so that no table is taken in part.
            status = perf_data::kMoreData;
            count = std::uint32_t(std::min<std::uint64_t>(declared, UINT32_MAX));
        }
        if (status != perf_data::kMoreData) return {{}, status};
        const auto next = NextOffer(offered, count);
        if (!next || query == kMostQueries) return {{}, status};
        buffer.resize(*next);
    }
}

ReadingOutcome ReadProcessTable(const QString &ComputerName, const perf_data::Bounds &bounds)
{
    const auto source = perf_data::NewPlatformSource(bounds);
    return TProcessTableReader(*source).Read(ComputerName);
}

QString ReadingFailure(const ReadingOutcome &outcome)
{
    switch (outcome.status) {
    case perf_data::kSuccess:
        return QStringLiteral("no performance data");
    case perf_data::kMoreData:
        return QStringLiteral("the performance data kept growing past what a reading takes, "
                              "or kept coming cut short");
    case perf_data::kBadNetPath:
        return QStringLiteral("the performance data could not be reached");
    case perf_data::kCallFailed:
        return QStringLiteral("the reading failed or outlasted the answer time-out");
    default:
        return QStringLiteral("no performance data (error %1)").arg(outcome.status);
    }
}
