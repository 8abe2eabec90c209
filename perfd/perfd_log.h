#pragma once
// The service's log: one line on standard error, which systemd's journal keeps.

#include <string_view>

void PerfdLog(std::string_view line);
