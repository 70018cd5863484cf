// The one command the stand-in understands: `a -m0 -ep <archive> <files...>`,
// which is exactly what Kestrane writes into stj.bat.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/RarInMemory.h"

namespace fakerar {

using Member = kestrane::RarMember;

// Which archive format the stand-in writes: RAR 4 as the archivers of the
// phone's time did, or RAR5 as rar 5.50 and later do by default.
enum class Format { Rar4, Rar5 };

// Exit codes; the numbers are the ones the real archiver uses for the same
// situations, so Kestrane sees what it would see in the field.
enum ExitCode : int {
    kExitOk = 0,
    kExitFatal = 2,         // existing archive unreadable or not a stored archive of the format written
    kExitForcedFailure = 3, // FAKERAR_FAIL / rar.fail (the archiver's "CRC error" code)
    kExitWriteError = 5,    // FAKERAR_HALF / rar.half: half the archive written
    kExitOpenError = 6,     // an input file exists but cannot be read
    kExitUsage = 7,         // unknown command, unknown switch, missing -m0/-ep, archive or files
    kExitCreateError = 9,   // the archive cannot be written
    kExitNoFiles = 10,      // an input file does not exist
};

struct AddCommand {
    std::string archive;             // UTF-8, as given
    std::vector<std::string> files;  // UTF-8, as given
};

// Parses the arguments after the program name.  Switches may come in any
// order but only before the archive name; `-m0` and `-ep` are both required
// because the stand-in can only store members under their bare names.
// On a usage error returns nullopt and describes it in `error`; as RAR5
// writer it says what rar 7 says of a switch it does not know, "-ma4"
// included: "ERROR: Unknown option: ma4".
std::optional<AddCommand> parse_command(const std::vector<std::string>& args, std::string& error,
                                        Format format = Format::Rar4);

// Creates or updates the archive in `format`.  Relative paths resolve
// against `cwd`; an archive name without extension gets ".rar" like with the
// real archiver.  Every input is checked before the archive is touched, and
// the new archive replaces the old one only once it has been written
// completely; with `half`, only half of it is written, straight under its
// name, and the run fails with kExitWriteError.
int run_add(const AddCommand& command, const std::filesystem::path& cwd, std::ostream& messages,
            Format format = Format::Rar4, bool half = false);

// File names compare like on Windows: ASCII letters case-insensitively.
bool same_name(std::string_view a, std::string_view b);

// Adds `added` to `members` the way `rar a` updates an archive: a member with
// the same name is replaced in place, anything else is appended.
void add_or_replace(std::vector<Member>& members, Member added);

std::filesystem::path path_from_utf8(std::string_view utf8);
std::string path_to_utf8(const std::filesystem::path& path);

// Last write time of a file, as MS-DOS date/time in UTC.
std::uint32_t file_dos_time(const std::filesystem::path& path);

}  // namespace fakerar
