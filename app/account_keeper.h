#pragma once
// Keeps the accounts for Windows computers between runs and puts them in use.
// A password goes to the desktop's secret store through QtKeychain (a Secret
// Service or KWallet), its user name to software.ini, so that the store is
// asked at start for what it holds; where no store answers, whole accounts go
// to the credentials file. For one name the store's account is used over the
// file's. Nothing here waits on the store: it answers through the event loop.

#include "collect/windows_accounts.h"
#include "ui/windows_logon_keeping.h"

#include <QHash>
#include <QObject>

class AccountKeeper : public QObject, public WindowsLogonKeeping {
    Q_OBJECT
public:
    AccountKeeper(WindowsAccounts &accounts, QString filePath, QObject *parent = nullptr);

    // Puts the file's accounts in use at once and the store's as it answers.
    // Raises Exception, naming the file, when the file cannot be used; the
    // store is asked all the same, unless the settings cannot be read.
    void Load();

    Kept Of(const QString &computer) const override;
    QString FilePath() const override { return filePath_; }
    void KeepInSecretStore(const QString &computer, const perf_data::Account &account, QObject *context,
                           Done done) override;
    QString KeepInFile(const QString &computer, const perf_data::Account &account) override;
    void Remove(const QString &computer, QObject *context, Done done) override;

private:
    void AskStoreFor(const QString &name, const QString &user);
    QString StoredInStore(const QString &computer, const perf_data::Account &account);
    // The index entry goes, and the store is told to drop the password.
    void ForgetInStore(const QString &name);
    void Record(const QString &computer, const perf_data::Account &account, Place place);
    void Use(const QString &computer, const std::optional<perf_data::Account> &account);
    // Each change of a name counts up, so that an answer asked for before it is dropped.
    int Change(const QString &name) { return ++changes_[name]; }

    WindowsAccounts &accounts_;
    QString filePath_;
    QHash<QString, Kept> kept_; // by case-folded name
    QHash<QString, int> changes_;
};
