#pragma once
// "Help Index" (F1): hands the help file to the desktop's handler for it. The
// program says nothing of its own when the file is missing or nothing opens it.

#include <functional>
#include <string>

class QWidget;

// The name carries no directory: the file is looked for in the working directory.
inline constexpr const char *kHelpFile = "Tarvenix.chm";

// Same contract as ShellOpen: the file, the owner's native window handle.
using HelpOpener = std::function<bool(const std::string &file, void *owner)>;

// Replaces the opener (tests install a recording one); an empty one restores
// the platform's. Returns the one installed before.
HelpOpener SetHelpOpener(HelpOpener opener);

// What actHelpExecute runs; mainWindow owns whatever the handler shows.
void OpenHelpFile(QWidget *mainWindow);
