#include "tools/store_summaries.h"

#include "store/summary_version.h"
#include "tools/sqlite_database.h"

#include <string>

namespace
{

using Sql = std::string;

constexpr const char *kTables = R"sql(
CREATE TABLE s__state (VERSION INTEGER NOT NULL, IRREGULAR INTEGER NOT NULL, STALE INTEGER NOT NULL);
CREATE TABLE s__blocks (BLOCK_ID INTEGER PRIMARY KEY, ROWS INTEGER NOT NULL, MEM_SUM INTEGER NOT NULL);
CREATE TABLE s__processes (COMPUTER_ID INTEGER NOT NULL, DAY INTEGER NOT NULL, PROCESS_ID INTEGER NOT NULL,
                           ROWS INTEGER NOT NULL, MEM_SUM INTEGER NOT NULL,
                           PRIMARY KEY (COMPUTER_ID, DAY, PROCESS_ID)) WITHOUT ROWID;
CREATE TABLE s__instances (COMPUTER_ID INTEGER NOT NULL, DAY INTEGER NOT NULL, PROCESS_ID INTEGER NOT NULL,
                           PID INTEGER NOT NULL, PARENTPID INTEGER NOT NULL, ROWS INTEGER NOT NULL,
                           FIRST INTEGER NOT NULL, LAST INTEGER NOT NULL,
                           PRIMARY KEY (PARENTPID, PROCESS_ID, PID, COMPUTER_ID, DAY)) WITHOUT ROWID;
CREATE INDEX i__instances_day ON s__instances (COMPUTER_ID, DAY);
)sql";
// s__instances is in the order of the timeline's grouping and sorting, which
// then read it without sorting. A summary row whose ROWS fell to 0 is empty:
// readers skip it, the next row that adds to it starts it afresh, and it goes
// when the last block of its computer and day does. Deleting it at once would
// cost every deleted row another statement.

// The block index grows into one that also finds a process instance within a
// block, which keeping first and last times exact under deletes needs. The
// old one goes first, so that the new one is built in the pages it frees.
constexpr const char *kIndexes = R"sql(
DROP INDEX IF EXISTS i__data_block;
CREATE INDEX IF NOT EXISTS i__data_instance ON t__data (BLOCK_ID, PROCESS_ID, PID, PARENTPID);
CREATE INDEX IF NOT EXISTS i__blocks_time ON t__blocks (COMPUTER_ID, DATETIME);
)sql";

constexpr const char *kInstanceKey = "COMPUTER_ID, DAY, PROCESS_ID, PID, PARENTPID";
constexpr const char *kDataColumns = "BLOCK_ID, PROCESS_ID, PID, PARENTPID, MEMORY";
constexpr const char *kBlockColumns = "ID, COMPUTER_ID, DATETIME";

// A data row the summaries cover: integer keys and a 32-bit memory value, as
// the program writes them, so that sums are exact integers.
Sql RegularData(const Sql &r)
{
    return "(typeof(" + r + ".BLOCK_ID) = 'integer' AND typeof(" + r + ".PROCESS_ID) = 'integer' AND typeof(" + r +
           ".PID) = 'integer' AND typeof(" + r + ".PARENTPID) = 'integer' AND typeof(" + r +
           ".MEMORY) = 'integer' AND " + r + ".MEMORY BETWEEN -2147483648 AND 2147483647)";
}

Sql RegularBlock(const Sql &k)
{
    return "(typeof(" + k + ".COMPUTER_ID) = 'integer' AND typeof(" + k + ".DATETIME) = 'integer')";
}

// Integer division rounds towards zero; a day rounds down.
Sql Day(const Sql &time) { return "(" + time + " / 86400 - (" + time + " % 86400 < 0))"; }

// What the rows of one block add to the summaries, one row per process
// instance: c computer, day, dt time, p process, pid, ppid, n rows, m memory.
Sql BlockSource(const Sql &k)
{
    return "SELECT " + k + ".COMPUTER_ID AS c, " + Day(k + ".DATETIME") + " AS day, " + k +
           ".DATETIME AS dt, d.PROCESS_ID AS p, d.PID AS pid, d.PARENTPID AS ppid, count(*) AS n, "
           "sum(d.MEMORY) AS m FROM t__data d WHERE d.BLOCK_ID = " +
           k + ".ID AND " + RegularData("d") + " AND " + RegularBlock(k) +
           " GROUP BY d.PROCESS_ID, d.PID, d.PARENTPID";
}

