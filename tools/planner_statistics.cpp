#include "tools/planner_statistics.h"

#include "tools/sqlite_database.h"

namespace
{

// Per index (or per table, for one without indexes): its rows, then the rows
// that share a value of its first column, of its first two, and so on.
// A process name is counted as common (one row in forty): a sort by a
// numeric column then reads t__data in its own order before sorting, where
// the measured figure (one in four hundred) made the planner read it along
// i__data_process, at random, several times slower.
constexpr const char *kStatistics = R"sql(
DELETE FROM sqlite_stat1;
INSERT INTO sqlite_stat1 (tbl, idx, stat)
SELECT f.column1, f.column2, f.column3 FROM (VALUES
  ('t__computers', 'i__computers_name', '20 1'),
  ('t__blocks', 'i__blocks_computer', '1000000 50000 1'),
  ('t__blocks', 'i__blocks_time', '1000000 50000 1'),
  ('t__blocks', 'i__blocks_datetime', '1000000 1'),
  ('t__data', 'i__data_instance', '100000000 100 2 1 1'),
  ('t__data', 'i__data_process', '100000000 2500000'),
  ('t__process', 'i__process_name', '400 1'),
  ('t__process', 'i__process_type', '400 100 1'),
  ('t__ptype', NULL, '4'),
  ('s__state', NULL, '1'),
  ('s__blocks', NULL, '1000000'),
  ('s__processes', 's__processes', '200000 10000 400 1'),
  ('s__instances', 's__instances', '2000000 200 2 1 1 1'),
  ('s__instances', 'i__instances_day', '2000000 100000 10000')) AS f
WHERE EXISTS (SELECT 1 FROM sqlite_master m WHERE m.name = coalesce(f.column2, f.column1));
)sql";

} // namespace

bool HasPlannerStatistics(SqliteDatabase &db)
{
    SqliteStatement index(db.handle(), "SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = 'i__computers_name';");
    if (!index.step()) return false;
    SqliteStatement table(db.handle(), "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'sqlite_stat1';");
    if (!table.step()) return false;
    SqliteStatement covered(db.handle(), "SELECT 1 FROM sqlite_stat1 WHERE idx = 'i__computers_name';");
    return covered.step();
}

void AddPlannerStatistics(SqliteDatabase &db)
{
    // The history's sort by computer walks the names in order, then each
    // computer's snapshots along i__blocks_computer.
    db.execute("CREATE INDEX IF NOT EXISTS i__computers_name ON t__computers (NAME);");
    // Analysing the schema table alone makes sqlite_stat1 without reading a row.
    db.execute("ANALYZE sqlite_master;");
    db.execute(kStatistics);
}
