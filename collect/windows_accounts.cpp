#include "collect/windows_accounts.h"

void WindowsAccounts::SetDefault(std::optional<perf_data::Account> account)
{
    const std::lock_guard lock(mutex_);
    default_ = std::move(account);
}

void WindowsAccounts::SetFor(const QString &computer, std::optional<perf_data::Account> account)
{
    const std::lock_guard lock(mutex_);
    if (account)
        perComputer_.insert(computer.toCaseFolded(), std::move(*account));
    else
        perComputer_.remove(computer.toCaseFolded());
}

perf_data::Account WindowsAccounts::For(const QString &computer) const
{
    const std::lock_guard lock(mutex_);
    const auto own = perComputer_.constFind(computer.toCaseFolded());
    if (own != perComputer_.constEnd())
        return *own;
    return default_.value_or(perf_data::Account{});
}
