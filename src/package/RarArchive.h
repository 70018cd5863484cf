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

#include "descriptor/ByteSource.h"
#include "descriptor/Crc32.h"  // FILE_CRC of a member's data; its low 16 bits over a header are HEAD_CRC

namespace kestrane {

// MS-DOS date and time, as RAR 4 keeps a member's time: seconds / 2 in bits
// 0-4, minutes 5-10, hours 11-15, day 16-20, month 21-24, years since 1980
// 25-31.
struct CalendarTime {
    int year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};
// Years before 1980 and after 2107 are clamped; an odd second rounds down.
std::uint32_t DosDateTime(const CalendarTime& time);
inline constexpr std::uint32_t kDosEpoch = 0x00210000;  // 1980-01-01 00:00:00
// A local date and time in MS-DOS form, clamped as above.
std::uint32_t DosDateTime(std::chrono::local_seconds time);

// FILE_ATTRIBUTE_ARCHIVE: what Windows sets on every file written, and so
// what the archivers of the phone's time stored for the package's members.
inline constexpr std::uint32_t kArchiveAttribute = 0x20;

// A member as its header gives it; its data stays in the archive.
struct RarEntry {
    std::string name;
    std::uint64_t size = 0;
    std::uint64_t dataOffset = 0;  // where its data begins in the archive
    std::uint32_t crc = 0;         // FILE_CRC, which its data matched
    std::uint32_t dosTime = kDosEpoch;
    std::uint32_t attributes = kArchiveAttribute;
};

// Writes an archive member by member: the marker block and the archive
// header first, then each member's file header and its data, copied from
// its source in pieces with its FILE_CRC taken on the way and filled into
// the header once known, and the end-of-archive block last. Each write the
// sink takes is a call into the system (under Wine a trip to its server),
// and the headers are a few dozen bytes each: writes below kGathered bytes
// are gathered and handed on in one, before a bigger piece and at the End;
// a header filled in afterwards is filled in where it is still gathered.
// Throws std::length_error for a member of 4 GiB or more, or a name too
// long for a header, before any byte of that member is written; the
// source's and the sink's exceptions pass through.
class RarWriter {
public:
    explicit RarWriter(ByteSink& out);
    void Add(std::string name, ByteSource& data, std::uint32_t dosTime, std::uint32_t attributes = kArchiveAttribute);
    void End();
    // Every member written so far, as its header says.
    const std::vector<RarEntry>& Written() const { return written_; }

private:
    static constexpr std::size_t kGathered = 64 * 1024;
    void Put(std::string_view bytes);
    void HandOn();

    ByteSink& out_;
    std::uint64_t size_ = 0;
    std::string gathered_;        // the last bytes of size_, not yet handed on
    std::uint64_t handedOn_ = 0;  // size_ without them
    std::vector<RarEntry> written_;
};

// Reads an archive as written above, or by any RAR 4 archiver as long as it
// holds only stored, unencrypted members of one volume; every header's
// HEAD_CRC and every member's FILE_CRC is checked, the data read in pieces
// and not kept. Nothing, and `problem` says why in a few English words, when
// it is not such an archive; the source's exceptions pass through.
std::optional<std::vector<RarEntry>> ReadRarEntries(ByteSource& archive, std::string* problem = nullptr);

enum class ArchiveFormat {
    Rar4,   // "Rar!" 1A 07 00: what the phone reads
    Rar5,   // "Rar!" 1A 07 01 00: what RAR 5.0 and later write by default
    Other,  // neither, or too short to tell
};
ArchiveFormat FormatOf(std::string_view firstBytes);
// The same of an archive, from as many first bytes as tell the formats apart.
ArchiveFormat FormatOf(ByteSource& archive);

}  // namespace kestrane
