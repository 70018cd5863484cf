// Whole RAR 4 archives in memory, for the tests and the stand-in rar.exe:
// written by Kestrane's RarWriter and read by its ReadRarEntries, with each
// member's data at hand.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "package/RarArchive.h"

namespace kestrane {

struct RarMember {
    std::string name;  // bare name, UTF-8
    std::string data;
    std::uint32_t dosTime = kDosEpoch;  // local time, as the archiver found it on the file
    std::uint32_t attributes = kArchiveAttribute;
    bool operator==(const RarMember&) const = default;
};

std::string WriteRarArchive(const std::vector<RarMember>& members);
// Nothing, and `problem` says why, where ReadRarEntries refuses the archive.
std::optional<std::vector<RarMember>> ReadRarArchive(std::string_view archive, std::string* problem = nullptr);

// The fields of an MS-DOS date and time, as DosDateTime takes them.
CalendarTime FromDosDateTime(std::uint32_t dos);

}  // namespace kestrane
