// Writes a service-built block as the fuzzer's first seed.
#include "perfd/perf_block_writer.h"

#include <QFile>

int main(int argc, char **argv)
{
    if (argc != 2) return 2;
    const std::vector<PerfProcess> table{{QStringLiteral("init"), 1, 0, 4096, 1, 20},
                                         {QStringLiteral("caf\u00e9"), 2, 1, 8192, 3, 39}};
    QFile out(QString::fromLocal8Bit(argv[1]));
    const QByteArray block = BuildPerfDataBlock(table, QStringLiteral("SEED"));
    return out.open(QIODevice::WriteOnly) && out.write(block) == block.size() ? 0 : 1;
}
