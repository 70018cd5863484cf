// The core's system port on Win32: files with the system's errors turned
// into AppError, the ANSI and OEM code pages, and the archiver's start
// through the shell. It keeps nothing of its own, so threads may share one:
// kestrane-cli.exe judges suites on several at once.
#pragma once

#include "package/SystemPort.h"

namespace kestrane {

class Win32System final : public SystemPort {
public:
    void WriteWholeFile(const std::string& path, std::string_view bytes) override;
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
};

}  // namespace kestrane
