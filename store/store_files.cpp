#include "store/store_files.h"

#include <QFile>
#include <QFileInfo>

namespace {
const char *const kSideFiles[] = {"-wal", "-shm"};
} // namespace

void MakeSideFilesWritable(const QString &storePath)
{
    const QFileInfo store(storePath);
    if (!store.isWritable())
        return;
    for (const char *suffix : kSideFiles) {
        const QFileInfo side(storePath + QLatin1String(suffix));
        if (side.exists() && !side.isWritable())
            QFile::setPermissions(side.filePath(), store.permissions()); // a side file not ours stays as it is
    }
}

QString UnwritableStoreFile(const QString &storePath)
{
    const QFileInfo store(storePath);
    if (!store.isWritable())
        return store.filePath();
    for (const char *suffix : kSideFiles) {
        const QFileInfo side(storePath + QLatin1String(suffix));
        if (side.exists() ? !side.isWritable() : !QFileInfo(store.path()).isWritable())
            return side.exists() ? side.filePath() : store.path();
    }
    return QString();
}
