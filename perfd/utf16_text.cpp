#include "perfd/utf16_text.h"

#include <cstdint>

namespace
{

constexpr char16_t kReplacement = 0xFFFD;

// The length of the sequence that starts with lead, and the lead's bits; 0 for
// a byte that cannot start one.
int SequenceLength(unsigned char lead, char32_t &bits)
{
    if (lead < 0x80) return bits = lead, 1;
    if (lead >= 0xC2 && lead < 0xE0) return bits = lead & 0x1F, 2;
    if (lead >= 0xE0 && lead < 0xF0) return bits = lead & 0x0F, 3;
    if (lead >= 0xF0 && lead < 0xF5) return bits = lead & 0x07, 4;
    return 0;
}

// Overlong forms, surrogates and values past U+10FFFF are not valid UTF-8.
bool Valid(char32_t c, int length)
{
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    return c >= kSmallest[length] && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

void Append(std::u16string &out, char32_t c)
{
    if (c < 0x10000) return out.push_back(char16_t(c));
    c -= 0x10000;
    out.push_back(char16_t(0xD800 + (c >> 10)));
    out.push_back(char16_t(0xDC00 + (c & 0x3FF)));
}

} // namespace

std::u16string Utf8ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        char32_t c = 0;
        const int length = SequenceLength(static_cast<unsigned char>(text[i]), c);
        int taken = 1;
        while (length > 0 && taken < length && i + size_t(taken) < text.size() &&
               (static_cast<unsigned char>(text[i + size_t(taken)]) & 0xC0) == 0x80)
            c = (c << 6) | (static_cast<unsigned char>(text[i + size_t(taken++)]) & 0x3F);
        const bool whole = length > 0 && taken == length && Valid(c, length);
        if (whole) Append(out, c);
        else out.push_back(kReplacement);
        i += whole ? size_t(length) : 1;
    }
    return out;
}
