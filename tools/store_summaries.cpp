#include "tools/store_summaries.h"

#include "store/summary_version.h"
#include "tools/planner_statistics.h"
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
)sql";
constexpr const char *kInstances = R"sql(
CREATE TABLE s__instances (COMPUTER_ID INTEGER NOT NULL, DAY INTEGER NOT NULL, PROCESS_ID INTEGER NOT NULL,
                           PID INTEGER NOT NULL, PARENTPID INTEGER NOT NULL, ROWS INTEGER NOT NULL,
                           FIRST INTEGER NOT NULL, LAST INTEGER NOT NULL,
                           STALE INTEGER NOT NULL DEFAULT 0,
                           PRIMARY KEY (COMPUTER_ID, DAY, PARENTPID, PROCESS_ID, PID)) WITHOUT ROWID;
)sql";
// A deletion announces its blocks through the view s__announce; s__announced
// holds them until each is deleted. s__leaving is empty but while an
// announcement is made.
constexpr const char *kDeletion = R"sql(
CREATE TABLE IF NOT EXISTS s__announced (BLOCK_ID INTEGER PRIMARY KEY);
CREATE TABLE IF NOT EXISTS s__leaving (c, day, t_first, t_last, p, pid, ppid, n, m);
CREATE VIEW IF NOT EXISTS s__announce (COMPUTER_ID, FIRST_ID, LAST_ID) AS SELECT NULL, NULL, NULL WHERE 0;
CREATE VIEW IF NOT EXISTS s__row_removal (BLOCK_ID, PROCESS_ID, PID, PARENTPID, MEMORY) AS
    SELECT NULL, NULL, NULL, NULL, NULL WHERE 0;
)sql";
// The instances of one computer and day lie together, so that deleting its
// snapshots changes few pages; within them they are in the order of the
// timeline's grouping, which then reads one day without sorting. Deleting a
// row at an instance's first or last time marks its bounds STALE instead of
// searching the rest at once: they stay a lower and an upper bound, and the
// reader searches from them. A summary row whose ROWS fell to 0 is empty:
// readers skip it, the next row that adds to it starts it afresh, and it goes
// when the last block of its computer and day does. Deleting it at once would
// cost every deleted row another statement.

// The block index grows into one that also finds a process instance within a
// block, which the search from a stale bound needs. The old one goes first,
// so that the new one is built in the pages it frees.
constexpr const char *kIndexes = R"sql(
DROP INDEX IF EXISTS i__data_block;
CREATE INDEX IF NOT EXISTS i__data_instance ON t__data (BLOCK_ID, PROCESS_ID, PID, PARENTPID);
CREATE INDEX IF NOT EXISTS i__blocks_time ON t__blocks (COMPUTER_ID, DATETIME);
)sql";

constexpr const char *kInstanceKey = "COMPUTER_ID, DAY, PROCESS_ID, PID, PARENTPID";
constexpr const char *kDataColumns = "BLOCK_ID, PROCESS_ID, PID, PARENTPID, MEMORY";
constexpr const char *kBlockColumns = "ID, COMPUTER_ID, DATETIME";

// A plain integer: no other stored value equals its cast to one. (typeof()
// says the same, but a function call anywhere in a trigger costs every row
// that fires it, even when the trigger's condition then skips its body.)
Sql PlainInteger(const Sql &value)
{
    return "(" + value + " IS NOT NULL AND " + value + " IS CAST(" + value + " AS INTEGER))";
}

// A data row the summaries cover: integer keys and a 32-bit memory value, as
// the program writes them, so that sums are exact integers.
Sql RegularData(const Sql &r)
{
    return "(" + PlainInteger(r + ".BLOCK_ID") + " AND " + PlainInteger(r + ".PROCESS_ID") + " AND " +
           PlainInteger(r + ".PID") + " AND " + PlainInteger(r + ".PARENTPID") + " AND " + PlainInteger(r + ".MEMORY") +
           " AND " + r + ".MEMORY BETWEEN -2147483648 AND 2147483647)";
}

Sql RegularBlock(const Sql &k)
{
    return "(" + PlainInteger(k + ".COMPUTER_ID") + " AND " + PlainInteger(k + ".DATETIME") + ")";
}

// Integer division rounds towards zero; a day rounds down.
Sql Day(const Sql &time) { return "(" + time + " / 86400 - (" + time + " % 86400 < 0))"; }

// Rows of an announced block are left out of the summaries: its announcement
// took them out at once, so that deleting them one by one costs no upkeep.
Sql Announced(const Sql &blockId) { return "EXISTS (SELECT 1 FROM s__announced WHERE BLOCK_ID = " + blockId + ")"; }

