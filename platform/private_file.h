#pragma once
// A file of secrets that only its owner may read, such as the credentials
// file: read only while nobody else can read it, and written so that nobody
// else ever can, not even while it is being written. Names are in the
// system's encoding of file names.

#include <optional>
#include <string>

namespace private_file
{

// The file's bytes. Nothing when it does not exist (error stays empty), or
// when it cannot be used: then error names the file and says why.
std::optional<std::string> Read(const std::string &path, std::string &error);

// Replaces the file at once by one that only its owner may read and write,
// in a folder that exists. False, with the reason in error.
bool Write(const std::string &path, const std::string &bytes, std::string &error);

} // namespace private_file
