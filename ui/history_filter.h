#pragma once
// The history filter: the statement of the history query built from the
// state of the "User filter" controls.

#include <QDateTime>
#include <QVariant>

class Query;
class TfrmMain;

struct HistoryFilterState {
    struct Value {
        bool checked = false;
        QString text;
    };
    bool computer = false;
    QVariant computerKey; // null while none has been chosen
    bool fromDate = false;
    QDateTime dateFrom, timeFrom;
    bool toDate = false;
    QDateTime dateTo, timeTo;
    bool process = false;
    QVariant processKey;
    Value pid, parentPid, memory, priority, threads;
};

HistoryFilterState ReadHistoryFilter(const TfrmMain &window);

// Raises EConvertError, naming the field, for an edit whose text is not a
// whole number: the texts are typed by the user and must never become SQL.
QString HistoryStatement(const HistoryFilterState &filter);

// Closes the query, and opens it again with the filter's statement; it stays
// closed when the filter or the statement is refused.
void RunHistoryFilter(Query &adoqFull, const HistoryFilterState &filter);
