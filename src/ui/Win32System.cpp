#include "ui/Win32System.h"
#include "ui/LateBound.h"

#include <shellapi.h>

#include "descriptor/Text.h"
#include "package/Words.h"
#include "ui/ScopedWin.h"
#include "ui/WinText.h"

namespace kestrane {

namespace {

DWORD Milliseconds(std::chrono::milliseconds duration) {
    return duration.count() <= 0 ? 0 : static_cast<DWORD>(duration.count());
}

class ShellRun final : public ArchiverRun {
public:
    explicit ShellRun(HANDLE process) : process_(process) {}

    std::optional<std::uint32_t> ExitCode() override {
        DWORD code = 0;
        const bool ended = process_.Valid() && WaitForSingleObject(process_.Get(), 0) == WAIT_OBJECT_0 &&
                           GetExitCodeProcess(process_.Get(), &code);
        return ended ? std::optional<std::uint32_t>(code) : std::nullopt;
    }

    void WaitForEnd(std::chrono::milliseconds timeout) override {
        // The shell gives no process for some associations: then there is
        // nothing to wait for but the time.
        if (process_.Valid())
            WaitForSingleObject(process_.Get(), Milliseconds(timeout));
        else
            ::Sleep(Milliseconds(timeout));
    }

private:
    UniqueHandle process_;
};

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder, and those above it that are missing, from the bottom up: no
// folder above one that is there is looked at, so a share's path
// (\\server\share\...) and the long form (\\?\C:\...) are made below
// like any other. A file in a folder's place is refused.
void MakeFolders(const std::wstring& path) {
    if (IsFolder(path) || CreateDirectoryW(path.c_str(), nullptr)) return;
    DWORD error = GetLastError();
    const std::size_t parent = path.find_last_of(L"\\/");
    if (error == ERROR_PATH_NOT_FOUND && parent != std::wstring::npos && parent > 0) {
        MakeFolders(path.substr(0, parent));
        error = CreateDirectoryW(path.c_str(), nullptr) ? ERROR_SUCCESS : GetLastError();
    }
    // Made meanwhile, by a run beside this one: as good.
    if (error == ERROR_SUCCESS || (error == ERROR_ALREADY_EXISTS && IsFolder(path))) return;
    ThrowSystemError(FolderNotMadeText(Narrow(path)), error);
}

// The 64 bits the system gives in two halves.
std::uint64_t Joined(DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; }

bool MoveTo(HANDLE file, std::uint64_t offset) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
}

// A local FILETIME as local date and time. A time MS-DOS cannot hold (before
// 1980, after 2107) comes as its first day, as FileTimeToDosDateTime has it.
std::chrono::local_seconds LocalSecondsOf(const FILETIME& local) {
    using namespace std::chrono;
    constexpr local_seconds kDosFirstDay = local_days{year(1980) / 1 / 1};
    WORD date = 0, time = 0;
    if (!FileTimeToDosDateTime(&local, &date, &time)) return kDosFirstDay;
    // 100-nanosecond steps since 1601-01-01, the first day of Windows' calendar.
    return local_days{year(1601) / 1 / 1} + seconds(Joined(local.dwHighDateTime, local.dwLowDateTime) / 10'000'000);
}

// The volume and index that tell the opened file apart from every other
// one; nothing where the system does not say.
std::optional<FileIdentity> IdentityOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (file == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(file, &info)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, Joined(info.nFileIndexHigh, info.nFileIndexLow)};
}

