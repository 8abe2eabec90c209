#pragma once
// Builds a performance data block in the published layout: one process
// object (title index 230) with one instance per process.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

struct PerfProcess {
    QString Name;
    std::int32_t PID = 0;
    std::int32_t ParentPID = 0;
    std::int32_t Memory = 0;
    std::int32_t Threads = 0;
    std::int32_t Priority = 0;
};

QByteArray BuildPerfDataBlock(const std::vector<PerfProcess> &processes, const QString &systemName);
