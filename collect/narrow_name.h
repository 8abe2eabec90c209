#pragma once
// A UTF-16 instance name as the locale's narrow encoding keeps it (the
// system's ANSI code page on Windows, UTF-8 on current Linux systems):
// characters it cannot represent become "?". The result is UTF-8.

#include <string>
#include <string_view>

std::string NarrowName(std::u16string_view text);
