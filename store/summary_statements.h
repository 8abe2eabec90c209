#pragma once
// The analysis charts answered from the summaries that the store tools keep
// beside the five tables (s__blocks, s__processes, s__instances, kept exact
// by triggers). A chart statement, with or without its computer and day
// conditions, has an equivalent statement over the summaries that gives the
// same rows, reading thousands of summary rows instead of every process row.
// Where a chart statement leaves the order of ties open, the equivalent one
// orders them by process ID (and PID), so that it is repeatable.

#include <QString>

struct sqlite3;

// The statement to run for sql: its summary form when sql is one of the chart
// statements and the store keeps summaries that cover every stored row;
// otherwise sql itself.
QString StatementToRun(sqlite3 *db, const QString &sql);
