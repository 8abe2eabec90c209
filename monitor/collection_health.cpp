#include "monitor/collection_health.h"

CollectionHealth::CollectionHealth(QObject *parent, Clock clock) : QObject(parent), clock_(std::move(clock)) {}

void CollectionHealth::Succeeded(int computerId)
{
    CollectionOutcomes &outcomes = outcomes_[computerId];
    outcomes.lastSuccess = clock_();
    outcomes.state = CollectionState::Answering;
    emit Changed(computerId);
}

void CollectionHealth::Failed(int computerId, const QString &reason)
{
    CollectionOutcomes &outcomes = outcomes_[computerId];
    outcomes.lastFailure = clock_();
    outcomes.failureReason = reason;
    outcomes.state = CollectionState::Failing;
    emit Changed(computerId);
}

CollectionOutcomes CollectionHealth::Of(int computerId) const
{
    const auto found = outcomes_.find(computerId);
    return found == outcomes_.end() ? CollectionOutcomes{} : found->second;
}
