// The RAR archive of the phone's time (RAR 4, the format RAR 2.9 to 4.x
// wrote): the STJ package is one, with its members stored as they are, under
// bare names, as "rar a -m0 -ep" made it. Written and read back here, so
// that Kestrane needs no archiver of its own choosing; today's archivers
// write RAR5 by default, which the phone cannot read.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrane {

// CRC-32 as RAR uses it (reflected polynomial 0xEDB88320, the one of ZIP):
// FILE_CRC of a member's data; its low 16 bits over a header are HEAD_CRC.
// `crc` carries on from an earlier piece.
std::uint32_t Crc32(std::string_view bytes, std::uint32_t crc = 0);

// MS-DOS date and time, as RAR 4 keeps a member's time: seconds / 2 in bits
// 0-4, minutes 5-10, hours 11-15, day 16-20, month 21-24, years since 1980
// 25-31.
struct CalendarTime {
    int year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};
// Years before 1980 and after 2107 are clamped; an odd second rounds down.
std::uint32_t DosDateTime(const CalendarTime& time);
CalendarTime FromDosDateTime(std::uint32_t dos);
inline constexpr std::uint32_t kDosEpoch = 0x00210000;  // 1980-01-01 00:00:00
// A local date and time in MS-DOS form, clamped as above.
std::uint32_t DosDateTime(std::chrono::local_seconds time);

// FILE_ATTRIBUTE_ARCHIVE: what Windows sets on every file written, and so
// what the archivers of the phone's time stored for the package's members.
inline constexpr std::uint32_t kArchiveAttribute = 0x20;

struct RarMember {
    std::string name;  // bare name, UTF-8
    std::string data;
    std::uint32_t dosTime = kDosEpoch;  // local time, as the archiver found it on the file
    std::uint32_t attributes = kArchiveAttribute;
};

// The whole archive: marker block, archive header, each member's file header
// followed by its data, end-of-archive block. Throws std::length_error for a
// member of 4 GiB or more, or a name too long for a header.
std::string WriteRarArchive(const std::vector<RarMember>& members);

// Reads an archive as written above, or by any RAR 4 archiver as long as it
// holds only stored, unencrypted members of one volume; every header's
// HEAD_CRC and every member's FILE_CRC is checked. Nothing, and `problem`
// says why in a few English words, when it is not such an archive.
std::optional<std::vector<RarMember>> ReadRarArchive(std::string_view archive, std::string* problem = nullptr);

enum class ArchiveFormat {
    Rar4,   // "Rar!" 1A 07 00: what the phone reads
    Rar5,   // "Rar!" 1A 07 01 00: what RAR 5.0 and later write by default
    Other,  // neither, or too short to tell
};
// As many first bytes as tell the formats apart.
inline constexpr std::size_t kFormatProbeSize = 8;
ArchiveFormat FormatOf(std::string_view firstBytes);

}  // namespace kestrane
