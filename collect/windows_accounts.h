#pragma once
// The accounts the program logs on to Windows computers with: one for all of
// them and one per computer, by its name as the computer list stores it,
// which overrides the first. Names match whatever their case, as computer
// names do on a network. Readings on any thread ask for them while the
// window's thread sets them.

#include "platform/perf_data.h"

#include <QHash>
#include <QString>
#include <mutex>
#include <optional>

class WindowsAccounts {
public:
    // Nothing clears the account.
    void SetDefault(std::optional<perf_data::Account> account);
    void SetFor(const QString &computer, std::optional<perf_data::Account> account);

    // The computer's own account, else the default one, else none (an empty
    // account: the platform's own logon).
    perf_data::Account For(const QString &computer) const;

private:
    mutable std::mutex mutex_;
    std::optional<perf_data::Account> default_;
    QHash<QString, perf_data::Account> perComputer_;
};
