#include "perfd/proc_scanner.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <limits>
#include <optional>

namespace
{

std::optional<QByteArray> ReadFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QByteArray content = file.readAll();
    if (file.error() != QFile::NoError) return std::nullopt;
    return content;
}

struct StatFields {
    std::int32_t parent = 0;
    std::int32_t priority = 0;
    std::int32_t threads = 0;
};

// The fields after the command, which may itself hold spaces and ')'.
std::optional<StatFields> ParseStat(const QByteArray &stat)
{
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0) return std::nullopt;
    const QList<QByteArray> f = stat.mid(close + 1).simplified().split(' ');
    // f[0] is field 3 (state): parent is 4, priority 18, threads 20.
    if (f.size() < 18) return std::nullopt;
    bool okParent = false, okPriority = false, okThreads = false;
    StatFields fields{f[1].toInt(&okParent), f[15].toInt(&okPriority), f[17].toInt(&okThreads)};
    if (!okParent || !okPriority || !okThreads) return std::nullopt;
    return fields;
}

// VmRSS in bytes; kernel threads have none.
std::int32_t ResidentBytes(const QByteArray &status)
{
    for (const QByteArray &line : status.split('\n')) {
        if (!line.startsWith("VmRSS:")) continue;
        const QList<QByteArray> parts = line.mid(6).simplified().split(' ');
        const qlonglong kib = parts.value(0).toLongLong();
        constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
        if (kib <= 0) return 0;
        return kib > kMax / 1024 ? kMax : std::int32_t(kib * 1024);
    }
    return 0;
}

std::optional<PerfProcess> ReadProcess(const QString &processDir, std::int32_t pid)
{
    const auto comm = ReadFile(processDir + QStringLiteral("/comm"));
    const auto stat = ReadFile(processDir + QStringLiteral("/stat"));
    const auto status = ReadFile(processDir + QStringLiteral("/status"));
    if (!comm || !stat || !status) return std::nullopt;
    const auto fields = ParseStat(*stat);
    if (!fields) return std::nullopt;
    QByteArray name = *comm;
    if (name.endsWith('\n')) name.chop(1);
    return PerfProcess{QString::fromLocal8Bit(name),
                       pid,
                       fields->parent,
                       ResidentBytes(*status),
                       fields->threads,
                       fields->priority};
}

} // namespace

std::vector<PerfProcess> ScanProcesses(const QString &procDir)
{
    std::vector<std::int32_t> pids;
    for (const QString &entry : QDir(procDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool ok = false;
        const int pid = entry.toInt(&ok);
        if (ok && pid > 0) pids.push_back(pid);
    }
    std::sort(pids.begin(), pids.end());
    std::vector<PerfProcess> processes;
    processes.reserve(pids.size());
    for (const std::int32_t pid : pids) {
        if (auto p = ReadProcess(procDir + QLatin1Char('/') + QString::number(pid), pid))
            processes.push_back(std::move(*p));
    }
    return processes;
}
