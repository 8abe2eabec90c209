#include "app/account_keeper.h"

#include "app/settings.h"
#include "collect/credentials_file.h"
#include "core/exception.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <qt6keychain/keychain.h>

namespace
{

const QString kService = QStringLiteral("Tarvenix");
// The user names of the accounts in the store, by case-folded computer name
// ("" for all computers), as one JSON object.
const QString kIndex = QStringLiteral("Windows logons");

QString Fold(const QString &computer) { return computer.toCaseFolded(); }

QString StoreKey(const QString &name)
{
    return name.isEmpty() ? QStringLiteral("Windows logon") : QStringLiteral("Windows logon: ") + name;
}

QJsonObject ReadIndex()
{
    const UserSettings settings;
    return QJsonDocument::fromJson(settings.Read(kIndex, QStringLiteral("{}")).toUtf8()).object();
}

void WriteIndex(const QJsonObject &index)
{
    UserSettings settings;
    settings.Write(kIndex, QString::fromUtf8(QJsonDocument(index).toJson(QJsonDocument::Compact)));
}

QString StoreFailure(const QKeychain::Job &job)
{
    if (job.error() == QKeychain::EntryNotFound)
        return QStringLiteral("it holds no password for this account");
    return job.errorString().isEmpty() ? QStringLiteral("error %1").arg(int(job.error())) : job.errorString();
}

// Jobs have no parent: one still under way when the keeper goes finishes on
// its own instead of leaving the secret store a dangling callback.
template <class Job> Job *NewJob(const QString &name)
{
    auto *job = new Job(kService);
    job->setKey(StoreKey(name));
    return job;
}

} // namespace

AccountKeeper::AccountKeeper(WindowsAccounts &accounts, QString filePath, QObject *parent)
    : QObject(parent), accounts_(accounts), filePath_(std::move(filePath))
{
}

void AccountKeeper::Load()
{
    const credentials_file::Reading reading = credentials_file::Read(filePath_);
    if (reading.accounts.all)
        Record(QString(), *reading.accounts.all, Place::File);
    for (auto it = reading.accounts.computers.begin(); it != reading.accounts.computers.end(); ++it)
        Record(it.key(), it.value(), Place::File);
    try {
        const QJsonObject index = ReadIndex();
        for (auto it = index.begin(); it != index.end(); ++it)
            if (it->isString())
                AskStoreFor(it.key(), it->toString());
    } catch (const Exception &) {
        // Settings that cannot be read have been told of already, as the
        // program started: the store is not asked then.
    }
    if (!reading.error.isEmpty())
        throw Exception(reading.error);
}

WindowsLogonKeeping::Kept AccountKeeper::Of(const QString &computer) const { return kept_.value(Fold(computer)); }

void AccountKeeper::AskStoreFor(const QString &name, const QString &user)
{
    auto *job = NewJob<QKeychain::ReadPasswordJob>(name);
    connect(job, &QKeychain::Job::finished, this, [this, job, name, user, change = changes_.value(name)] {
        if (changes_.value(name) != change)
            return;
        if (job->error() != QKeychain::NoError)
            kept_[name].problem = StoreFailure(*job);
        else
            Record(name, {user.toStdString(), job->textData().toStdString()}, Place::SecretStore);
    });
    job->start();
}

void AccountKeeper::KeepInSecretStore(const QString &computer, const perf_data::Account &account, QObject *context,
                                      Done done)
{
    const QString name = Fold(computer);
    auto *job = NewJob<QKeychain::WritePasswordJob>(name);
    job->setTextData(QString::fromStdString(account.password));
    connect(job, &QKeychain::Job::finished, this,
            [this, job, computer, account, name, change = Change(name), done, context = QPointer(context)] {
                QString error;
                if (job->error() != QKeychain::NoError)
                    error = QStringLiteral("No secret store took the password (%1).").arg(StoreFailure(*job));
                else if (changes_.value(name) == change) // else a later change has its own say
                    error = StoredInStore(computer, account);
                if (context)
                    done(error);
            });
    job->start();
}

QString AccountKeeper::StoredInStore(const QString &computer, const perf_data::Account &account)
{
    const QString name = Fold(computer);
    try {
        QJsonObject index = ReadIndex();
        index.insert(name, QString::fromStdString(account.user));
        WriteIndex(index);
    } catch (const Exception &e) {
        return e.message();
    }
    const bool inFile = kept_.value(name).place == Place::File;
    Record(computer, account, Place::SecretStore);
    if (!inFile)
        return {};
    const QString error = credentials_file::Keep(filePath_, computer, std::nullopt);
    return error.isEmpty() ? QString()
                           : QStringLiteral("Kept in the secret store, but the earlier account stays in the file: %1")
                                 .arg(error);
}

QString AccountKeeper::KeepInFile(const QString &computer, const perf_data::Account &account)
{
    const QString name = Fold(computer);
    Change(name);
    const QString error = credentials_file::Keep(filePath_, computer, account);
    if (!error.isEmpty())
        return error;
    Record(computer, account, Place::File);
    try {
        ForgetInStore(name);
    } catch (const Exception &e) {
        return e.message();
    }
    return {};
}

void AccountKeeper::ForgetInStore(const QString &name)
{
    QJsonObject index = ReadIndex();
    if (!index.contains(name))
        return;
    index.remove(name);
    WriteIndex(index);
    auto *job = NewJob<QKeychain::DeletePasswordJob>(name);
    connect(job, &QKeychain::Job::finished, this, [job] {
        if (job->error() != QKeychain::NoError && job->error() != QKeychain::EntryNotFound)
            qWarning("The secret store kept the password of an account no longer used: %s",
                     qUtf8Printable(job->errorString()));
    });
    job->start();
}

void AccountKeeper::Remove(const QString &computer, QObject *context, Done done)
{
    const QString name = Fold(computer);
    Change(name);
    kept_.remove(name);
    Use(computer, std::nullopt);
    QString error = credentials_file::Keep(filePath_, computer, std::nullopt);
    bool inStore = false;
    try {
        QJsonObject index = ReadIndex();
        inStore = index.contains(name);
        index.remove(name);
        if (inStore)
            WriteIndex(index);
    } catch (const Exception &e) {
        error = e.message();
    }
    if (!inStore) {
        done(error);
        return;
    }
    auto *job = NewJob<QKeychain::DeletePasswordJob>(name);
    connect(job, &QKeychain::Job::finished, this, [job, error, done, context = QPointer(context)] {
        const bool kept = job->error() != QKeychain::NoError && job->error() != QKeychain::EntryNotFound;
        QString said = error;
        if (kept)
            said += QStringLiteral(" The secret store still holds the password (%1).").arg(StoreFailure(*job));
        if (context)
            done(said.trimmed());
    });
    job->start();
}

void AccountKeeper::Record(const QString &computer, const perf_data::Account &account, Place place)
{
    kept_.insert(Fold(computer), {account, place, {}});
    Use(computer, account);
}

void AccountKeeper::Use(const QString &computer, const std::optional<perf_data::Account> &account)
{
    if (computer.isEmpty())
        accounts_.SetDefault(account);
    else
        accounts_.SetFor(computer, account);
}
