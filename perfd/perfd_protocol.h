#pragma once
// The stand-in service's wire format. Every integer is unsigned 32-bit
// little-endian. A request is "TPD1", op, length, payload; an answer is
// "TPD1", status, length, payload. Op 3 gets no answer.

#include <cstdint>

namespace perfd_protocol
{

inline constexpr char kMagic[4] = {'T', 'P', 'D', '1'};
inline constexpr int kFrameHeaderSize = 12;
inline constexpr std::uint32_t kMaxRequestPayload = 4096;

enum Op : std::uint32_t { OpConnect = 1, OpQuery = 2, OpClose = 3 };

} // namespace perfd_protocol
