#pragma once
// The layout of the summaries the store tools keep beside the five tables
// (s__state, s__blocks, s__processes, s__instances and their triggers). The
// tools write it into s__state; the program answers charts from summaries of
// this layout only.

constexpr int kSummaryVersion = 2;
// Version 2 changed only how the triggers keep the summaries: those of
// version 1 are as exact and are read alike.
constexpr int kOldestReadSummaryVersion = 1;
