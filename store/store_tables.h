#pragma once
// The five tables that make a file a Tarvenix store. Header only: the store
// tools, which do not link the program's store layer, check for them too.

#include "core/exception.h"

#include <QString>
#include <sqlite3.h>

// The first of the five tables the database lacks; empty when it has them
// all. A database that cannot be read raises EDatabaseError with the
// engine's message (and leaves its error code for the caller to look at).
inline QString MissingStoreTable(sqlite3 *db)
{
    sqlite3_stmt *tables = nullptr;
    if (sqlite3_prepare_v2(db,
                           "select t.column1 from (values ('t__computers'), ('t__blocks'), ('t__data'), "
                           "('t__process'), ('t__ptype')) t where not exists (select 1 from sqlite_master m "
                           "where m.type = 'table' and lower(m.name) = t.column1)",
                           -1, &tables, nullptr) != SQLITE_OK)
        throw EDatabaseError(QString::fromUtf8(sqlite3_errmsg(db)));
    const int step = sqlite3_step(tables);
    QString missing;
    if (step == SQLITE_ROW)
        missing = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(tables, 0)));
    const QString error = step == SQLITE_ROW || step == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(tables);
    if (!error.isEmpty())
        throw EDatabaseError(error);
    return missing;
}
