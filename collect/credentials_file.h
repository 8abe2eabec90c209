#pragma once
// The credentials file (~/.config/Tarvenix/credentials): accounts for Windows
// computers in Samba's authentication-file format, "username = ",
// "password = " and "domain = " lines. The lines before the first section are
// for all computers; a "[NAME]" section, NAME as the computer list stores it
// in any case, holds the lines that differ for that computer. Read by the
// program and by programs without a window; a file that others than its owner
// can read is not used.

#include "platform/perf_data.h"

#include <QMap>
#include <QString>
#include <optional>

namespace credentials_file
{

struct Accounts {
    std::optional<perf_data::Account> all;
    QMap<QString, perf_data::Account> computers; // by section name, as written
};

struct Reading {
    Accounts accounts;
    QString error; // names the file; empty when it was read or does not exist
};

// Where the program keeps the file for the current user.
QString UserFilePath();

Reading Read(const QString &path);

Accounts Parse(const QString &text);

// The text with the account of the computer (an empty name: of all
// computers) set, or removed when there is none; every other line stays.
QString WithAccount(const QString &text, const QString &computer, const std::optional<perf_data::Account> &account);

// Why the account cannot stand in the file, empty when it can.
QString Unwritable(const perf_data::Account &account);

// Sets or removes the account in the file as WithAccount does, the file
// written anew for its owner alone. The error, naming the file, or empty.
QString Keep(const QString &path, const QString &computer, const std::optional<perf_data::Account> &account);

} // namespace credentials_file
