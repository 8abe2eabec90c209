#include "store/summary_statements.h"

#include "store/chart_statements.h"
#include "store/statement.h"
#include "store/summary_version.h"

#include <QRegularExpression>
#include <optional>
#include <sqlite3.h>

namespace {

// %1 stands for the conditions: on the block (b) for the per-snapshot
// charts, on the summary row (s) for the others.
struct SummaryForm {
    ChartStatement chart;
    bool conditionsOnBlock;
    const char *summary;
};

// A stale first (last) time is a lower (upper) bound: the true one is the
// nearest block of the instance's computer and day from it on (back) that
// holds a row of the instance. Every row is a plain integer one while the
// summaries are read, so no type checks are needed here.
#define STALE_BOUND(from, order)                                                                                     \
    "(select b.DATETIME from t__blocks b where b.COMPUTER_ID = s.COMPUTER_ID and b.DATETIME " from                  \
    " and b.DATETIME >= s.DAY * 86400 and b.DATETIME < (s.DAY + 1) * 86400 and exists (select 1 from t__data d "   \
    "where d.BLOCK_ID = b.ID and d.PROCESS_ID = s.PROCESS_ID and d.PID = s.PID and d.PARENTPID = s.PARENTPID) "   \
    "order by b.DATETIME" order " limit 1)"

// avg() is the integer sum over the row count, which the sums keep exactly.
const SummaryForm kForms[] = {
    {ChartStatements::kAnalyseByMemory, false,
     "select s.PROCESS_ID as process_id, CAST(sum(s.MEM_SUM) AS REAL) / sum(s.ROWS) as mem from s__processes s "
     "where s.ROWS > 0%1 group by s.PROCESS_ID order by mem, s.PROCESS_ID"},
    {ChartStatements::kAnalyseByCount, false,
     "select sum(s.ROWS), s.PROCESS_ID as process_id from s__processes s where s.ROWS > 0%1 group by s.PROCESS_ID "
     "order by 1, s.PROCESS_ID"},
    {ChartStatements::kTimeline, false,
     "select s.PROCESS_ID as process_id, "
     "min(case when s.STALE then " STALE_BOUND(">= s.FIRST", "") " else s.FIRST end) as starttime, "
     "max(case when s.STALE then " STALE_BOUND("<= s.LAST", " desc") " else s.LAST end) as endtime "
     "from s__instances s where s.ROWS > 0%1 group by s.PARENTPID, s.PROCESS_ID, s.PID "
     "order by s.PARENTPID, s.PROCESS_ID, s.PID"},
    {ChartStatements::kStatByMemory, true,
     "select b.datetime, CAST(sum(s.MEM_SUM) AS REAL) / sum(s.ROWS) as mem from t__blocks b, s__blocks s "
     "where s.BLOCK_ID = b.id%1 group by b.datetime"},
    {ChartStatements::kStatByCount, true,
     "select b.datetime, sum(s.ROWS) as count from t__blocks b, s__blocks s where s.BLOCK_ID = b.id%1 "
     "group by b.datetime"},
};

#undef STALE_BOUND

struct Conditions {
    QString computer; // decimal text, empty for all computers
    QString from;     // the two DateValue arguments as SQL literals, empty for all days
    QString to;
};

std::optional<Conditions> ParseConditions(const QString &text)
{
    static const QRegularExpression form(QStringLiteral(
        "^(?: and b\\.computer_id = (-?\\d+))?"
        "(?: and b\\.datetime >= DateValue\\( ('(?:[^']|'')*') \\) and b\\.datetime < DateValue\\( ('(?:[^']|'')*') \\))?$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return Conditions{match.captured(1), match.captured(2), match.captured(3)};
}

// A summary row's DAY is its time divided by 86400, rounded down, and
// DateValue gives a midnight, a multiple of 86400: a time lies within the
// bounds exactly when its day does.
QString OnSummaryRow(const Conditions &conditions)
{
    QString text;
    if (!conditions.computer.isEmpty())
        text += QStringLiteral(" and s.COMPUTER_ID = ") + conditions.computer;
    if (!conditions.from.isEmpty())
        text += QStringLiteral(" and s.DAY >= DateValue( %1 ) / 86400 and s.DAY < DateValue( %2 ) / 86400")
                    .arg(conditions.from, conditions.to);
    return text;
}

// A store that lacks a table the chart statement names runs it plainly, and
// so fails as it would without summaries.
bool SummariesCoverEveryRow(sqlite3 *db)
{
    Statement tables(db, QStringLiteral("select count(*) from sqlite_master where type = 'table' and lower(name) in "
                                        "('t__data', 't__blocks', 's__state', 's__blocks', 's__processes', "
                                        "'s__instances', 's__announced')"));
    if (!tables.Step() || sqlite3_column_int(tables.Handle(), 0) != 7)
        return false;
    Statement state(db, QStringLiteral("select VERSION between %1 and %2 and IRREGULAR = 0 and STALE = 0 and not "
                                       "exists (select 1 from s__announced) from s__state")
                            .arg(kOldestReadSummaryVersion)
                            .arg(kSummaryVersion));
    return state.Step() && sqlite3_column_int(state.Handle(), 0) == 1;
}

} // namespace

QString StatementToRun(sqlite3 *db, const QString &sql)
{
    for (const SummaryForm &form : kForms) {
        const QLatin1String base(form.chart.base), tail(form.chart.tail);
        if (sql.size() < base.size() + tail.size() || !sql.startsWith(base) || !sql.endsWith(tail))
            continue;
        const QString middle = sql.mid(base.size(), sql.size() - base.size() - tail.size());
        const auto conditions = ParseConditions(middle);
        if (!conditions || !SummariesCoverEveryRow(db))
            return sql;
        return QLatin1String(form.summary).arg(form.conditionsOnBlock ? middle : OnSummaryRow(*conditions));
    }
    return sql;
}
