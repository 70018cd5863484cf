// CRC-32 with the reflected polynomial 0xEDB88320: the check sum of a JAR's
// entries and of a package's members and headers.
#pragma once

#include <cstdint>
#include <string_view>

namespace kestrane {

// `crc` carries on from an earlier piece.
std::uint32_t Crc32(std::string_view bytes, std::uint32_t crc = 0);

}  // namespace kestrane
