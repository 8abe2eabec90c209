#pragma once
// The process table of a /proc directory (or a copy of one): name from comm,
// parent, threads and scheduling from stat, resident set from status. A
// process that vanishes or cannot be read whole is left out. Kernel threads
// are left out unless asked for: a Windows computer does not list them, and
// their names change with their work.

#include "perfdata/process_record.h"

#include <string>
#include <vector>

struct ScanOptions {
    bool kernelThreads = false;
};

std::vector<TProcessRecord> ScanProcesses(const std::string &procDir, ScanOptions options = {});
