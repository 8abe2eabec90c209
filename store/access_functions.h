#pragma once
// The Access functions the program's statements use: DateValue(text) gives
// the midnight of the text's date, TimeValue(text) its time of day, both in
// the stored date-time form so that their sum compares exactly with DATETIME.

struct sqlite3;

// Returns false when the engine refused to register them.
bool RegisterAccessFunctions(sqlite3 *db);
