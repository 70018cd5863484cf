// "stj.bat": the one line that has the archiver store the members in the
// STJ file. It lives in, and runs in, the folder of the user's rar.exe.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "descriptor/UserMessages.h"

namespace kestrane {

inline constexpr std::string_view kBatchFileName = "stj.bat";

// The part of `path` before its last backslash (a forward slash counts as
// one); a root keeps its backslash ("C:\" for "C:\rar.exe", "\" for
// "\rar.exe"); empty for a bare name or an empty path.
std::string ParentFolder(std::string_view path);

// The parent folder of the rar.exe path with exactly one trailing backslash:
// "\" (the root of the current drive) for a bare name or an empty field.
std::string BatchFolder(std::string_view rarPath);

// rar.exe a -m0 -ep "<stj>" "<jah>" "<utf>" "<ini>" ["<obj>"], with no line end.
// The "java.obj" path is left out when it is empty or only spaces.
std::string ArchiverCommand(std::string_view stj, std::string_view jah, std::string_view utf,
                            std::string_view ini, std::string_view obj);

// The command interpreter expands "%...%" in a batch file; doubling every
// "%" hands the archiver the paths exactly as the user wrote them.
std::string EscapePercents(std::string_view line);

// What writing the batch file needs of the system.
class BatchFiles {
public:
    // The path itself when the OEM code page can represent it, else its
    // short (8.3) form if the file or folder exists and that form is
    // representable; nothing otherwise.
    virtual std::optional<std::string> OemSafePath(const std::string& path) = 0;
    // Creates or overwrites the file with `text` in the OEM code page, no
    // byte-order mark, nothing added. Throws AppError.
    virtual void WriteOemText(const std::string& path, const std::string& text) = 0;

protected:
    ~BatchFiles() = default;
};

// Writes the batch file for the rar.exe path and returns its path. When a
// path cannot be carried into the batch file, says so naming the path and
// returns nothing; nothing is written then.
std::optional<std::string> WriteBatchFile(const std::string& rarPath, const std::string& stj,
                                          const std::string& jah, const std::string& utf,
                                          const std::string& ini, const std::string& obj,
                                          BatchFiles& files, UserMessages& messages);

}  // namespace kestrane
