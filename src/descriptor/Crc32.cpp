#include "descriptor/Crc32.h"

#include <zlib.h>
#ifdef KESTRANE_LIBDEFLATE
#include <libdeflate.h>
#endif

#include <algorithm>
#include <cstddef>

namespace kestrane {

std::uint32_t Crc32(std::string_view bytes, std::uint32_t crc) {
#ifdef KESTRANE_LIBDEFLATE
    // libdeflate's is the same CRC-32, with the processor's carry-less multiply where it has one.
    return libdeflate_crc32(crc, bytes.data(), bytes.size());
#else
    // zlib's is the same CRC-32, several bytes at a time; it counts in uInt.
    constexpr std::size_t kLargestStep = 1u << 30;
    while (!bytes.empty()) {
        const std::size_t step = std::min(bytes.size(), kLargestStep);
        crc = static_cast<std::uint32_t>(
            crc32(crc, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(step)));
        bytes.remove_prefix(step);
    }
    return crc;
#endif
}

}  // namespace kestrane