// Which file the path names, folders too; nothing where there is none.
std::optional<FileIdentity> IdentityOf(const std::string& path) {
    const UniqueHandle file(CreateFileW(Widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return IdentityOf(file.Get());
}

// The path as `ask` (GetShortPathNameW's arguments) gives it, asked first for
// its length; nothing where the system cannot say.
template <typename Ask>
std::optional<std::string> PathAsSystemSays(Ask ask, const std::string& path) {
    const std::wstring wide = Widen(path);
    const DWORD size = ask(wide.c_str(), nullptr, 0);
    if (size == 0) return std::nullopt;
    std::wstring answer(size, L'\0');
    const DWORD length = ask(wide.c_str(), answer.data(), size);
    if (length == 0 || length >= size) return std::nullopt;
    answer.resize(length);
    return Narrow(answer);
}

std::wstring Upper(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// A file open for reading parts of it; the JAR reader asks for its
// directory and its manifest only.
class FileSource final : public FileToRead {
public:
    FileSource(UniqueHandle file, const FileFacts& facts, std::string path)
        : FileToRead(facts), file_(std::move(file)), path_(std::move(path)) {}

    // Asked apart from the size and the time: for the volume's serial number
    // Wine makes about ten trips to its server, and only the check whether a
    // suite's JAR is its JAD needs it.
    std::optional<FileIdentity> Identity() override { return IdentityOf(file_.Get()); }

    // At the file's position, put there first: a read that names its offset
    // costs Wine a trip to its server, for a completion port the file might
    // have; a move of the position does not. One reader at a time, as the
    // core reads a file.
    std::string Read(std::uint64_t offset, std::size_t length) override {
        std::string bytes(length, '\0');
        DWORD read = 0;
        if (length == 0) return bytes;
        const bool done = MoveTo(file_.Get(), offset) &&
                          ReadFile(file_.Get(), bytes.data(), static_cast<DWORD>(length), &read, nullptr);
        if (!done || read != length) {
            // Read without an error, but less: the file has become shorter.
            const DWORD error = done ? ERROR_HANDLE_EOF : GetLastError();
            ThrowSystemError(FileNotReadText(path_), error);
        }
        return bytes;
    }

private:
    UniqueHandle file_;
    std::string path_;
};

// Writes all the bytes at the handle's position; the error number, or
// ERROR_SUCCESS. A write that stops short is a full disk.
DWORD WriteAll(HANDLE file, std::string_view bytes) {
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) return GetLastError();
    return written == bytes.size() ? ERROR_SUCCESS : ERROR_DISK_FULL;
}

// Opens the file as `access` and `disposition` say and writes all of `bytes`
// at its end.
void OpenAndWrite(const std::string& path, DWORD access, DWORD disposition, std::string_view bytes) {
    UniqueHandle file(
        CreateFileW(Widen(path).c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    const DWORD error = file.Valid() ? WriteAll(file.Get(), bytes) : GetLastError();
    if (error != ERROR_SUCCESS) ThrowSystemError(FileNotWrittenText(path), error);
}

class Win32NewFile final : public NewFile {
public:
    Win32NewFile(UniqueHandle file, std::string path) : file_(std::move(file)), path_(std::move(path)) {}
    ~Win32NewFile() override {
        if (!file_.Valid()) return;
        file_.Reset();
        DeleteFileW(Widen(path_).c_str());
    }

    const std::string& Path() const override { return path_; }
    // At the file's position, its end (see FileSource::Read); a write back
    // into the file puts the position back at the end afterwards.
    void Write(std::string_view bytes) override {
        Check(WriteAll(file_.Get(), bytes));
        end_ += bytes.size();
    }
    void WriteAt(std::uint64_t offset, std::string_view bytes) override {
        Check(MoveTo(file_.Get(), offset) ? WriteAll(file_.Get(), bytes) : GetLastError());
        Check(MoveTo(file_.Get(), end_) ? ERROR_SUCCESS : GetLastError());
    }
    void Finish() override {
        const DWORD error = FlushFileBuffers(file_.Get()) ? ERROR_SUCCESS : GetLastError();
        file_.Reset();
        if (error != ERROR_SUCCESS) DeleteFileW(Widen(path_).c_str());
        Check(error);
    }

private:
    void Check(DWORD error) const {
        if (error != ERROR_SUCCESS) ThrowSystemError(FileNotWrittenText(path_), error);
    }

    UniqueHandle file_;
    std::string path_;
    std::uint64_t end_ = 0;
};

}  // namespace

std::unique_ptr<FileToRead> Win32System::OpenForReading(const std::string& path) {
    UniqueHandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    FILETIME written{};
    if (!file.Valid() || !GetFileSizeEx(file.Get(), &size) || !GetFileTime(file.Get(), nullptr, nullptr, &written))
        ThrowLastError([&] { return FileNotReadText(path); });
    // The system keeps the time in UTC; the package carries local time.
    FILETIME local{};
    const FileFacts facts{static_cast<std::uint64_t>(size.QuadPart),
                          LocalSecondsOf(FileTimeToLocalFileTime(&written, &local) ? local : FILETIME{}),
                          {}};
    return std::make_unique<FileSource>(std::move(file), facts, path);
}

void Win32System::WriteWholeFile(const std::string& path, std::string_view bytes) {
    OpenAndWrite(path, GENERIC_WRITE, CREATE_ALWAYS, bytes);
}

std::unique_ptr<NewFile> Win32System::CreateNewFile(const std::string& beside) {
    // Its folder ends at the last separator, a byte of its own in UTF-8 too.
    const std::string_view folder = std::string_view(beside).substr(0, beside.find_last_of("\\/") + 1);
    static LONG counter = 0;
    for (int attempt = 0;; ++attempt) {
        const std::wstring path = Widen(Concatenated({folder, "kestrane-", DecimalText(GetCurrentProcessId()), "-",
                                                      DecimalText(InterlockedIncrement(&counter)), ".kestrane-tmp"}));
        // CREATE_NEW: a file or a link of that name is never written through.
        UniqueHandle file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.Valid()) return std::make_unique<Win32NewFile>(std::move(file), Narrow(path));
        const DWORD error = GetLastError();
        if ((error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) && attempt < 100) continue;
        ThrowSystemError(FileNotWrittenText(Narrow(path)), error);
    }
}

void Win32System::AppendToFile(const std::string& path, std::string_view bytes) {
    OpenAndWrite(path, FILE_APPEND_DATA, OPEN_EXISTING, bytes);
}

void Win32System::CopyOver(const std::string& from, const std::string& to) {
    if (!CopyFileW(Widen(from).c_str(), Widen(to).c_str(), FALSE))
        ThrowLastError([&] { return FileNotCopiedText(from, to); });
}

void Win32System::Delete(const std::string& path) {
    if (!DeleteFileW(Widen(path).c_str())) ThrowLastError([&] { return FileNotDeletedText(path); });
}

void Win32System::MoveOver(const std::string& from, const std::string& to) {
    const std::wstring source = Widen(from), target = Widen(to);
    // A file that is open cannot be replaced: where another program holds
    // the old package open for a moment (a second run beside this one
    // putting its own package of that name in place, a virus scanner), the
    // move is tried again, for a second at most.
    constexpr int kAttempts = 20;
    for (int attempt = 1;; ++attempt) {
        // Written through, so that the package is on the disk when the user is
        // told it was made.
        if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return;
        const DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || attempt == kAttempts)
            ThrowSystemError(FileNotMovedText(from, to), error);
        ::Sleep(50);
    }
}

FileStamp Win32System::Stamp(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    const FILETIME& written = data.ftLastWriteTime;
    return {true, Joined(data.nFileSizeHigh, data.nFileSizeLow),
            static_cast<std::int64_t>(Joined(written.dwHighDateTime, written.dwLowDateTime))};
}

bool Win32System::SameFile(const std::string& a, const std::string& b) {
    // A package not yet there is opened once, not the suite's files too.
    if (const auto first = IdentityOf(a))
        if (const auto second = IdentityOf(b)) return *first == *second;
    return Upper(Widen(FullPath(a))) == Upper(Widen(FullPath(b)));
}

std::string Win32System::FullPath(const std::string& path) {
    const auto full = [](const wchar_t* name, wchar_t* buffer, DWORD size) {
        return GetFullPathNameW(name, size, buffer, nullptr);
    };
    return PathAsSystemSays(full, path).value_or(path);
}

std::optional<std::string> Win32System::ShortPath(const std::string& path) {
    return PathAsSystemSays(GetShortPathNameW, path);
}

bool Win32System::IsWriteProtected(const std::string& folder) {
    const std::wstring wide = Widen(folder);
    if (!IsFolder(wide)) return false;
    // A probe that disappears when closed; its name is this process's own.
    const std::wstring probe = wide + Widen(Concatenated({"kestrane-", DecimalText(GetCurrentProcessId()), ".tmp"}));
    UniqueHandle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (file.Valid()) return false;
    const DWORD error = GetLastError();
    return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT;
}

void Win32System::CreateFolder(const std::string& folder) {
    std::wstring path = Widen(folder);
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    MakeFolders(path);
}

std::vector<FolderEntry> Win32System::ListFolder(const std::string& folder) {
    WIN32_FIND_DATAW found{};
    HANDLE first = FindFirstFileW((Widen(folder) + L"*").c_str(), &found);
    if (first == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return {};  // a drive's empty root
        ThrowSystemError(FolderNotReadText(folder), error);
    }
    const UniqueOwned<HANDLE, FindClose> search(first);
    std::vector<FolderEntry> entries;
    do {
        const std::wstring_view name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entries.push_back(
            {Narrow(name), isFolder, isFolder && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)});
    } while (FindNextFileW(search.Get(), &found));
    const DWORD error = GetLastError();
    if (error != ERROR_NO_MORE_FILES) ThrowSystemError(FolderNotReadText(folder), error);
    return entries;
}

