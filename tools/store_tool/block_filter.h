#pragma once
// Which snapshots a command acts on: those of some computers (all when none
// is named) taken within a span of stored times (open at either end).

#include <QList>
#include <QString>
#include <optional>

struct BlockFilter {
    QList<qint64> computerIds;
    std::optional<qint64> from; // stored times, inclusive
    std::optional<qint64> to;

    // Conditions on the t__blocks columns, each led by " and ".
    QString Conditions() const;
};
