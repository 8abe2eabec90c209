#pragma once
// A fixed /proc directory for the service's tests.

#include <QString>
#include <cstdint>

struct FixtureProcess {
    std::int32_t pid;
    QByteArray comm; // as the kernel writes it, without the newline
    std::int32_t ppid;
    int nice;
    std::int32_t threads;
    QByteArray vmRssKb;        // empty: no VmRSS line, as for kernel threads
    bool kernelThread = false; // PF_KTHREAD in the flags
    int policy = 0;            // SCHED_OTHER
};

// Writes comm, stat and status of the process under dir/PID.
void WriteFixtureProcess(const QString &dir, const FixtureProcess &p);
// count processes named "worker-N" with PIDs 1000 + N.
void WriteWorkers(const QString &dir, int count);
// "init" (PID 1, 9000 kB resident) and count workers.
void WriteInitAndWorkers(const QString &dir, int count);
