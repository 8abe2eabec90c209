#pragma once
// The command line of tarvenix-store, read and checked: which command, on
// which store, and the options that command takes. Anything amiss raises
// EUsage with what is wrong.

#include "tools/store_tool/row_writer.h"

#include <QDateTime>
#include <QStringList>
#include <optional>

struct ToolOptions {
    QString command; // prune, export, check or stats
    QString store = QStringLiteral("Tarvenix.mdb");
    int waitSeconds = 10;
    int olderThanDays = 0;
    QString computer; // empty: every computer
    ExportFormat format = ExportFormat::Csv;
    std::optional<QDateTime> from; // local times, inclusive
    std::optional<QDateTime> to;
    bool help = false;
};

// arguments without the program's name.
ToolOptions ParseToolOptions(const QStringList &arguments);

// A time as the options take it: a date (its first second, or with
// endOfDay its last) or a date and a time of day, in local time.
QDateTime ParseToolTime(const QString &text, bool endOfDay);

QString ToolUsage();
