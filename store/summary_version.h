#pragma once
// The layout of the summaries the store tools keep beside the five tables
// (s__state, s__blocks, s__processes, s__instances and their triggers). The
// tools write it into s__state; the program answers charts from summaries of
// this layout only.

constexpr int kSummaryVersion = 1;
