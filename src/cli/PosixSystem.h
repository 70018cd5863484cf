// The core's system port for the command-line tool on POSIX systems: files
// through the C++ standard library and a few POSIX calls, code pages by the
// core's own tables, a real clock. The tool packs every suite itself and
// never starts rar.exe. (On Windows it takes the window's port.)
//
// Paths are UTF-8 with '/' between folders (a backslash is a character of a
// name).
#pragma once

#include <atomic>
#include <optional>
#include <string_view>

#include "package/SystemPort.h"

namespace kestrane {

class PosixSystem final : public SystemPort {
public:
    // `fixedNow` replaces the time now in LocalNow (see FixedNow).
    explicit PosixSystem(std::optional<std::chrono::local_seconds> fixedNow = std::nullopt);

    void WriteWholeFile(const std::string& path, std::string_view bytes) override;
    // kestrane-<process>-<n>.kestrane-tmp: short, so that a long package name still fits.
    std::unique_ptr<NewFile> CreateNewFile(const std::string& beside) override;
    void AppendToFile(const std::string& path, std::string_view bytes) override;
    std::unique_ptr<FileToRead> OpenForReading(const std::string& path) override;
    void CopyOver(const std::string& from, const std::string& to) override;
    void Delete(const std::string& path) override;
    void MoveOver(const std::string& from, const std::string& to) override;
    FileStamp Stamp(const std::string& path) override;
    bool SameFile(const std::string& a, const std::string& b) override;
    std::string FullPath(const std::string& path) override;
    std::optional<std::string> ShortPath(const std::string& path) override;
    bool IsWriteProtected(const std::string& folder) override;
    void CreateFolder(const std::string& folder) override;
    std::vector<FolderEntry> ListFolder(const std::string& folder) override;
    std::string MakeWorkFolder() override;
    void RemoveTree(const std::string& folder) override;

    std::optional<std::string> ToAnsi(std::string_view text) override;
    std::string FromAnsi(std::string_view bytes) override;
    std::optional<std::string> ToOem(std::string_view text) override;

    std::unique_ptr<ArchiverRun> RunHidden(const std::string& batchPath, const std::string& folder) override;
    std::unique_ptr<ArchiverRun> StartProgram(const std::string& program, const std::string& commandLine,
                                              const std::string& folder) override;

    std::chrono::local_seconds LocalNow() override;
    void Pause(std::chrono::milliseconds duration) override;

private:
    std::optional<std::chrono::local_seconds> fixedNow_;
    // In the names of its temporary files, asked of the system once.
    std::string process_;
    // kestrane converts several suites at once: each takes its own number.
    std::atomic<unsigned> workFolders_ = 0;
    std::atomic<unsigned> newFiles_ = 0;
};

}  // namespace kestrane
