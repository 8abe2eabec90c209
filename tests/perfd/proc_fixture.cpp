#include "tests/perfd/proc_fixture.h"

#include <QDir>
#include <QFile>

namespace
{
void WriteFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}
} // namespace

void WriteFixtureProcess(const QString &dir, const FixtureProcess &p)
{
    const QString at = dir + QLatin1Char('/') + QString::number(p.pid);
    QDir().mkpath(at);
    WriteFile(at + "/comm", p.comm + '\n');
    const QByteArray stat = QByteArray::number(p.pid) + " (" + p.comm + ") S " +
                            QByteArray::number(p.ppid) + " 1 1 0 -1 4194560 100 0 0 0 5 3 0 0 " +
                            QByteArray::number(p.priority) + " 0 " + QByteArray::number(p.threads) +
                            " 0 12345 1000 200\n";
    WriteFile(at + "/stat", stat);
    QByteArray status = "Name:\t" + p.comm + "\nState:\tS (sleeping)\n";
    if (!p.vmRssKb.isEmpty()) status += "VmRSS:\t  " + p.vmRssKb + " kB\n";
    WriteFile(at + "/status", status + "Threads:\t" + QByteArray::number(p.threads) + '\n');
}

void WriteWorkers(const QString &dir, int count)
{
    for (int i = 0; i < count; ++i)
        WriteFixtureProcess(dir, {1000 + i, "worker-" + QByteArray::number(i), 1, 20, 2, "64"});
}

void WriteInitAndWorkers(const QString &dir, int count)
{
    WriteFixtureProcess(dir, {1, "init", 0, 20, 1, "9000"});
    WriteWorkers(dir, count);
}
