// The one command the stand-in understands: `a -m0 -ep <archive> <files...>`,
// which is exactly what Kestrane writes into stj.bat.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rar4.hpp"

namespace fakerar {

// Exit codes; the numbers are the ones the real archiver uses for the same
// situations, so Kestrane sees what it would see in the field.
enum ExitCode : int {
    kExitOk = 0,
    kExitFatal = 2,         // existing archive unreadable or not a stored RAR 4.x archive
    kExitForcedFailure = 3, // FAKERAR_FAIL / rar.fail (the archiver's "CRC error" code)
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
// On a usage error returns nullopt and describes it in `error`.
std::optional<AddCommand> parse_command(const std::vector<std::string>& args, std::string& error);

// Creates or updates the archive.  Relative paths resolve against `cwd`; an
// archive name without extension gets ".rar" like with the real archiver.
// Every input is checked before the archive is touched, and the new archive
// replaces the old one only once it has been written completely.
int run_add(const AddCommand& command, const std::filesystem::path& cwd, std::ostream& messages);

std::filesystem::path path_from_utf8(std::string_view utf8);
std::string path_to_utf8(const std::filesystem::path& path);

// Last write time of a file, as DOS date/time in UTC.
std::uint32_t file_dos_time(const std::filesystem::path& path);

}  // namespace fakerar
