// The core's system port on Win32: files with the system's errors turned
// into AppError, the ANSI and OEM code pages, the archiver's start through
// the shell, and the main window's message pump for the waits.
#pragma once

#include <windows.h>

#include "package/SystemPort.h"

namespace kestrane {

// The window whose messages the waits keep flowing.
class MessageRouter {
public:
    // Keyboard handling first, then the window procedure.
    virtual void TranslateAndDispatch(MSG& msg) = 0;
    // The owner of anything the shell shows.
    virtual HWND OwnerWindow() const = 0;

protected:
    ~MessageRouter() = default;
};

class Win32System final : public SystemPort {
public:
    explicit Win32System(MessageRouter& router) : router_(&router) {}
    // For a thread without windows: no events to pump; the waits sleep on
    // the archiver's process alone.
    Win32System() = default;

    std::string ReadWholeFile(const std::string& path) override;
    void WriteWholeFile(const std::string& path, std::string_view bytes) override;
    std::unique_ptr<ByteSource> OpenForReading(const std::string& path) override;
    void CopyOver(const std::string& from, const std::string& to) override;
    void Delete(const std::string& path) override;
    void MoveOver(const std::string& from, const std::string& to) override;
    std::uint32_t DosLastWrite(const std::string& path) override;
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

    std::chrono::milliseconds Now() override;
    std::uint32_t DosNow() override;
    void ProcessPendingEvents() override;
    void WaitForEvent(std::chrono::milliseconds timeout) override;

private:
    MessageRouter* router_ = nullptr;
};

}  // namespace kestrane
