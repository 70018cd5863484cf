// "stj.bat": the one line that has the archiver store the members in the
// STJ file. It lives in, and runs in, the folder of the user's rar.exe.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "package/SystemPort.h"

namespace kestrane {

inline constexpr std::string_view kBatchFileName = "stj.bat";

// The part of `path` before its last backslash (a forward slash counts as
// one); a root keeps its backslash ("C:\" for "C:\rar.exe", "\" for
// "\rar.exe"); empty for a bare name or an empty path.
std::string ParentFolder(std::string_view path);

// The parent folder of the rar.exe path with exactly one trailing backslash:
// "\" (the root of the current drive) for a bare name or an empty field.
std::string BatchFolder(std::string_view rarPath);

// <program> a -m0 -ep "<stj>" "<jah>" "<utf>" "<ini>" ["<obj>"], with no
// line end: add, store without compression, bare member names. The
// "java.obj" path is left out when it is empty or only spaces. The batch
// file's line names the program "rar.exe".
std::string ArchiverCommand(std::string_view program, std::string_view stj, std::string_view jah, std::string_view utf,
                            std::string_view ini, std::string_view obj);

// The command interpreter expands "%...%" in a batch file; doubling every
// "%" hands the archiver the paths exactly as the user wrote them.
std::string EscapePercents(std::string_view line);

// The path as the command interpreter can read it from an OEM batch file:
// the path itself when the OEM code page can represent it, else its short
// (8.3) form, or for a file still to be made the short form of its folder
// and its name; nothing when none of these is representable.
std::optional<std::string> OemSafePath(const std::string& path, SystemPort& system);
// The same for a file that is made anew, whatever lies at that name going
// first: its own short name would go with it, so only its folder's is taken.
std::optional<std::string> OemSafeNewPath(const std::string& path, SystemPort& system);

// Writes `line` (escaped, in the OEM code page) as the batch file in
// `folder` (which ends in a backslash) and returns its path. Throws AppError.
std::string WriteBatchFile(const std::string& folder, const std::string& line, SystemPort& system);

}  // namespace kestrane
