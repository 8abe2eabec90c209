#include "store/statement.h"

#include "core/exception.h"

#include <QDateTime>
#include <QRegularExpression>
#include <sqlite3.h>

#include "store/store_files.h"
#include "store/stored_datetime.h"

Statement::Statement(sqlite3 *db, const QString &sql) : db_(db), sql_(sql)
{
    const QByteArray text = sql.toUtf8();
    const char *tail = nullptr;
    if (sqlite3_prepare_v2(db_, text.constData(), int(text.size()), &stmt_, &tail) != SQLITE_OK)
        Fail(QStringLiteral("Cannot prepare the statement"));
    if (!stmt_)
        throw EDatabaseError(QStringLiteral("The statement is empty"));
    const QString rest = QString::fromUtf8(tail).remove(QLatin1Char(';')).trimmed();
    if (!rest.isEmpty()) {
        sqlite3_finalize(stmt_);
        throw EDatabaseError(QStringLiteral("Characters found after end of SQL statement"));
    }
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

QString Statement::ErrorMessage(const QString &what) const
{
    QString message = QString::fromUtf8(sqlite3_errmsg(db_));
    if (message.isEmpty())
        message = what;
    // The engine does not say which file it could not write.
    if ((sqlite3_errcode(db_) & 0xff) == SQLITE_READONLY) {
        const QString file = UnwritableStoreFile(QString::fromUtf8(sqlite3_db_filename(db_, "main")));
        if (!file.isEmpty())
            message += QStringLiteral(": %1 cannot be written").arg(file);
    }
    return message;
}

void Statement::Fail(const QString &what) const { throw EDatabaseError(ErrorMessage(what)); }

void Statement::Bind(const QString &name, const QVariant &value)
{
    const int index = sqlite3_bind_parameter_index(stmt_, (QLatin1Char(':') + name).toUtf8().constData());
    if (index == 0)
        throw EDatabaseError(QStringLiteral("Parameter '%1' not found").arg(name));
    Bind(index, value);
}

void Statement::Bind(int index, const QVariant &value)
{
    int rc = SQLITE_OK;
    if (value.isNull()) {
        rc = sqlite3_bind_null(stmt_, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            rc = sqlite3_bind_int64(stmt_, index, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(stmt_, index, value.toDouble());
            break;
        case QMetaType::QDateTime:
            rc = sqlite3_bind_int64(stmt_, index, StoredDateTime(value.toDateTime()));
            break;
        default: {
            const QByteArray text = value.toString().toUtf8();
            rc = sqlite3_bind_text(stmt_, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
        }
    }
    if (rc != SQLITE_OK)
        Fail(QStringLiteral("Cannot bind a parameter"));
}

int Statement::ParameterCount() const { return sqlite3_bind_parameter_count(stmt_); }

QString Statement::ParameterName(int index) const
{
    const char *name = sqlite3_bind_parameter_name(stmt_, index);
    return name ? QString::fromUtf8(name + 1) : QString();
}

bool Statement::Step()
{
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const QString message = ErrorMessage(QStringLiteral("Cannot run the statement"));
    sqlite3_reset(stmt_);
    throw EDatabaseError(message);
}

void Statement::Reset()
{
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int Statement::ColumnCount() const { return sqlite3_column_count(stmt_); }

QStringList Statement::ColumnNames() const
{
    // The engine names an unaliased expression by its text; the program's
    // statements rely on the Access naming of such columns instead.
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    QStringList names;
    int unnamed = 0;
    for (int i = 0; i < ColumnCount(); ++i) {
        const QString name = QString::fromUtf8(sqlite3_column_name(stmt_, i));
        const bool expression = sqlite3_column_table_name(stmt_, i) == nullptr;
        if (expression && !identifier.match(name).hasMatch())
            names << QStringLiteral("Expr%1").arg(1000 + unnamed++);
        else
            names << name;
    }
    return names;
}

QString Statement::DeclaredType(int column) const
{
    return QString::fromUtf8(sqlite3_column_decltype(stmt_, column));
}
