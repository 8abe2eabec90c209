#pragma once
// The process table of a /proc directory (or a copy of one): name from comm,
// parent, kernel priority and threads from stat, resident set from status.
// A process that vanishes or cannot be read whole is left out.

#include "perfd/perf_block_writer.h"

#include <QString>
#include <vector>

std::vector<PerfProcess> ScanProcesses(const QString &procDir);
