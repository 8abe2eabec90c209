#pragma once
// Hands a file to the desktop's default handler for its type, as the shell's
// "open" verb does. A name without a directory is taken from the working
// directory.

#include <string>

// owner: the native handle of the window that owns whatever the handler shows,
// or nullptr. Returns false when nothing was handed over (no such file, or no
// handler took it). The name is in the system's narrow (8-bit) encoding.
bool ShellOpen(const std::string &file, void *owner);
