// The RAR5 format, as rar 5.50 and later write it by default: only what the
// stand-in needs to play such an archiver (stored members, one volume, no
// encryption). Laid out after the format's published description: the
// signature, then blocks of CRC32, size, type and flags, sizes and numbers
// as variable-length integers (7 bits a byte, low first, high bit "more").
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/RarInMemory.h"

namespace fakerar {

// Signature, main archive header, one file header with its data per member
// (stored, Windows host, modification time and CRC32 given), end of archive.
// A member's dosTime is taken as UTC for the Unix time RAR5 keeps.
std::string write_rar5_archive(const std::vector<kestrane::RarMember>& members);

// Reads an archive written above back; checks every header's and member's
// CRC32. Nothing, and `error` says why, for anything else.
std::optional<std::vector<kestrane::RarMember>> read_rar5_archive(std::string_view archive, std::string* error = nullptr);

}  // namespace fakerar
