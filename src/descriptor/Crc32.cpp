#include "descriptor/Crc32.h"

#include <zlib.h>
#ifdef KESTRANE_LIBDEFLATE
#include <libdeflate.h>
#endif

namespace kestrane {

std::uint32_t Crc32(std::string_view bytes, std::uint32_t crc) {
#ifdef KESTRANE_LIBDEFLATE
    // libdeflate's is the same CRC-32, with the processor's carry-less multiply where it has one.
    return libdeflate_crc32(crc, bytes.data(), bytes.size());
#else
    // zlib's is the same CRC-32, several bytes at a time; crc32_z counts in size_t.
    return static_cast<std::uint32_t>(crc32_z(crc, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
#endif
}

}  // namespace kestrane
