#pragma once
// The figures of one store, as label and value text, in printing order.

#include <QElapsedTimer>
#include <QList>
#include <QPair>
#include <QString>
#include <algorithm>

using Figures = QList<QPair<QString, QString>>;

QString Seconds(double seconds);

// The best of three runs of work, in seconds.
template <class Work> double Best(Work &&work)
{
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer clock;
        clock.start();
        work();
        best = std::min(best, clock.nsecsElapsed() / 1e9);
    }
    return best;
}

// The store Tarvenix.mdb in storeDir, opened as the program opens it with
// its main window: the history filter and sorts and each analysis chart.
Figures WindowFigures(const QString &storeDir);

// A copy of the store in scratchDir loses its last computer through the
// program's deletion: rows per second and the longest time between two
// turns of the window, and how many exceeded 100 ms.
Figures DeletionFigures(const QString &storeDir, const QString &scratchDir);

// The deletion figures, then the bytes per process row of the store file.
Figures StoreFigures(const QString &storeDir, const QString &scratchDir);
