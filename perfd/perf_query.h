#pragma once
// The answer to a query of the performance data, shared by the service and
// the in-process reading of this computer. Only "230" and "Global" are
// served; both give the process object.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>

struct PerfQueryResult {
    long status = 0;  // kSuccess, kMoreData or kFileNotFound
    QByteArray block; // the whole block for kSuccess and kMoreData
};

// This computer's block, read from procDir now.
QByteArray ScanPerfBlock(const QString &procDir);

// An offer over 64 MiB counts as 64 MiB. block is called only for a name
// that is served.
PerfQueryResult AnswerPerfQuery(const QByteArray &valueName, std::uint32_t offered,
                                const std::function<QByteArray()> &block);
PerfQueryResult AnswerPerfQuery(const QByteArray &valueName, std::uint32_t offered,
                                const QString &procDir);
