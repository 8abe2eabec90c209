#pragma once
// The soundness of a store: the engine's integrity check, and the links the
// program keeps itself (blocks with rows, rows with blocks, catalogue names
// and listed computers behind them).

#include <QString>
#include <QStringList>

class StoreFile;

struct CheckReport {
    QStringList integrity; // the engine's findings; "ok" alone when sound
    qint64 blocksWithoutRows = 0;
    qint64 rowsWithoutBlocks = 0;
    qint64 rowsWithoutName = 0;      // their process is not in the catalogue
    qint64 blocksWithoutComputer = 0; // their computer is no longer listed

    bool Sound() const;
    QString Text() const;
};

CheckReport CheckStore(StoreFile &store);
