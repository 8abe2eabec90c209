#pragma once
// Runs one command of tarvenix-store on its store and says what it did;
// gives the process's exit status. Failures raise EUsage or Exception.

#include <cstdio>

struct ToolOptions;

enum ExitStatus { kDone = 0, kProblemsFound = 1, kBadArguments = 2, kStoreFailed = 3 };

int RunToolCommand(const ToolOptions &options, std::FILE *out, std::FILE *log);
