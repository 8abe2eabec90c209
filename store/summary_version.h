#pragma once
// The layout of the summaries the store tools keep beside the five tables
// (s__state, s__blocks, s__processes, s__instances, s__announced and their
// triggers). The tools write it into s__state; the program answers charts
// from summaries of this layout only.

constexpr int kSummaryVersion = 3;
// Version 3 added the instances' STALE bounds and announced deletions. An
// earlier store is read plainly until the store tool upgrades it.
constexpr int kOldestReadSummaryVersion = 3;
