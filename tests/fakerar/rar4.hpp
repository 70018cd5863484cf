// Reading and writing of RAR 4.x archives whose members are all stored
// (method 0x30, no compression).  This is all the test stand-in for rar.exe
// needs: Kestrane asks the archiver for `a -m0 -ep`, so an STJ package is a
// plain sequence of stored members with bare file names.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fakerar {

using Bytes = std::vector<std::uint8_t>;

// CRC-32 (IEEE 802.3, reflected polynomial 0xEDB88320), as used for FILE_CRC;
// the low 16 bits of it over a header give HEAD_CRC.
std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);

struct DateTime {
    int year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// MS-DOS date/time as stored in FTIME: seconds/2 in bits 0-4, minutes 5-10,
// hours 11-15, day 16-20, month 21-24, years since 1980 in 25-31.
// Years outside 1980..2107 are clamped.
std::uint32_t dos_time(const DateTime& t);
DateTime from_dos_time(std::uint32_t dos);

inline constexpr std::uint32_t kAttrArchive = 0x20;  // FILE_ATTRIBUTE_ARCHIVE
inline constexpr std::uint8_t kHostWindows = 2;
inline constexpr std::uint8_t kUnpackVersion = 29;
inline constexpr std::uint8_t kMethodStore = 0x30;

struct Member {
    std::string name;  // bare file name, UTF-8
    Bytes data;
    std::uint32_t ftime = dos_time({});
    std::uint32_t attributes = kAttrArchive;
};

// A whole archive: marker block, main header, one file header plus data per
// member, end-of-archive block.  Throws std::length_error for a member that
// does not fit the 32-bit size fields.
Bytes write_archive(const std::vector<Member>& members);

// Parses an archive written by write_archive or by any RAR 4.x archiver, as
// long as it holds only stored, unencrypted, single-volume members.  Header
// and data checksums are verified.  On failure returns nullopt and, if `error`
// is given, a short description of what is wrong.
std::optional<std::vector<Member>> read_archive(const Bytes& archive, std::string* error = nullptr);

// File names compare like on Windows: ASCII letters case-insensitively.
bool same_name(std::string_view a, std::string_view b);

// Adds `added` to `members` the way `rar a` updates an archive: a member with
// the same name is replaced in place, anything else is appended.
void add_or_replace(std::vector<Member>& members, Member added);

}  // namespace fakerar
