#include "perfd/proc_scanner.h"

#include "perfd/base_priority.h"

#include <algorithm>
#include <charconv>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <optional>
#include <string_view>
#include <unistd.h>

namespace
{

// The kernel marks its own threads with PF_KTHREAD in the flags of stat.
constexpr unsigned long kKernelThreadFlag = 0x00200000;

std::optional<std::string> ReadFile(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string content;
    char chunk[4096];
    ssize_t got = 0;
    while ((got = ::read(fd, chunk, sizeof chunk)) > 0)
        content.append(chunk, size_t(got));
    ::close(fd);
    if (got < 0) return std::nullopt;
    return content;
}

template <typename T> std::optional<T> Number(std::string_view text)
{
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::vector<std::string_view> Words(std::string_view text)
{
    std::vector<std::string_view> words;
    size_t at = 0;
    while ((at = text.find_first_not_of(" \t\n", at)) != std::string_view::npos) {
        const size_t end = std::min(text.find_first_of(" \t\n", at), text.size());
        words.push_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

struct StatFields {
    std::int32_t parent = 0;
    unsigned long flags = 0;
    int nice = 0;
    std::int32_t threads = 0;
    int policy = 0;
};

// The fields after the command, which may itself hold spaces and ')'.
std::optional<StatFields> ParseStat(std::string_view stat)
{
    const size_t close = stat.rfind(')');
    if (close == std::string_view::npos) return std::nullopt;
    const std::vector<std::string_view> f = Words(stat.substr(close + 1));
    // f[0] is field 3 (state); field n is f[n - 3].
    constexpr size_t kPolicy = 41 - 3;
    if (f.size() <= kPolicy) return std::nullopt;
    const auto parent = Number<std::int32_t>(f[4 - 3]);
    const auto flags = Number<unsigned long>(f[9 - 3]);
    const auto nice = Number<int>(f[19 - 3]);
    const auto threads = Number<std::int32_t>(f[20 - 3]);
    const auto policy = Number<int>(f[kPolicy]);
    if (!parent || !flags || !nice || !threads || !policy) return std::nullopt;
    return StatFields{*parent, *flags, *nice, *threads, *policy};
}

// VmRSS in bytes; kernel threads have none.
std::int64_t ResidentBytes(std::string_view status)
{
    constexpr std::string_view kKey = "\nVmRSS:";
    const size_t at = status.find(kKey);
    if (at == std::string_view::npos) return 0;
    const std::vector<std::string_view> words = Words(status.substr(at + kKey.size(), 32));
    const auto kib = words.empty() ? std::nullopt : Number<long long>(words[0]);
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    if (!kib || *kib <= 0) return 0;
    return *kib > kMax / 1024 ? kMax : *kib * 1024;
}

std::optional<TProcessRecord> ReadProcess(const std::string &processDir, std::int32_t pid,
                                       ScanOptions options)
{
    const auto stat = ReadFile(processDir + "/stat");
    const auto fields = stat ? ParseStat(*stat) : std::nullopt;
    if (!fields) return std::nullopt;
    if ((fields->flags & kKernelThreadFlag) && !options.kernelThreads) return std::nullopt;
    auto name = ReadFile(processDir + "/comm");
    const auto status = ReadFile(processDir + "/status");
    if (!name || !status) return std::nullopt;
    if (!name->empty() && name->back() == '\n') name->pop_back();
    return TProcessRecord{std::move(*name),     pid,
                       fields->parent,       ResidentBytes(*status),
                       fields->threads,      BasePriority(fields->policy, fields->nice)};
}

std::vector<std::int32_t> ProcessIds(const std::string &procDir)
{
    std::vector<std::int32_t> pids;
    std::error_code error;
    // Incremented with an error code: the range-for form throws.
    for (std::filesystem::directory_iterator it(procDir, error), end; !error && it != end;
         it.increment(error)) {
        const auto pid = Number<std::int32_t>(it->path().filename().native());
        if (pid && *pid > 0) pids.push_back(*pid);
    }
    std::sort(pids.begin(), pids.end());
    return pids;
}

} // namespace

std::vector<TProcessRecord> ScanProcesses(const std::string &procDir, ScanOptions options)
{
    const std::vector<std::int32_t> pids = ProcessIds(procDir);
    std::vector<TProcessRecord> processes;
    processes.reserve(pids.size());
    for (const std::int32_t pid : pids) {
        if (auto p = ReadProcess(procDir + '/' + std::to_string(pid), pid, options))
            processes.push_back(std::move(*p));
    }
    return processes;
}
