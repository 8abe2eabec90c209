#include "perfd/perfd_log.h"

#include <cstdio>

void PerfdLog(std::string_view line)
{
    std::fprintf(stderr, "tarvenix-perfd: %.*s\n", int(line.size()), line.data());
    std::fflush(stderr);
}