std::string Win32System::MakeWorkFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) ThrowLastError([&] { return std::string(kNoTemporaryFolderText); });
    // The process and a counter make the name; a folder left behind by an
    // earlier process of the same number is passed over, not reused.
    static LONG counter = 0;
    for (int attempt = 0;; ++attempt) {
        std::wstring folder = temp;
        folder += Widen(Concatenated(
            {"kestrane-", DecimalText(GetCurrentProcessId()), "-", DecimalText(InterlockedIncrement(&counter))}));
        if (CreateDirectoryW(folder.c_str(), nullptr)) return Narrow(folder) + "\\";
        if (GetLastError() != ERROR_ALREADY_EXISTS || attempt > 100)
            ThrowLastError([&] { return WorkFolderNotMadeText(Narrow(folder)); });
    }
}

void Win32System::RemoveTree(const std::string& folder) {
    std::wstring path = Widen(folder);
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        for (const FolderEntry& entry : ListFolder(Narrow(path))) {
            const std::wstring inside = path + Widen(entry.name);
            if (entry.isFolder && !entry.isLink) {
                RemoveTree(Narrow(inside) + "\\");
            } else if (entry.isFolder) {
                RemoveDirectoryW(inside.c_str());
            } else {
                SetFileAttributesW(inside.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (!DeleteFileW(inside.c_str())) ThrowLastError([&] { return FileNotDeletedText(Narrow(inside)); });
            }
        }
    }
    path.pop_back();
    if (!RemoveDirectoryW(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
        ThrowLastError([&] { return FolderNotDeletedText(Narrow(path)); });
}

std::optional<std::string> Win32System::ToAnsi(std::string_view text) { return Encode(Widen(text), CP_ACP); }

std::string Win32System::FromAnsi(std::string_view bytes) { return Narrow(Decode(bytes, CP_ACP)); }

std::optional<std::string> Win32System::ToOem(std::string_view text) { return Encode(Widen(text), CP_OEMCP); }

std::unique_ptr<ArchiverRun> Win32System::RunHidden(const std::string& batchPath, const std::string& folder) {
    const std::wstring file = Widen(batchPath);
    const std::wstring directory = Widen(folder);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // The build's thread waits for the process; the shell must not leave work
    // of its own behind on it.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.lpParameters = L"";
    info.lpDirectory = directory.c_str();
    info.nShow = SW_HIDE;
    auto execute = LateBound<decltype(ShellExecuteExW)>(L"shell32.dll", "ShellExecuteExW");
    if (!execute || !execute(&info)) ThrowLastError([&] { return BatchFileNotStartedText(batchPath); });
    return std::make_unique<ShellRun>(info.hProcess);
}

std::unique_ptr<ArchiverRun> Win32System::StartProgram(const std::string& program, const std::string& commandLine,
                                                       const std::string& folder) {
    const std::wstring application = Widen(program);
    std::wstring line = Widen(commandLine);  // CreateProcessW may write into it
    const std::wstring directory = Widen(folder);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    // No console at all rather than a hidden one: nobody would see rar.exe's
    // output or answer a question it asks (with no console it cannot wait
    // for an answer), and a console host per suite costs more than the
    // archiver itself in a run over hundreds of suites.
    if (!CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                        directory.c_str(), &startup, &process))
        ThrowLastError([&] { return ProgramNotStartedText(program); });
    UniqueHandle thread(process.hThread);
    return std::make_unique<ShellRun>(process.hProcess);
}

std::chrono::local_seconds Win32System::LocalNow() {
    char epoch[32] = {};
    const DWORD length = GetEnvironmentVariableA("SOURCE_DATE_EPOCH", epoch, sizeof epoch);
    if (length > 0 && length < sizeof epoch)
        if (const std::optional<std::chrono::local_seconds> fixed = FixedNow(epoch)) return *fixed;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    FILETIME local{};
    return LocalSecondsOf(SystemTimeToFileTime(&now, &local) ? local : FILETIME{});
}

void Win32System::Pause(std::chrono::milliseconds duration) { ::Sleep(Milliseconds(duration)); }

}  // namespace kestrane
