#pragma once
// How much a store holds: rows, snapshots, computers, the span of its
// snapshots and what a row costs on disk.

#include <QDateTime>
#include <QString>

class StoreFile;

struct StoreStats {
    qint64 rows = 0;
    qint64 blocks = 0;
    qint64 computers = 0;
    qint64 processNames = 0;
    QDateTime firstSnapshot; // invalid in a store without snapshots
    QDateTime lastSnapshot;
    qint64 bytes = 0; // the store's pages

    QString Text() const;
};

StoreStats ReadStats(StoreFile &store);
