#pragma once
// Runs build/tarvenix-perfd for one test and stops it at the end.

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

class PerfdRunner
{
public:
    // Waits until the service says it listens on every --listen address.
    explicit PerfdRunner(const QStringList &arguments);
    ~PerfdRunner();
    bool Listening() const { return listening_; }
    QProcess &Process() { return process_; }
    // The log so far.
    QString Log();

private:
    QProcess process_;
    QByteArray log_;
    bool listening_ = false;
};

// --proc with the fixture directory, then more.
QStringList PerfdArgs(const QTemporaryDir &proc, std::initializer_list<QString> more);
