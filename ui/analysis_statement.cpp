#include "ui/analysis_statement.h"

#include "core/exception.h"
#include "store/date_text.h"
#include "store/monitoring_store.h"

namespace {

struct Choice {
    Query TMonitoringStore::*query;
    const char *base;
    const char *tail;
    int series;
};

const Choice kAnalyse[] = {
    {&TMonitoringStore::adoqAnalyseByMemory,
     "select d.process_id, avg(d.memory) as mem from t__data d, t__blocks b where d.block_id = b.id ",
     " group by d.process_id order by avg(d.memory) ", 0},
    {&TMonitoringStore::adoqAnalyseByCount,
     "select count(d.id), d.process_id from t__data d, t__blocks b where d.block_id = b.id ",
     " group by d.process_id order by count(d.id) ", 1},
    {&TMonitoringStore::adoqAnalyzeTimeline,
     "select d.process_id, min(b.datetime) as starttime, max(b.datetime) as endtime from t__blocks b, t__data d "
     "where b.id = d.block_id ",
     " group by d.process_id,d.pid,d.parentpid order by d.parentpid", 2},
};

const Choice kStatistics[] = {
    {&TMonitoringStore::adoqStatByMemory,
     "select b.datetime, avg(d.memory) as mem from t__data d, t__blocks b where d.block_id = b.id ",
     " group by b.datetime ", 3},
    {&TMonitoringStore::adoqStatByCount,
     "select b.datetime, count(d.id) as count from t__data d, t__blocks b where d.block_id = b.id ",
     " group by b.datetime ", 4},
    kAnalyse[2], // the timeline is the same chart in both modes
};

QString DayText(const QDateTime &value)
{
    return QLatin1Char('\'') + DateTimeText(value).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

} // namespace

QString AnalysisCondition(const AnalysisState &state)
{
    QString condition;
    if (!state.allComputers) {
        if (state.computerKey.isNull())
            throw Exception(QStringLiteral("Choose a computer, or check \"All computers or\""));
        condition += QStringLiteral(" and b.computer_id = ") + QString::number(state.computerKey.toLongLong());
    }
    if (!state.allDates)
        condition += QStringLiteral(" and b.datetime >= DateValue( %1 ) and b.datetime < DateValue( %2 )")
                         .arg(DayText(state.day), DayText(state.day.addDays(1)));
    return condition;
}

std::optional<AnalysisPlan> PlanAnalysis(TMonitoringStore &store, const AnalysisState &state)
{
    if (state.mainType < 0 || state.mainType > 1 || state.kind < 0 || state.kind > 2)
        return std::nullopt;
    const Choice &choice = (state.mainType == 0 ? kAnalyse : kStatistics)[state.kind];
    const QString condition = AnalysisCondition(state);
    return AnalysisPlan{&(store.*choice.query),
                        QLatin1String(choice.base) + condition + QLatin1String(choice.tail), choice.series};
}
