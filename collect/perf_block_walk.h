#pragma once
// Walks a performance data block into the groups of its process objects
// (title index 230). Nothing at or beyond size is read: an object, instance,
// name or counter block that would reach there, a length of 0 or a counter
// block shorter than its last value ends the walk, keeping what was taken.
// A made-up block gives nothing at all: process objects declaring over 65536
// instances in all, or a name over 260 characters.

#include "perfdata/process_record.h"

#include <cstddef>

std::vector<TProcessGroup> WalkPerfBlock(const unsigned char *data, std::size_t size);
