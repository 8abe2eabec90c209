#include "monitor/collection_health.h"

void CollectionHealth::Succeeded(int computerId)
{
    CollectionOutcomes &outcomes = outcomes_[computerId];
    outcomes.lastSuccess = QDateTime::currentDateTime();
    outcomes.state = CollectionState::Answering;
    emit Changed(computerId);
}

void CollectionHealth::Failed(int computerId, const QString &reason)
{
    CollectionOutcomes &outcomes = outcomes_[computerId];
    outcomes.lastFailure = QDateTime::currentDateTime();
    outcomes.failureReason = reason;
    outcomes.state = CollectionState::Failing;
    emit Changed(computerId);
}

CollectionOutcomes CollectionHealth::Of(int computerId) const
{
    const auto found = outcomes_.find(computerId);
    return found == outcomes_.end() ? CollectionOutcomes{} : found->second;
}
