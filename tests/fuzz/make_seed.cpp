// Writes a service-built block as the fuzzer's first seed.
#include "perfd/perf_block_writer.h"

#include <QFile>

int main(int argc, char **argv)
{
    if (argc != 2) return 2;
    const std::vector<TProcessRecord> table{{"init", 1, 0, 4096, 1, 8},
                                         {"caf\u00e9", 70000, 1, 6LL << 30, 3, 24}};
    QFile out(QString::fromLocal8Bit(argv[1]));
    const std::string block = BuildPerfDataBlock(table, "SEED");
    return out.open(QIODevice::WriteOnly) && out.write(block.data(), qint64(block.size())) ==
                                                 qint64(block.size())
               ? 0
               : 1;
}
