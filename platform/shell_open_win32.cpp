#include "platform/shell_open.h"

#include <cstdint>
#include <windows.h>

bool ShellOpen(const std::string &file, void *owner)
{
    const HINSTANCE result = ShellExecuteA(static_cast<HWND>(owner), "open", file.c_str(), nullptr,
                                           nullptr, SW_SHOWNORMAL);
    // Values above 32 mean success; the rest are error codes.
    return reinterpret_cast<std::intptr_t>(result) > 32;
}
