#pragma once
// A monitoring store as tarvenix-store opens it: an existing file only, one
// that holds the program's five tables. Another program's lock is waited for
// up to the given time; past it, the failure says that the store is locked.

#include "core/exception.h"

#include <QList>
#include <QString>

struct sqlite3;

// The command line asks for something that cannot be done.
class EUsage : public Exception {
    using Exception::Exception;
};

class StoreFile {
public:
    enum class Access { Read, Write };

    StoreFile(const QString &path, Access access, int waitSeconds);
    ~StoreFile();
    StoreFile(const StoreFile &) = delete;
    StoreFile &operator=(const StoreFile &) = delete;

    sqlite3 *Handle() const { return db_; }
    const QString &Path() const { return path_; }
    qint64 SizeInBytes() const;

    void Execute(const QString &sql);
    // The first column of the first row, 0 for a null or no row.
    qint64 Scalar(const QString &sql);
    // The IDs of the computers listed under the name; EUsage when none is.
    QList<qint64> ComputerIds(const QString &name);

    // Runs work on the store; a failure because another program held its
    // lock for longer than the wait is told as such.
    template <class Work> auto Run(Work &&work)
    {
        try {
            return work();
        } catch (const EDatabaseError &error) {
            RethrowNamingTheLock(error);
        }
    }

private:
    void CheckTables();
    [[noreturn]] void RethrowNamingTheLock(const EDatabaseError &error) const;

    QString path_;
    int waitSeconds_;
    sqlite3 *db_ = nullptr;
};
