#pragma once
// A UTF-16 instance name as the locale's narrow encoding keeps it (the
// system's ANSI code page on Windows, UTF-8 on current Linux systems):
// characters it cannot represent become "?".

#include <QString>

QString NarrowName(const char16_t *text, qsizetype length);
