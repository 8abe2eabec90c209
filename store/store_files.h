#pragma once
// The store's file and the two side files its write-ahead log keeps beside
// it ("-wal", "-shm"). The engine gives side files the store's permissions
// when it makes them, so a store opened while it was read-only leaves
// read-only side files behind, and every write fails after the store itself
// is writable again.

#include <QString>

// Gives side files that cannot be written the store's own permissions, when
// the store can be written and the side files are ours to change.
void MakeSideFilesWritable(const QString &storePath);

// The first of the store, its side files and its folder that this process
// cannot write; empty when all can be.
QString UnwritableStoreFile(const QString &storePath);
