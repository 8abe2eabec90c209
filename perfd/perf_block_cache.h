#pragma once
// The service's block, shared by the queries that arrive within a short
// window of its scan: a flood of queries costs a few scans a second, not one
// scan per query, and a query after the window sees a fresh scan.

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <chrono>

// Counted from the end of the scan, so a slow scan cannot run back to back.
inline constexpr std::chrono::milliseconds kScanShareWindow{250};

class PerfBlockCache
{
public:
    explicit PerfBlockCache(QString procDir) : procDir_(std::move(procDir)) {}
    QByteArray Block();

private:
    QString procDir_;
    QByteArray block_;
    QElapsedTimer scanned_; // invalid until the first scan
};
