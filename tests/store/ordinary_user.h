#pragma once
// File permissions as an ordinary user meets them. Root ignores them, so a
// test running as root (as CI does) hands the folder to "nobody" and takes
// that identity for as long as this object lives; anyone else stays who they
// are, and the permissions already bind them.

#include <QDirIterator>
#include <QString>
#include <unistd.h>

class OrdinaryUser {
public:
    static constexpr uid_t kNobody = 65534;

    explicit OrdinaryUser(const QString &folder) : wasRoot_(geteuid() == 0)
    {
        if (!wasRoot_)
            return;
        Give(folder);
        QDirIterator entries(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
        while (entries.hasNext())
            Give(entries.next());
        // Real ids too, which access() checks; the saved ones let root return.
        ok_ = setresgid(kNobody, kNobody, 0) == 0 && setresuid(kNobody, kNobody, 0) == 0;
    }
    ~OrdinaryUser()
    {
        if (wasRoot_) {
            (void)!setresuid(0, 0, 0);
            (void)!setresgid(0, 0, 0);
        }
    }
    OrdinaryUser(const OrdinaryUser &) = delete;
    OrdinaryUser &operator=(const OrdinaryUser &) = delete;

    // False when root could not become "nobody".
    bool Ok() const { return ok_; }

private:
    static void Give(const QString &path) { (void)!chown(path.toLocal8Bit().constData(), kNobody, kNobody); }

    bool wasRoot_;
    bool ok_ = true;
};
