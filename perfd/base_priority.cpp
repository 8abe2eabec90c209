#include "perfd/base_priority.h"

namespace
{

// The kernel's numbers for the scheduling policies (sched(7)).
constexpr int kSchedFifo = 1;
constexpr int kSchedRoundRobin = 2;
constexpr int kSchedIdle = 5;
constexpr int kSchedDeadline = 6;

} // namespace

// Any nice value but 0 leaves normal, so that a niced process never looks
// normal; 15 and over (the usual 19 of background work) is idle, -10 and
// under high, the values usually taken for those Windows classes.
std::int32_t BasePriority(int policy, int nice)
{
    if (policy == kSchedFifo || policy == kSchedRoundRobin || policy == kSchedDeadline)
        return kPriorityRealtime;
    if (policy == kSchedIdle || nice >= 15) return kPriorityIdle;
    if (nice > 0) return kPriorityBelowNormal;
    if (nice == 0) return kPriorityNormal;
    if (nice > -10) return kPriorityAboveNormal;
    return kPriorityHigh;
}
