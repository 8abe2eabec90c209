#include "tests/perfd/perfd_runner.h"

#include <QDeadlineTimer>
#include <QFile>
#include <sys/resource.h>
#include <unistd.h>

PerfdRunner::PerfdRunner(const QStringList &arguments, int descriptorLimit)
{
    process_.setReadChannel(QProcess::StandardError);
    if (descriptorLimit > 0) {
        process_.setChildProcessModifier([descriptorLimit] {
            const rlimit limit{rlim_t(descriptorLimit), rlim_t(descriptorLimit)};
            setrlimit(RLIMIT_NOFILE, &limit);
        });
    }
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

qint64 PerfdRunner::CpuMs() const
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(process_.processId()));
    if (!stat.open(QIODevice::ReadOnly)) return -1;
    const QByteArray text = stat.readAll();
    // Fields 14 and 15 (utime, stime) counted from the one after the name.
    const QList<QByteArray> f = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (f.size() < 13) return -1;
    const qint64 ticks = f[11].toLongLong() + f[12].toLongLong();
    return ticks * 1000 / sysconf(_SC_CLK_TCK);
}

QStringList PerfdArgs(const QTemporaryDir &proc, std::initializer_list<QString> more)
{
    QStringList args{QStringLiteral("--proc"), proc.path()};
    args += QStringList(more);
    return args;
}
