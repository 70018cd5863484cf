#include "ui/Win32Files.h"

#include <shellapi.h>

#include "ui/ScopedWin.h"
#include "ui/WinText.h"

namespace kestrane {

namespace {

std::string Quoted(const std::string& path) { return "„" + path + "“"; }

void WriteBytes(const std::string& path, const std::string& bytes) {
    UniqueHandle file(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string context = "Die Datei " + Quoted(path) + " konnte nicht geschrieben werden.";
    if (!file.Valid()) throw SystemError(context, GetLastError());
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        throw SystemError(context, GetLastError());
}

void WriteInCodePage(const std::string& path, const std::string& text, UINT codePage) {
    const std::optional<std::string> bytes = Encode(Widen(text), codePage);
    if (!bytes)
        throw SystemError("Der Text f\u00fcr " + Quoted(path) + " enth\u00e4lt Zeichen, die die Codepage nicht kennt.",
                          ERROR_NO_UNICODE_TRANSLATION);
    WriteBytes(path, *bytes);
}

std::optional<std::wstring> ShortPath(const std::wstring& path) {
    const DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (size == 0) return std::nullopt;
    std::wstring shortPath(size, L'\0');
    const DWORD length = GetShortPathNameW(path.c_str(), shortPath.data(), size);
    if (length == 0 || length >= size) return std::nullopt;
    shortPath.resize(length);
    return shortPath;
}

bool OemCanRepresent(const std::wstring& path) { return Encode(path, CP_OEMCP).has_value(); }

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

class ShellRun final : public ArchiverRun {
public:
    explicit ShellRun(HANDLE process) : process_(process) {}

    std::optional<std::uint32_t> ExitCode() override {
        if (!process_.Valid()) return std::nullopt;
        if (WaitForSingleObject(process_.Get(), 0) != WAIT_OBJECT_0) return std::nullopt;
        DWORD code = 0;
        if (!GetExitCodeProcess(process_.Get(), &code)) return std::nullopt;
        return code;
    }

    void WaitForEndOrEvent(std::chrono::milliseconds timeout) override {
        const DWORD ms = static_cast<DWORD>(timeout.count());
        if (process_.Valid()) {
            HANDLE handles[] = {process_.Get()};
            MsgWaitForMultipleObjectsEx(1, handles, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        } else {
            MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        }
    }

private:
    UniqueHandle process_;
};

}  // namespace

std::string Win32Files::ReadWholeFile(const std::string& path) {
    const std::string context = "Die Datei " + Quoted(path) + " konnte nicht gelesen werden.";
    UniqueHandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) throw SystemError(context, GetLastError());
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) throw SystemError(context, GetLastError());
    if (size.QuadPart > DescriptorBuffer::kMaxLength) throw SystemError(context, ERROR_FILE_TOO_LARGE);
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        throw SystemError(context, GetLastError());
    bytes.resize(read);
    return bytes;
}

bool Win32Files::AnsiCanRepresent(const std::string& text) { return Encode(Widen(text), CP_ACP).has_value(); }

void Win32Files::WriteAnsiText(const std::string& path, const std::string& text) {
    WriteInCodePage(path, text, CP_ACP);
}

void Win32Files::WriteOemText(const std::string& path, const std::string& text) {
    WriteInCodePage(path, text, CP_OEMCP);
}

std::optional<std::string> Win32Files::OemSafePath(const std::string& path) {
    const std::wstring wide = Widen(path);
    if (OemCanRepresent(wide)) return path;
    if (auto shortPath = ShortPath(wide); shortPath && OemCanRepresent(*shortPath)) return Narrow(*shortPath);
    // A file still to be made (the STJ file) has no short name yet; its folder may.
    const std::size_t slash = wide.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return std::nullopt;
    const std::wstring name = wide.substr(slash);
    if (auto folder = ShortPath(wide.substr(0, slash + 1)); folder && OemCanRepresent(*folder + name)) {
        while (!folder->empty() && (folder->back() == L'\\' || folder->back() == L'/')) folder->pop_back();
        return Narrow(*folder + name);
    }
    return std::nullopt;
}

void Win32Files::CopyOver(const std::string& from, const std::string& to) {
    if (!CopyFileW(Widen(from).c_str(), Widen(to).c_str(), FALSE))
        throw SystemError("Die Datei " + Quoted(from) + " konnte nicht nach " + Quoted(to) + " kopiert werden.",
                          GetLastError());
}

void Win32Files::Delete(const std::string& path) {
    if (!DeleteFileW(Widen(path).c_str()))
        throw SystemError("Die Datei " + Quoted(path) + " konnte nicht gel\u00f6scht werden.", GetLastError());
}

FileStamp Win32Files::Stamp(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    FileStamp stamp;
    stamp.exists = true;
    stamp.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.lastWrite = static_cast<std::int64_t>((static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                                data.ftLastWriteTime.dwLowDateTime);
    return stamp;
}

std::string Win32Files::FullPath(const std::string& path) {
    const std::wstring wide = Widen(path);
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) return path;
    full.resize(length);
    return Narrow(full);
}

std::unique_ptr<ArchiverRun> StartHidden(HWND owner, const std::string& batchPath, const std::string& folder) {
    const std::wstring file = Widen(batchPath);
    const std::wstring directory = Widen(folder);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.lpParameters = L"";
    info.lpDirectory = directory.c_str();
    info.nShow = SW_HIDE;
    if (!ShellExecuteExW(&info))
        throw SystemError("Die Stapeldatei " + Quoted(batchPath) + " konnte nicht gestartet werden.", GetLastError());
    return std::make_unique<ShellRun>(info.hProcess);
}

std::wstring ProgramFolder() {
    std::wstring path = ModulePath();
    path.resize(path.find_last_of(L'\\') + 1);
    if (path.empty() || path.back() != L'\\') path.push_back(L'\\');
    return path;
}

std::wstring ProgramName() {
    std::wstring name = ModulePath();
    name.erase(0, name.find_last_of(L'\\') + 1);
    if (const std::size_t dot = name.find_last_of(L'.'); dot != std::wstring::npos) name.resize(dot);
    return name;
}

}  // namespace kestrane
