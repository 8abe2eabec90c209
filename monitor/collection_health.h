#pragma once
// What this run of the program knows of each computer's collections: when
// one last answered and was stored, and when and why one last failed. Held
// in memory only, so every run starts with all computers untried.

#include <QDateTime>
#include <QObject>
#include <QString>
#include <unordered_map>

enum class CollectionState { NeverTried, Answering, Failing };

struct CollectionOutcomes {
    QDateTime lastSuccess;  // invalid while none succeeded
    QDateTime lastFailure;  // invalid while none failed
    QString failureReason;  // why the last failure failed
    CollectionState state = CollectionState::NeverTried;  // of the latest outcome
};

class CollectionHealth : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // A block of the computer was stored.
    void Succeeded(int computerId);
    // A collection of the computer ended without a block, for the reason given.
    void Failed(int computerId, const QString &reason);

    CollectionOutcomes Of(int computerId) const;

signals:
    void Changed(int computerId);

private:
    std::unordered_map<int, CollectionOutcomes> outcomes_;
};
