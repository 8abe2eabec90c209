#pragma once
// Runs build/tarvenix-perfd for one test and stops it at the end.

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

class PerfdRunner
{
public:
    // Waits until the service says it listens on every --listen address.
    // A descriptorLimit above 0 becomes the service's RLIMIT_NOFILE.
    explicit PerfdRunner(const QStringList &arguments, int descriptorLimit = 0);
    ~PerfdRunner();
    bool Listening() const { return listening_; }
    QProcess &Process() { return process_; }
    // The log so far.
    QString Log();
    // User and system time the service has used so far.
    qint64 CpuMs() const;

private:
    QProcess process_;
    QByteArray log_;
    bool listening_ = false;
};

// --proc with the fixture directory, then more.
QStringList PerfdArgs(const QTemporaryDir &proc, std::initializer_list<QString> more);
