#pragma once
// What the "Windows logon" dialog asks of whoever keeps the accounts for
// Windows computers. A computer's name as the computer list stores it; an
// empty name stands for all Windows computers.

#include "platform/perf_data.h"

#include <QString>
#include <functional>
#include <optional>

class QObject;

class WindowsLogonKeeping {
public:
    enum class Place { None, SecretStore, File };
    struct Kept {
        std::optional<perf_data::Account> account;
        Place place = Place::None;
        QString problem; // why the secret store gave no password for it at start
    };
    // The error, in a sentence, or empty when it went well.
    using Done = std::function<void(const QString &error)>;

    virtual ~WindowsLogonKeeping() = default;

    // What is kept for exactly this name, without falling back to all computers.
    virtual Kept Of(const QString &computer) const = 0;
    virtual QString FilePath() const = 0;

    // Done runs once the store has answered, unless context is gone by then;
    // the account is in use from then on.
    virtual void KeepInSecretStore(const QString &computer, const perf_data::Account &account, QObject *context,
                                   Done done) = 0;
    // In use at once when no error comes back.
    virtual QString KeepInFile(const QString &computer, const perf_data::Account &account) = 0;
    // Out of use at once; done tells whether the store let go of the password.
    virtual void Remove(const QString &computer, QObject *context, Done done) = 0;
};
