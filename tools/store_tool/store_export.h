#pragma once
// Writes the history rows of the snapshots a filter selects, oldest block
// first, each row with its computer's name, the snapshot's time and the
// process name. One block's rows are read at a time, so memory stays
// bounded whatever the store holds.

#include "tools/store_tool/block_filter.h"
#include "tools/store_tool/row_writer.h"

#include <cstdio>

class StoreFile;

// Returns how many rows were written.
qint64 ExportRows(StoreFile &store, const BlockFilter &filter, ExportFormat format, std::FILE *out);
