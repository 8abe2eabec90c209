#pragma once
// Walks a performance data block into the groups of its process objects
// (title index 230). A record's five values stand where the object's counter
// definitions place them (ID Process, Creating Process ID, Working Set,
// Thread Count, Priority Base), each 4 or 8 bytes wide; one that no
// definition places is 0, and an object that lists no definitions is read
// at the fixed offsets of old.
// Nothing at or beyond size is read: an object, definition, instance, name
// or counter block that would reach there, a length of 0 or a counter block
// shorter than a value placed in it ends the walk. The groups of the objects
// before stay; the object it ended in gives none, so that a table is taken
// whole or not at all. A made-up block gives nothing: process objects
// declaring over 65536 instances in all, or a name over 260 characters.

#include "perfdata/process_record.h"

#include <cstddef>
#include <cstdint>

std::vector<TProcessGroup> WalkPerfBlock(const unsigned char *data, std::size_t size);

// The bytes a block says it holds: its TotalByteLength, or its header and
// its objects' TotalByteLength, as far as they stand within size; a header
// that size cuts counts whole. More than size: the block came cut short.
std::uint64_t DeclaredPerfBlockSize(const unsigned char *data, std::size_t size);
