#include "tests/perfd/perfd_runner.h"

#include <QDeadlineTimer>

PerfdRunner::PerfdRunner(const QStringList &arguments)
{
    process_.setReadChannel(QProcess::StandardError);
    process_.start(QStringLiteral(TARVENIX_PERFD_PATH), arguments);
    const int wanted = int(arguments.count(QStringLiteral("--listen")));
    const QDeadlineTimer deadline(10000);
    while (log_.count("listening on") < wanted && process_.state() != QProcess::NotRunning &&
           process_.waitForReadyRead(int(deadline.remainingTime())))
        log_ += process_.readAllStandardError();
    listening_ = log_.count("listening on") == wanted;
}

PerfdRunner::~PerfdRunner()
{
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) process_.kill();
    process_.waitForFinished(5000);
}

QString PerfdRunner::Log()
{
    // The service writes before it answers, so what it wrote is in the pipe.
    while (process_.waitForReadyRead(50))
        log_ += process_.readAllStandardError();
    log_ += process_.readAllStandardError();
    return QString::fromLocal8Bit(log_);
}

QStringList PerfdArgs(const QTemporaryDir &proc, std::initializer_list<QString> more)
{
    QStringList args{QStringLiteral("--proc"), proc.path()};
    args += QStringList(more);
    return args;
}
