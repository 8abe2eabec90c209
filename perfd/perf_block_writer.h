#pragma once
// Builds a performance data block in the published layout: one process
// object (title index 230) with one instance per process.

#include "perfdata/process_record.h"

#include <string>
#include <vector>

// The records' names are UTF-8 as the kernel gives them; bytes that are not
// become U+FFFD. systemName is UTF-8; the block's bytes are returned.
std::string BuildPerfDataBlock(const std::vector<TProcessRecord> &processes,
                               const std::string &systemName);
