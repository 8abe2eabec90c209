#include "ui/history_filter.h"

#include "core/exception.h"
#include "store/date_text.h"
#include "store/monitoring_store.h"
#include "ui/db_lookup_combo_box.h"
#include "ui/exit_line_edit.h"
#include "ui/main_window.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QRegularExpression>

namespace {

QString KeyText(const QVariant &key) { return QString::number(key.isNull() ? 0 : key.toLongLong()); }

// A date-time text as an SQL string literal.
QString Quoted(const QDateTime &value)
{
    return QLatin1Char('\'') + DateTimeText(value).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

QString Bound(const char *op, const QDateTime &date, const QDateTime &time)
{
    return QStringLiteral(" and b.DATETIME %1 ( DateValue(%2) + TimeValue(%3) )")
        .arg(QLatin1String(op), Quoted(date), Quoted(time));
}

QString WholeNumber(const QString &text, const char *field)
{
    static const QRegularExpression whole(QStringLiteral("^\\s*[+-]?\\d+\\s*$"));
    bool ok = false;
    const qlonglong value = whole.match(text).hasMatch() ? text.trimmed().toLongLong(&ok) : 0;
    if (!ok)
        throw EConvertError(QStringLiteral("%1: '%2' is not a valid integer value").arg(QLatin1String(field), text));
    return QString::number(value);
}

} // namespace

HistoryFilterState ReadHistoryFilter(const TfrmMain &w)
{
    HistoryFilterState f;
    f.computer = w.cbComputer->isChecked();
    f.computerKey = w.dbcbxComputer->KeyValue();
    f.fromDate = w.cbFromDate->isChecked();
    f.dateFrom = w.dtpDateFrom->dateTime();
    f.timeFrom = w.dtpTimeFrom->dateTime();
    f.toDate = w.cbToDate->isChecked();
    f.dateTo = w.dtpDateTo->dateTime();
    f.timeTo = w.dtpTimeTo->dateTime();
    f.process = w.cbProcess->isChecked();
    f.processKey = w.dbcbxProcess->KeyValue();
    f.pid = {w.cbPID->isChecked(), w.edPID->text()};
    f.parentPid = {w.cbParentPID->isChecked(), w.edParentPID->text()};
    f.memory = {w.cbMemory->isChecked(), w.edMemory->text()};
    f.priority = {w.cbPriority->isChecked(), w.edPriority->text()};
    f.threads = {w.cbThreads->isChecked(), w.edThreads->text()};
    return f;
}

QString HistoryStatement(const HistoryFilterState &f)
{
    QString sql = TMonitoringStore::FullStatementLines().join(QLatin1Char(' '));
    if (f.computer)
        sql += QStringLiteral(" and b.COMPUTER_ID = ") + KeyText(f.computerKey);
    if (f.fromDate)
        sql += Bound(">", f.dateFrom, f.timeFrom);
    if (f.toDate)
        sql += Bound("<=", f.dateTo, f.timeTo);
    if (f.process)
        sql += QStringLiteral(" and d.PROCESS_ID = ") + KeyText(f.processKey);
    struct EditRow {
        const HistoryFilterState::Value &value;
        const char *column;
        const char *caption;
    };
    const EditRow rows[] = {{f.pid, "PID", "PID"},
                            {f.parentPid, "PARENTPID", "Parent PID"},
                            {f.memory, "MEMORY", "Memory"},
                            {f.priority, "PRIORITY", "Priority"},
                            {f.threads, "THREADS", "Threads"}};
    for (const EditRow &row : rows)
        if (row.value.checked && !row.value.text.isEmpty())
            sql += QStringLiteral(" and d.%1 = %2").arg(QLatin1String(row.column), WholeNumber(row.value.text, row.caption));
    return sql;
}

void RunHistoryFilter(Query &adoqFull, const HistoryFilterState &filter)
{
    adoqFull.Close();
    adoqFull.SetSQL({HistoryStatement(filter)});
    adoqFull.Open();
}
