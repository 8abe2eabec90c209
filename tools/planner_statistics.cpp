#include "tools/planner_statistics.h"

#include "tools/sqlite_database.h"

#include <string>

namespace
{

// Per index (or per table, for one without indexes): its rows, then the rows
// that share a value of its first column, of its first two, and so on.
// A process name is counted as common (one row in forty): a sort by a
// numeric column then reads t__data in its own order before sorting, where
// the measured figure (one in four hundred) made the planner read it along
// i__data_process, at random, several times slower.
constexpr const char *kFigures = R"sql(
SELECT f.column1 AS tbl, f.column2 AS idx, f.column3 AS stat FROM (VALUES
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
  ('s__instances', 's__instances', '2000000 100000 10000 50 2 1')) AS f
WHERE EXISTS (SELECT 1 FROM sqlite_master m WHERE m.name = coalesce(f.column2, f.column1))
)sql";

bool HasStatisticsTable(SqliteDatabase &db)
{
    SqliteStatement table(db.handle(), "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'sqlite_stat1';");
    return table.step();
}

} // namespace

bool HasPlannerStatistics(SqliteDatabase &db)
{
    SqliteStatement index(db.handle(), "SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = 'i__computers_name';");
    if (!index.step()) return false;
    if (!HasStatisticsTable(db)) return false;
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
    db.execute((std::string("DELETE FROM sqlite_stat1; INSERT INTO sqlite_stat1 (tbl, idx, stat) ") + kFigures + ";")
                   .c_str());
}

void RenewPlannerStatistics(SqliteDatabase &db, const char *table)
{
    if (!HasStatisticsTable(db)) return;
    const std::string name = std::string("'") + table + "'";
    db.execute(("DELETE FROM sqlite_stat1 WHERE tbl = " + name + "; INSERT INTO sqlite_stat1 (tbl, idx, stat) " +
                kFigures + " AND f.column1 = " + name + ";")
                   .c_str());
}
