#pragma once
// Another program collecting into a store while a test runs the tool: on its
// own thread and connection it adds a block of rows every few milliseconds,
// each in one transaction, as the program does, and times its waits.

#include <QString>
#include <atomic>
#include <thread>

class StoreWriter {
public:
    // Blocks get the computer and the time (stored seconds) given.
    StoreWriter(const QString &path, int computerId, qint64 storedTime, int rowsPerBlock);
    ~StoreWriter(); // stops and joins

    int Blocks() const { return blocks_; }
    int Failures() const { return failures_; }
    qint64 LongestWaitMs() const { return longestWaitMs_; }

private:
    void Run(QString path, int computerId, qint64 storedTime, int rowsPerBlock);

    std::atomic<bool> stop_{false};
    std::atomic<int> blocks_{0};
    std::atomic<int> failures_{0};
    std::atomic<qint64> longestWaitMs_{0};
    std::thread thread_;
};
