#include "ui/help_command.h"

#include "platform/shell_open.h"

#include <QWidget>

#include <utility>

namespace
{

HelpOpener &Opener()
{
    static HelpOpener opener = ShellOpen;
    return opener;
}

} // namespace

HelpOpener SetHelpOpener(HelpOpener opener)
{
    if (!opener) opener = ShellOpen;
    return std::exchange(Opener(), std::move(opener));
}

void OpenHelpFile(QWidget *mainWindow)
{
    void *owner = mainWindow ? reinterpret_cast<void *>(mainWindow->window()->winId()) : nullptr;
    // Whether it opened is not reported: a missing file or no handler for it
    // leaves the program as it was, with no message.
    Opener()(kHelpFile, owner);
}