// The same for one data row r.
Sql RowSource(const Sql &r)
{
    return "SELECT b.COMPUTER_ID AS c, " + Day("b.DATETIME") + " AS day, b.DATETIME AS dt, " + r +
           ".PROCESS_ID AS p, " + r + ".PID AS pid, " + r + ".PARENTPID AS ppid, 1 AS n, " + r +
           ".MEMORY AS m FROM t__blocks b WHERE b.ID = " + r + ".BLOCK_ID AND " + RegularBlock("b") + " AND " +
           RegularData(r);
}

Sql Add(const Sql &source)
{
    return "INSERT INTO s__processes (COMPUTER_ID, DAY, PROCESS_ID, ROWS, MEM_SUM) SELECT c, day, p, n, m FROM (" +
           source +
           ") WHERE 1 ON CONFLICT (COMPUTER_ID, DAY, PROCESS_ID) DO UPDATE SET ROWS = ROWS + excluded.ROWS, "
           "MEM_SUM = MEM_SUM + excluded.MEM_SUM;\n"
           "INSERT INTO s__instances (" +
           Sql(kInstanceKey) + ", ROWS, FIRST, LAST) SELECT c, day, p, pid, ppid, n, dt, dt FROM (" + source +
           ") WHERE 1 ON CONFLICT (" + kInstanceKey +
           ") DO UPDATE SET ROWS = ROWS + excluded.ROWS, "
           "FIRST = CASE WHEN ROWS = 0 THEN excluded.FIRST ELSE min(FIRST, excluded.FIRST) END, "
           "LAST = CASE WHEN ROWS = 0 THEN excluded.LAST ELSE max(LAST, excluded.LAST) END;\n";
}

Sql AddRow(const Sql &r)
{
    return "INSERT INTO s__blocks (BLOCK_ID, ROWS, MEM_SUM) SELECT " + r + ".BLOCK_ID, 1, " + r + ".MEMORY WHERE " +
           RegularData(r) +
           " ON CONFLICT (BLOCK_ID) DO UPDATE SET ROWS = ROWS + 1, MEM_SUM = MEM_SUM + excluded.MEM_SUM;\n" +
           Add(RowSource(r));
}

// The time of the earliest (or latest) block of the instance's computer and
// day, from its old first (or last) time on, that still holds a row of it.
// Blocks are walked in time order on i__blocks_time, each probed on
// i__data_instance: after deleting the oldest block this is the next one.
Sql Bound(bool first)
{
    const Sql s = "s__instances";
    const Sql range = first ? "b.DATETIME >= " + s + ".FIRST AND b.DATETIME < (" + s + ".DAY + 1) * 86400"
                            : "b.DATETIME <= " + s + ".LAST AND b.DATETIME >= " + s + ".DAY * 86400";
    return "(SELECT b.DATETIME FROM t__blocks b WHERE b.COMPUTER_ID = " + s + ".COMPUTER_ID AND " + range +
           " AND typeof(b.DATETIME) = 'integer' AND EXISTS (SELECT 1 FROM t__data d WHERE d.BLOCK_ID = b.ID AND "
           "d.PROCESS_ID = " +
           s + ".PROCESS_ID AND d.PID = " + s + ".PID AND d.PARENTPID = " + s + ".PARENTPID AND " +
           RegularData("d") + ") ORDER BY b.DATETIME" + (first ? "" : " DESC") + " LIMIT 1)";
}

// After n rows at time dt are gone: the bounds they held are found anew
// among the rest.
Sql Bounds(const Sql &n, const Sql &dt)
{
    return "FIRST = CASE WHEN ROWS > " + n + " AND FIRST = " + dt + " THEN " + Bound(true) +
           " ELSE FIRST END, LAST = CASE WHEN ROWS > " + n + " AND LAST = " + dt + " THEN " + Bound(false) +
           " ELSE LAST END";
}

