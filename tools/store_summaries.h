#pragma once
// The summaries that let the analysis charts be answered without reading
// every process row, and the indexes they need. Triggers on t__data and
// t__blocks keep them exact on every insert, update and delete, whichever
// program writes:
//   s__blocks     rows and memory sum per BLOCK_ID (the per-snapshot charts);
//   s__processes  rows and memory sum per computer, day and process;
//   s__instances  rows, first and last time per computer, day, process, PID
//                 and parent PID (the timeline); STALE when deletions left
//                 the times a lower and an upper bound;
//   s__announced  blocks about to be deleted, whose rows the summaries
//                 already leave out (a deletion announces each block, so
//                 that its rows go without per-row upkeep); s__leaving is
//                 the announcement's scratch table, empty at rest;
//   s__state      the layout version, the rows the summaries leave out
//                 (IRREGULAR: keys or memory that are not plain integers) and
//                 STALE, set when a row was replaced in place, which SQLite
//                 does without delete triggers, or when rows of an announced
//                 block changed otherwise than by deletion. The program
//                 answers from the summaries only while both are 0 and no
//                 announcement outlived its transaction.
// A day is the DATETIME value divided by 86400, rounded down: the stored
// form counts local wall-clock seconds, so that is the local calendar day.
// A process or instance row whose ROWS fell to 0 is empty until the last block
// of its computer and day goes; readers skip it.

class SqliteDatabase;

// True when the store already holds the summary tables.
bool HasSummaries(SqliteDatabase &db);

// Adds the indexes, summary tables and triggers and fills the summaries from
// the rows already stored. The caller holds a write transaction.
void AddSummaries(SqliteDatabase &db);

// Computes the summaries afresh from the stored rows and clears STALE. The
// caller holds a write transaction.
void RefillSummaries(SqliteDatabase &db);

// Brings summaries of an earlier layout version to this one: what the layout
// lacks is added, the triggers are made afresh, the sums are kept. The
// caller holds a write transaction.
void UpdateSummaryLayout(SqliteDatabase &db);
