#include "platform/private_file.h"

// On Windows the program reads other computers as the user who is logged on
// and keeps no credentials file: there is none to read, and none is written.
namespace private_file
{

std::optional<std::string> Read(const std::string &, std::string &error)
{
    error.clear();
    return std::nullopt;
}

bool Write(const std::string &, const std::string &, std::string &error)
{
    error = "On Windows, Tarvenix logs on to other computers as you; keep other accounts in Windows "
            "Credential Manager";
    return false;
}

} // namespace private_file