Sql Remove(const Sql &source)
{
    const Sql s = "s__instances";
    return "UPDATE s__processes SET ROWS = ROWS - r.n, MEM_SUM = MEM_SUM - r.m FROM (SELECT c, day, p, sum(n) AS n, "
           "sum(m) AS m FROM (" +
           source +
           ") GROUP BY c, day, p) AS r WHERE s__processes.COMPUTER_ID = r.c AND s__processes.DAY = r.day AND "
           "s__processes.PROCESS_ID = r.p;\nUPDATE " +
           s + " SET ROWS = ROWS - r.n, " + Bounds("r.n", "r.dt") + " FROM (" + source + ") AS r WHERE " + s +
           ".COMPUTER_ID = r.c AND " + s + ".DAY = r.day AND " + s + ".PROCESS_ID = r.p AND " + s +
           ".PID = r.pid AND " + s + ".PARENTPID = r.ppid;\n";
}

// Every deleted row runs this: plain updates on keys looked up in its block
// cost far less than the joined form above.
Sql RemoveRow(const Sql &r)
{
    const auto ofBlock = [&r](const Sql &value) {
        return "(SELECT " + value + " FROM t__blocks b WHERE b.ID = " + r + ".BLOCK_ID AND " + RegularBlock("b") + ")";
    };
    const Sql regular = RegularData(r);
    const Sql computerAndDay =
        "COMPUTER_ID = " + ofBlock("b.COMPUTER_ID") + " AND DAY = " + ofBlock(Day("b.DATETIME"));
    return "UPDATE s__blocks SET ROWS = ROWS - 1, MEM_SUM = MEM_SUM - " + r + ".MEMORY WHERE BLOCK_ID = " + r +
           ".BLOCK_ID AND " + regular + ";\nDELETE FROM s__blocks WHERE BLOCK_ID = " + r +
           ".BLOCK_ID AND ROWS = 0;\nUPDATE s__processes SET ROWS = ROWS - 1, MEM_SUM = MEM_SUM - " + r +
           ".MEMORY WHERE " + computerAndDay + " AND PROCESS_ID = " + r + ".PROCESS_ID AND " + regular +
           ";\nUPDATE s__instances SET ROWS = ROWS - 1, " + Bounds("1", ofBlock("b.DATETIME")) +
           " WHERE PARENTPID = " + r + ".PARENTPID AND PROCESS_ID = " + r + ".PROCESS_ID AND PID = " + r +
           ".PID AND " + computerAndDay + " AND " + regular + ";\n";
}

// Empty summary rows go with the last block of their computer and day. The
// computer is compared with a value that is null while the day still has a
// block, so that deleting any other block reads no summary row.
Sql Tidy(const Sql &k)
{
    const Sql day = Day(k + ".DATETIME");
    const Sql lastOfDay = "(SELECT " + k + ".COMPUTER_ID WHERE " + RegularBlock(k) +
                          " AND NOT EXISTS (SELECT 1 FROM t__blocks b WHERE b.COMPUTER_ID = " + k +
                          ".COMPUTER_ID AND b.DATETIME >= " + day + " * 86400 AND b.DATETIME < (" + day +
                          " + 1) * 86400))";
    const Sql condition = "COMPUTER_ID = " + lastOfDay + " AND DAY = " + day + " AND ROWS = 0";
    return "DELETE FROM s__processes WHERE " + condition + ";\nDELETE FROM s__instances WHERE " + condition + ";\n";
}

Sql Trigger(const Sql &name, const Sql &event, const Sql &body)
{
    return "CREATE TRIGGER " + name + " " + event + " BEGIN\n" + body + "END;\n";
}

// A row whose ID is taken by an insert or update is replaced; SQLite then
// deletes the old row without running delete triggers.
Sql Bookkeeping(const Sql &prefix, const Sql &table, Sql (*regular)(const Sql &), const Sql &columns)
{
    const Sql count = "UPDATE s__state SET IRREGULAR = IRREGULAR ";
    const Sql stale = "UPDATE s__state SET STALE = 1;\n";
    const Sql taken = "EXISTS (SELECT 1 FROM " + table + " WHERE ID = NEW.ID)";
    return Trigger(prefix + "_irregular_insert", "AFTER INSERT ON " + table + " WHEN NOT " + regular("NEW"),
                   count + "+ 1;\n") +
           Trigger(prefix + "_irregular_delete", "AFTER DELETE ON " + table + " WHEN NOT " + regular("OLD"),
                   count + "- 1;\n") +
           Trigger(prefix + "_irregular_update",
                   "AFTER UPDATE OF " + columns + " ON " + table + " WHEN " + regular("OLD") + " <> " + regular("NEW"),
                   count + "+ " + regular("OLD") + " - " + regular("NEW") + ";\n") +
           Trigger(prefix + "_replace", "BEFORE INSERT ON " + table + " WHEN " + taken, stale) +
           Trigger(prefix + "_rekey", "BEFORE UPDATE OF ID ON " + table + " WHEN NEW.ID IS NOT OLD.ID AND " + taken,
                   stale);
}

