#include "ui/analysis_statement.h"

#include "core/exception.h"
#include "store/chart_statements.h"
#include "store/date_text.h"
#include "store/monitoring_store.h"

namespace {

struct Choice {
    Query TMonitoringStore::*query;
    ChartStatement statement;
    int series;
};

const Choice kAnalyse[] = {
    {&TMonitoringStore::adoqAnalyseByMemory, ChartStatements::kAnalyseByMemory, 0},
    {&TMonitoringStore::adoqAnalyseByCount, ChartStatements::kAnalyseByCount, 1},
    {&TMonitoringStore::adoqAnalyzeTimeline, ChartStatements::kTimeline, 2},
};

const Choice kStatistics[] = {
    {&TMonitoringStore::adoqStatByMemory, ChartStatements::kStatByMemory, 3},
    {&TMonitoringStore::adoqStatByCount, ChartStatements::kStatByCount, 4},
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
                        QLatin1String(choice.statement.base) + condition + QLatin1String(choice.statement.tail), choice.series};
}
