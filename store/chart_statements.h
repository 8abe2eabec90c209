#pragma once
// The statements of the analysis charts: each is its base text, then the
// optional computer and day conditions (each beginning with a blank), then
// its tail text. The analysis page builds them; the store recognises them to
// answer them from its summaries.

struct ChartStatement {
    const char *base;
    const char *tail;
};

namespace ChartStatements {

inline constexpr ChartStatement kAnalyseByMemory{
    "select d.process_id, avg(d.memory) as mem from t__data d, t__blocks b where d.block_id = b.id ",
    " group by d.process_id order by avg(d.memory) "};
inline constexpr ChartStatement kAnalyseByCount{
    "select count(d.id), d.process_id from t__data d, t__blocks b where d.block_id = b.id ",
    " group by d.process_id order by count(d.id) "};
inline constexpr ChartStatement kTimeline{
    "select d.process_id, min(b.datetime) as starttime, max(b.datetime) as endtime from t__blocks b, t__data d "
    "where b.id = d.block_id ",
    " group by d.process_id,d.pid,d.parentpid order by d.parentpid"};
inline constexpr ChartStatement kStatByMemory{
    "select b.datetime, avg(d.memory) as mem from t__data d, t__blocks b where d.block_id = b.id ",
    " group by b.datetime "};
inline constexpr ChartStatement kStatByCount{
    "select b.datetime, count(d.id) as count from t__data d, t__blocks b where d.block_id = b.id ",
    " group by b.datetime "};

} // namespace ChartStatements
