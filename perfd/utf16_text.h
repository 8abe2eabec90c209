#pragma once
// UTF-8 bytes (process names) as the UTF-16 the performance data layout holds.

#include <string>
#include <string_view>

// Each byte that does not belong to a valid sequence becomes U+FFFD, as
// Qt's decoder does.
std::u16string Utf8ToUtf16(std::string_view text);
