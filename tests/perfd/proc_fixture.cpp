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
    // All 52 fields, as a kernel of today writes them; flags is field 9,
    // priority 18, nice 19, threads 20, policy 41.
    const int priority = p.policy == 1 || p.policy == 2 ? -2 : 20 + p.nice;
    const QByteArray flags = QByteArray::number(p.kernelThread ? 0x00208040 : 0x00400100);
    const QByteArray stat =
        QByteArray::number(p.pid) + " (" + p.comm + ") S " + QByteArray::number(p.ppid) +
        " 1 1 0 -1 " + flags + " 100 0 0 0 5 3 0 0 " + QByteArray::number(priority) + ' ' +
        QByteArray::number(p.nice) + ' ' + QByteArray::number(p.threads) +
        " 0 12345 1000 200 18446744073709551615 1 1 0 0 0 0 0 4096 0 0 0 0 17 1 " +
        QByteArray::number(p.policy == 1 || p.policy == 2 ? 1 : 0) + ' ' +
        QByteArray::number(p.policy) + " 0 0 0 0 0 0 0 0 0 0 0\n";
    WriteFile(at + "/stat", stat);
    QByteArray status = "Name:\t" + p.comm + "\nState:\tS (sleeping)\n";
    if (!p.vmRssKb.isEmpty()) status += "VmRSS:\t  " + p.vmRssKb + " kB\n";
    WriteFile(at + "/status", status + "Threads:\t" + QByteArray::number(p.threads) + '\n');
}

void WriteWorkers(const QString &dir, int count)
{
    for (int i = 0; i < count; ++i)
        WriteFixtureProcess(dir, {1000 + i, "worker-" + QByteArray::number(i), 1, 0, 2, "64"});
}

void WriteInitAndWorkers(const QString &dir, int count)
{
    WriteFixtureProcess(dir, {1, "init", 0, 0, 1, "9000"});
    WriteWorkers(dir, count);
}