// What the rows of block k add to the summaries, one row per process
// instance: c computer, day, t_first and t_last time, p process, pid, ppid, n
// rows, m memory. k is a trigger's OLD or NEW, or stored blocks that `from`
// and `where` name.
Sql InstanceSource(const Sql &k, const Sql &from = "", const Sql &where = "")
{
    return "SELECT " + k + ".COMPUTER_ID AS c, " + Day(k + ".DATETIME") + " AS day, min(" + k +
           ".DATETIME) AS t_first, max(" + k +
           ".DATETIME) AS t_last, d.PROCESS_ID AS p, d.PID AS pid, d.PARENTPID AS ppid, count(*) AS n, "
           "sum(d.MEMORY) AS m FROM " +
           from + "t__data d WHERE " + where + "d.BLOCK_ID = " + k + ".ID AND " + RegularData("d") + " AND " +
           RegularBlock(k) + " GROUP BY 1, 2, 5, 6, 7";
}

// The same for one data row r.
Sql RowSource(const Sql &r)
{
    return "SELECT b.COMPUTER_ID AS c, " + Day("b.DATETIME") + " AS day, b.DATETIME AS t_first, b.DATETIME AS t_last, " + r +
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
           Sql(kInstanceKey) + ", ROWS, FIRST, LAST) SELECT c, day, p, pid, ppid, n, t_first, t_last FROM (" + source +
           ") WHERE 1 ON CONFLICT (" + kInstanceKey +
           ") DO UPDATE SET ROWS = ROWS + excluded.ROWS, "
           "FIRST = CASE WHEN ROWS = 0 THEN excluded.FIRST ELSE min(FIRST, excluded.FIRST) END, "
           "LAST = CASE WHEN ROWS = 0 THEN excluded.LAST ELSE max(LAST, excluded.LAST) END, "
           "STALE = CASE WHEN ROWS = 0 THEN 0 ELSE STALE END;\n";
}

// Keeps the count of rows the summaries cannot hold: `sign` is + or -.
Sql CountIrregular(const Sql &r, const Sql &sign)
{
    return "UPDATE OR FAIL s__state SET IRREGULAR = IRREGULAR " + sign + " 1 WHERE NOT " + RegularData(r) + ";\n";
}

Sql AddRow(const Sql &r)
{
    return "INSERT INTO s__blocks (BLOCK_ID, ROWS, MEM_SUM) SELECT " + r + ".BLOCK_ID, 1, " + r + ".MEMORY WHERE " +
           RegularData(r) +
           " ON CONFLICT (BLOCK_ID) DO UPDATE SET ROWS = ROWS + 1, MEM_SUM = MEM_SUM + excluded.MEM_SUM;\n" +
           Add(RowSource(r)) + CountIrregular(r, "+");
}

// Rows gone from first to last leave an instance's bounds exact unless they
// held one.
Sql Stale(const Sql &first, const Sql &last) { return "STALE = STALE OR FIRST = " + first + " OR LAST = " + last; }

// What the instance rows of `source` held leaves the summaries.
Sql Remove(const Sql &source)
{
    const Sql s = "s__instances";
    return "UPDATE s__processes SET ROWS = ROWS - r.n, MEM_SUM = MEM_SUM - r.m FROM (SELECT c, day, p, sum(n) AS n, "
           "sum(m) AS m FROM (" +
           source +
           ") GROUP BY c, day, p) AS r WHERE s__processes.COMPUTER_ID = r.c AND s__processes.DAY = r.day AND "
           "s__processes.PROCESS_ID = r.p;\nUPDATE " +
           s + " SET ROWS = ROWS - r.n, " + Stale("r.t_first", "r.t_last") + " FROM (" + source + ") AS r WHERE " + s +
           ".COMPUTER_ID = r.c AND " + s + ".DAY = r.day AND " + s + ".PROCESS_ID = r.p AND " + s +
           ".PID = r.pid AND " + s + ".PARENTPID = r.ppid;\n";
}