Sql Triggers()
{
    const Sql data = "t__data", blocks = "t__blocks";
    return Trigger("s__data_insert", "AFTER INSERT ON " + data, AddRow("NEW")) +
           Trigger("s__data_delete", "AFTER DELETE ON " + data, RemoveRow("OLD")) +
           Trigger("s__data_update", "AFTER UPDATE OF " + Sql(kDataColumns) + " ON " + data,
                   RemoveRow("OLD") + AddRow("NEW")) +
           Trigger("s__block_insert", "AFTER INSERT ON " + blocks, Add(BlockSource("NEW"))) +
           Trigger("s__block_delete", "AFTER DELETE ON " + blocks, Remove(BlockSource("OLD")) + Tidy("OLD")) +
           Trigger("s__block_update", "AFTER UPDATE OF " + Sql(kBlockColumns) + " ON " + blocks,
                   Remove(BlockSource("OLD")) + Tidy("OLD") + Add(BlockSource("NEW"))) +
           Bookkeeping("s__data", data, RegularData, kDataColumns) +
           Bookkeeping("s__block", blocks, RegularBlock, kBlockColumns);
}

// The same sums the triggers keep, computed over every stored row at once.
Sql Fill()
{
    const Sql joined = " FROM t__blocks b JOIN t__data d ON d.BLOCK_ID = b.ID WHERE " + RegularBlock("b") + " AND " +
                       RegularData("d");
    return "DELETE FROM s__blocks; DELETE FROM s__processes; DELETE FROM s__instances; DELETE FROM s__state;\n"
           "INSERT INTO s__state (VERSION, IRREGULAR, STALE) SELECT " +
           std::to_string(kSummaryVersion) + ", (SELECT count(*) FROM t__data d WHERE NOT " + RegularData("d") +
           ") + (SELECT count(*) FROM t__blocks b WHERE NOT " + RegularBlock("b") +
           "), 0;\n"
           "INSERT INTO s__blocks (BLOCK_ID, ROWS, MEM_SUM) SELECT d.BLOCK_ID, count(*), sum(d.MEMORY) FROM t__data d "
           "WHERE " +
           RegularData("d") +
           " GROUP BY d.BLOCK_ID;\n"
           "INSERT INTO s__processes (COMPUTER_ID, DAY, PROCESS_ID, ROWS, MEM_SUM) SELECT b.COMPUTER_ID, " +
           Day("b.DATETIME") + ", d.PROCESS_ID, count(*), sum(d.MEMORY)" + joined + " GROUP BY 1, 2, 3;\n" +
           "INSERT INTO s__instances (" + kInstanceKey + ", ROWS, FIRST, LAST) SELECT b.COMPUTER_ID, " +
           Day("b.DATETIME") + ", d.PROCESS_ID, d.PID, d.PARENTPID, count(*), min(b.DATETIME), max(b.DATETIME)" +
           joined + " GROUP BY 1, 2, 3, 4, 5;\n";
}

} // namespace

bool HasSummaries(SqliteDatabase &db)
{
    SqliteStatement table(db.handle(), "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 's__state';");
    return table.step();
}

void AddSummaries(SqliteDatabase &db)
{
    db.execute(kTables);
    db.execute(kIndexes);
    db.execute(Triggers().c_str());
    RefillSummaries(db);
}

void UpdateSummaryTriggers(SqliteDatabase &db)
{
    std::string drop;
    {
        SqliteStatement triggers(db.handle(), "SELECT name FROM sqlite_master WHERE type = 'trigger' AND name LIKE "
                                              "'s\\_\\_%' ESCAPE '\\';");
        while (triggers.step())
            drop += "DROP TRIGGER " + triggers.text(0).toStdString() + ";\n";
    }
    db.execute(drop.c_str());
    db.execute(Triggers().c_str());
    db.execute(("UPDATE s__state SET VERSION = " + std::to_string(kSummaryVersion) + ";").c_str());
}

void RefillSummaries(SqliteDatabase &db) { db.execute(Fill().c_str()); }
