// The file operations of the INI generation and the package build, and the
// archiver's start, with the system's errors turned into AppError.
#pragma once

#include <windows.h>

#include "package/IniText.h"
#include "package/PackageBuild.h"

namespace kestrane {

class Win32Files final : public FileReader, public PackageFiles {
public:
    std::string ReadWholeFile(const std::string& path) override;
    bool AnsiCanRepresent(const std::string& text) override;
    void WriteAnsiText(const std::string& path, const std::string& text) override;
    void WriteOemText(const std::string& path, const std::string& text) override;
    std::optional<std::string> OemSafePath(const std::string& path) override;
    void CopyOver(const std::string& from, const std::string& to) override;
    void Delete(const std::string& path) override;
    FileStamp Stamp(const std::string& path) override;
    std::string FullPath(const std::string& path) override;
};

// Has the shell open `batchPath` hidden in `folder`, owned by `owner`.
std::unique_ptr<ArchiverRun> StartHidden(HWND owner, const std::string& batchPath, const std::string& folder);

// The running program's folder with exactly one trailing backslash, and its
// file name without folder and extension.
std::wstring ProgramFolder();
std::wstring ProgramName();

}  // namespace kestrane