// Every deleted row runs this: plain updates on keys looked up in its block
// cost far less than the joined form above. Their conditions leave no
// constraint to fail, and OR FAIL spares every deletion's statement the
// undo record it would otherwise keep in case one did.
Sql RemoveRow(const Sql &r)
{
    const auto ofBlock = [&r](const Sql &value) {
        return "(SELECT " + value + " FROM t__blocks b WHERE b.ID = " + r + ".BLOCK_ID AND " + RegularBlock("b") + ")";
    };
    const Sql regular = RegularData(r);
    const Sql computerAndDay =
        "COMPUTER_ID = " + ofBlock("b.COMPUTER_ID") + " AND DAY = " + ofBlock(Day("b.DATETIME"));
    return "UPDATE OR FAIL s__blocks SET ROWS = ROWS - 1, MEM_SUM = MEM_SUM - " + r + ".MEMORY WHERE BLOCK_ID = " + r +
           ".BLOCK_ID AND " + regular + ";\nDELETE FROM s__blocks WHERE BLOCK_ID = " + r +
           ".BLOCK_ID AND ROWS = 0;\nUPDATE OR FAIL s__processes SET ROWS = ROWS - 1, MEM_SUM = MEM_SUM - " + r +
           ".MEMORY WHERE " + computerAndDay + " AND PROCESS_ID = " + r + ".PROCESS_ID AND " + regular +
           ";\nUPDATE OR FAIL s__instances SET ROWS = ROWS - 1, " + Stale(ofBlock("b.DATETIME"), ofBlock("b.DATETIME")) + " WHERE PARENTPID = " + r +
           ".PARENTPID AND PROCESS_ID = " + r + ".PROCESS_ID AND PID = " + r + ".PID AND " + computerAndDay + " AND " +
           regular + ";\n" + CountIrregular(r, "-");
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

constexpr const char *kMarkStale = "UPDATE s__state SET STALE = 1;\n";

// Blocks of one computer announced before their deletion, by a range of
// IDs, leave the summaries at once, their irregular rows the count with them:
// an instance in many of them is updated once. Their rows are read once,
// into s__leaving, for both summaries. Blocks announced already are left as
// they are.
Sql AnnouncementTriggers()
{
    const Sql blocks = "k.COMPUTER_ID = NEW.COMPUTER_ID AND k.ID BETWEEN NEW.FIRST_ID AND NEW.LAST_ID AND NOT " +
                       Announced("k.ID");
    return Trigger("s__announce", "INSTEAD OF INSERT ON s__announce",
                   "INSERT INTO s__leaving " + InstanceSource("k", "t__blocks k, ", blocks + " AND ") + ";\n" +
                       Remove("SELECT * FROM s__leaving") + "DELETE FROM s__leaving;\nDELETE FROM s__blocks WHERE BLOCK_ID IN (SELECT k.ID FROM t__blocks k WHERE " +
                       blocks +
                       ");\n"
                       "UPDATE s__state SET IRREGULAR = IRREGULAR - (SELECT count(*) FROM t__blocks k, t__data d "
                       "WHERE " +
                       blocks + " AND d.BLOCK_ID = k.ID AND NOT " + RegularData("d") +
                       ") WHERE IRREGULAR > 0;\n"
                       "INSERT INTO s__announced (BLOCK_ID) SELECT k.ID FROM t__blocks k WHERE " +
                       blocks + ";\n") +
           // Withdrawn while its block is still stored, the rows it took out are missing.
           Trigger("s__announce_withdrawn",
                   "AFTER DELETE ON s__announced WHEN EXISTS (SELECT 1 FROM t__blocks WHERE ID = OLD.BLOCK_ID)",
                   kMarkStale);
}

// Every other change to the rows of an announced block leaves the summaries
// to be computed afresh; the program only ever deletes them. A deleted row's
// upkeep runs in a trigger of its own, on the view s__row_removal: every
// deletion then carries only a small trigger, which the rows of announced
// blocks skip at less cost.
Sql DataTriggers()
{
    const Sql data = "t__data";
    const Sql oldOut = Announced("OLD.BLOCK_ID"), newOut = Announced("NEW.BLOCK_ID");
    return Trigger("s__data_insert", "AFTER INSERT ON " + data + " WHEN NOT " + newOut, AddRow("NEW")) +
           Trigger("s__data_insert_announced", "AFTER INSERT ON " + data + " WHEN " + newOut, kMarkStale) +
           Trigger("s__data_delete", "AFTER DELETE ON " + data + " WHEN NOT " + oldOut,
                   "INSERT OR FAIL INTO s__row_removal VALUES (OLD.BLOCK_ID, OLD.PROCESS_ID, OLD.PID, OLD.PARENTPID, "
                   "OLD.MEMORY);\n") +
           Trigger("s__row_removal", "INSTEAD OF INSERT ON s__row_removal", RemoveRow("NEW")) +
           Trigger("s__data_update",
                   "AFTER UPDATE OF " + Sql(kDataColumns) + " ON " + data + " WHEN NOT " + oldOut + " AND NOT " + newOut,
                   RemoveRow("OLD") + AddRow("NEW")) +
           Trigger("s__data_update_announced",
                   "AFTER UPDATE OF " + Sql(kDataColumns) + " ON " + data + " WHEN " + oldOut + " OR " + newOut,
                   kMarkStale);
}

// Deleting an announced block ends its announcement; rows of it left behind
// were taken out with it, which a block stored again under its ID would not
// expect.
Sql BlockTriggers()
{
    const Sql blocks = "t__blocks";
    const Sql oldOut = Announced("OLD.ID");
    return Trigger("s__block_insert", "AFTER INSERT ON " + blocks, Add(InstanceSource("NEW"))) +
           Trigger("s__block_delete", "AFTER DELETE ON " + blocks + " WHEN NOT " + oldOut,
                   Remove(InstanceSource("OLD")) + Tidy("OLD")) +
           Trigger("s__block_retire", "AFTER DELETE ON " + blocks + " WHEN " + oldOut,
                   "DELETE FROM s__announced WHERE BLOCK_ID = OLD.ID;\n"
                   "UPDATE s__state SET STALE = 1 WHERE EXISTS (SELECT 1 FROM t__data WHERE BLOCK_ID = OLD.ID);\n" +
                       Tidy("OLD")) +
           Trigger("s__block_update",
                   "AFTER UPDATE OF " + Sql(kBlockColumns) + " ON " + blocks + " WHEN NOT " + oldOut,
                   Remove(InstanceSource("OLD")) + Tidy("OLD") + Add(InstanceSource("NEW"))) +
           Trigger("s__block_update_announced",
                   "AFTER UPDATE OF " + Sql(kBlockColumns) + " ON " + blocks + " WHEN " + oldOut, kMarkStale);
}

Sql CountIrregularBlocks()
{
    const Sql count = "UPDATE s__state SET IRREGULAR = IRREGULAR ";
    const Sql table = "t__blocks";
    return Trigger("s__block_irregular_insert", "AFTER INSERT ON " + table + " WHEN NOT " + RegularBlock("NEW"),
                   count + "+ 1;\n") +
           Trigger("s__block_irregular_delete", "AFTER DELETE ON " + table + " WHEN NOT " + RegularBlock("OLD"),
                   count + "- 1;\n") +
           Trigger("s__block_irregular_update",
                   "AFTER UPDATE OF " + Sql(kBlockColumns) + " ON " + table + " WHEN " + RegularBlock("OLD") +
                       " <> " + RegularBlock("NEW"),
                   count + "+ " + RegularBlock("OLD") + " - " + RegularBlock("NEW") + ";\n");
}

// A row whose ID is taken by an insert or update is replaced; SQLite then
// deletes the old row without running delete triggers.
Sql Replacement(const Sql &prefix, const Sql &table)
{
    const Sql taken = "EXISTS (SELECT 1 FROM " + table + " WHERE ID = NEW.ID)";
    return Trigger(prefix + "_replace", "BEFORE INSERT ON " + table + " WHEN " + taken, kMarkStale) +
           Trigger(prefix + "_rekey", "BEFORE UPDATE OF ID ON " + table + " WHEN NEW.ID IS NOT OLD.ID AND " + taken,
                   kMarkStale);
}

Sql Triggers()
{
    return DataTriggers() + BlockTriggers() + AnnouncementTriggers() + CountIrregularBlocks() +
           Replacement("s__data", "t__data") + Replacement("s__block", "t__blocks");
}

// The same sums the triggers keep, computed over every stored row at once.
Sql Fill()
{
    const Sql joined = " FROM t__blocks b JOIN t__data d ON d.BLOCK_ID = b.ID WHERE " + RegularBlock("b") + " AND " +
                       RegularData("d");
    return "DELETE FROM s__blocks; DELETE FROM s__processes; DELETE FROM s__instances; DELETE FROM s__state; "
           "DELETE FROM s__announced;\n"
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
    db.execute(kInstances);
    db.execute(kDeletion);
    db.execute(kIndexes);
    db.execute(Triggers().c_str());
    RefillSummaries(db);
}

void UpdateSummaryLayout(SqliteDatabase &db)
{
    SqliteStatement staleColumn(db.handle(),
                                "SELECT 1 FROM pragma_table_info('s__instances') WHERE name = 'STALE';");
    if (!staleColumn.step()) {
        // The earlier layout, keyed by parent PID first: copied into this one.
        db.execute("ALTER TABLE s__instances RENAME TO s__instances_earlier;");
        db.execute(kInstances);
        db.execute("INSERT INTO s__instances (COMPUTER_ID, DAY, PROCESS_ID, PID, PARENTPID, ROWS, FIRST, LAST) "
                   "SELECT COMPUTER_ID, DAY, PROCESS_ID, PID, PARENTPID, ROWS, FIRST, LAST FROM s__instances_earlier; "
                   "DROP TABLE s__instances_earlier;");
        RenewPlannerStatistics(db, "s__instances");
    }
    db.execute(kDeletion);
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
