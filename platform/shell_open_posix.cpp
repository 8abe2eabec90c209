#include "platform/shell_open.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

// Desktops here have no owner window for the handler they start.
bool ShellOpen(const std::string &file, void *)
{
    const QFileInfo info(QString::fromLocal8Bit(file));
    // The desktop's handlers open a browser or an error dialog of their own for a missing file.
    if (!info.isFile()) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}
