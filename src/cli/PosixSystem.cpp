#include "cli/PosixSystem.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "descriptor/TextEncoding.h"
#include "package/AppError.h"
#include "cli/CliWords.h"
#include "package/Words.h"

namespace kestrane {

// A path is the bytes of its name, as std::filesystem takes and gives them here.
namespace fs = std::filesystem;

namespace {

AppError ErrorOf(std::string context, const std::error_code& error) {
    return AppError(std::move(context), static_cast<std::uint32_t>(error.value()), error.message());
}

AppError ErrnoError(std::string context, int number) {
    return ErrorOf(std::move(context), std::error_code(number, std::generic_category()));
}

// The local date and time at a moment, as the C library's time zone has it.
std::chrono::local_seconds LocalTime(std::time_t time) {
    std::tm local{};
    localtime_r(&time, &local);
    using namespace std::chrono;
    const local_days day{year(local.tm_year + 1900) / (local.tm_mon + 1) / local.tm_mday};
    return day + hours(local.tm_hour) + minutes(local.tm_min) + seconds(local.tm_sec);
}

std::string_view NotAFileText(mode_t mode) {
    if (S_ISFIFO(mode)) return cli_words::kFifoText;
    if (S_ISCHR(mode) || S_ISBLK(mode)) return cli_words::kDeviceText;
    if (S_ISSOCK(mode)) return cli_words::kSocketText;
    return cli_words::kNoPlainFileText;
}

// A file open for reading parts of it; the JAR reader asks for its
// directory and its manifest only.
class FileSource final : public FileToRead {
public:
    FileSource(int file, const FileFacts& facts, std::string path)
        : FileToRead(facts), file_(file), path_(std::move(path)) {}
    ~FileSource() override { close(file_); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    // One call a part, where the file gives it whole: the JAR reader asks
    // for many small ones. A file that ends before the part has become
    // shorter since it was opened.
    std::string Read(std::uint64_t offset, std::size_t length) override {
        std::string bytes(length, '\0');
        for (std::size_t got = 0; got < length;) {
            const ssize_t part = pread(file_, bytes.data() + got, length - got, static_cast<off_t>(offset + got));
            if (part > 0)
                got += static_cast<std::size_t>(part);
            else if (part == 0 || errno != EINTR)
                throw ErrnoError(FileNotReadText(path_), part == 0 ? EIO : errno);
        }
        return bytes;
    }

private:
    int file_;
    std::string path_;
};

// A file made for writing that was not there before, never through a link,
// whatever name it has.
int OpenNewFile(const std::string& path) {
    return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

// Writes everything, at `offset` or else at the file's position; the error
// number, or 0.
int WriteAll(int file, std::string_view bytes, std::optional<std::uint64_t> offset = std::nullopt) {
    for (std::size_t done = 0; done < bytes.size();) {
        const std::size_t chunk = std::min<std::size_t>(bytes.size() - done, std::size_t{1} << 30);
        const ssize_t written = offset ? pwrite(file, bytes.data() + done, chunk, static_cast<off_t>(*offset + done))
                                       : write(file, bytes.data() + done, chunk);
        if (written > 0)
            done += static_cast<std::size_t>(written);
        else if (written == 0)
            return ENOSPC;
        else if (errno != EINTR)
            return errno;
    }
    return 0;
}

// Closes the file, on the disk first when `durable`; the error number, or 0.
int Close(int file, bool durable) {
    int number = 0;
    if (durable && fsync(file) != 0) number = errno;
    if (close(file) != 0 && number == 0) number = errno;
    return number;
}

// A file made by CreateNewFile: removed unless finished.
class PosixNewFile final : public NewFile {
public:
    PosixNewFile(int file, std::string path) : file_(file), path_(std::move(path)) {}
    ~PosixNewFile() override {
        if (file_ < 0) return;
        Close(file_, false);
        unlink(path_.c_str());
    }
    PosixNewFile(const PosixNewFile&) = delete;
    PosixNewFile& operator=(const PosixNewFile&) = delete;

    const std::string& Path() const override { return path_; }
    void Write(std::string_view bytes) override { Check(WriteAll(file_, bytes)); }
    // The file's position stays at its end, where the next Write goes.
    void WriteAt(std::uint64_t offset, std::string_view bytes) override { Check(WriteAll(file_, bytes, offset)); }
    void Finish() override {
        const int number = Close(std::exchange(file_, -1), true);
        if (number != 0) unlink(path_.c_str());
        Check(number);
    }

private:
    void Check(int number) const {
        if (number != 0) throw ErrnoError(FileNotWrittenText(path_), number);
    }

    int file_;
    std::string path_;
};

// Opens the file as `flags` say and writes all of `bytes`; not synced: a
// list that grows line by line takes its place in one step at the end.
void WriteToFile(const std::string& path, int flags, std::string_view bytes) {
    const int file = open(path.c_str(), flags, 0666);
    if (file < 0) throw ErrnoError(FileNotWrittenText(path), errno);
    const int written = WriteAll(file, bytes);
    if (const int number = Close(file, false); number != 0 || written != 0)
        throw ErrnoError(FileNotWrittenText(path), written != 0 ? written : number);
}

}  // namespace

PosixSystem::PosixSystem(std::optional<std::chrono::local_seconds> fixedNow)
    : fixedNow_(fixedNow), process_(std::to_string(getpid())) {}

void PosixSystem::WriteWholeFile(const std::string& path, std::string_view bytes) {
    WriteToFile(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, bytes);
}

std::unique_ptr<NewFile> PosixSystem::CreateNewFile(const std::string& beside) {
    const fs::path folder = fs::path(beside).parent_path();
    for (int attempt = 0;; ++attempt) {
        const std::string name = "kestrane-" + process_ + "-" + std::to_string(++newFiles_) + ".kestrane-tmp";
        const std::string path = (folder / name).string();
        const int file = OpenNewFile(path);
        // A name taken by another process of the same number, in another
        // namespace, or by a crash long ago: the next number.
        if (file < 0 && errno == EEXIST && attempt < 100) continue;
        if (file < 0) throw ErrnoError(FileNotWrittenText(path), errno);
        return std::make_unique<PosixNewFile>(file, path);
    }
}

void PosixSystem::AppendToFile(const std::string& path, std::string_view bytes) {
    WriteToFile(path, O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC, bytes);
}

// Opened without waiting and looked at before the first byte is read: a
// FIFO would block the run for ever, a device never end. A regular file
// reads the same without waiting or with.
std::unique_ptr<FileToRead> PosixSystem::OpenForReading(const std::string& path) {
    const int file = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file < 0) throw ErrnoError(FileNotReadText(path), errno);
    struct stat info {};
    const int looked = fstat(file, &info) == 0 ? 0 : errno;
    const FileIdentity identity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    // From here on the file is closed with `source`, also when it is refused.
    auto source = std::make_unique<FileSource>(
        file, FileFacts{static_cast<std::uint64_t>(info.st_size), LocalTime(info.st_mtime), identity}, path);
    if (looked != 0) throw ErrnoError(FileNotReadText(path), looked);
    if (S_ISDIR(info.st_mode)) throw ErrnoError(FileNotReadText(path), EISDIR);
    if (!S_ISREG(info.st_mode)) throw AppError(FileNotReadText(path), EINVAL, std::string(NotAFileText(info.st_mode)));
    return source;
}

void PosixSystem::CopyOver(const std::string& from, const std::string& to) {
    std::error_code error;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
    if (error) throw ErrorOf(FileNotCopiedText(from, to), error);
}

void PosixSystem::Delete(const std::string& path) {
    // A link is removed, never what it leads to.
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) throw ErrnoError(FileNotDeletedText(path), EISDIR);
    if (unlink(path.c_str()) != 0) throw ErrnoError(FileNotDeletedText(path), errno);
}

void PosixSystem::MoveOver(const std::string& from, const std::string& to) {
    // rename() replaces in one step; nobody sees a half package.
    std::error_code error;
    fs::rename(from, to, error);
    if (error) throw ErrorOf(FileNotMovedText(from, to), error);
}

FileStamp PosixSystem::Stamp(const std::string& path) {
    // One look at the file: asked several times for each suite.
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
#ifdef __APPLE__
    const struct timespec& written = info.st_mtimespec;
#else
    const struct timespec& written = info.st_mtim;
#endif
    return {true, static_cast<std::uint64_t>(info.st_size),
            static_cast<std::int64_t>(written.tv_sec) * 1'000'000'000 + written.tv_nsec};
}

bool PosixSystem::SameFile(const std::string& a, const std::string& b) {
    // Device and inode where both exist, else the paths: a package not yet there costs one look, not two.
    struct stat first {};
    struct stat second {};
    if (stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    return FullPath(a) == FullPath(b);
}

std::string PosixSystem::FullPath(const std::string& path) {
    if (path.empty()) return path;
    std::error_code error;
    const fs::path full = fs::absolute(path, error);
    return error ? path : full.lexically_normal().string();
}

std::optional<std::string> PosixSystem::ShortPath(const std::string&) { return std::nullopt; }

bool PosixSystem::IsWriteProtected(const std::string& folder) {
    std::error_code error;
    if (!fs::is_directory(folder, error)) return false;
    // A probe of this process's own name, gone again at once.
    const std::string probe = (fs::path(folder) / ("kestrane-" + process_ + ".tmp")).string();
    if (const int file = OpenNewFile(probe); file >= 0) {
        close(file);
        unlink(probe.c_str());
        return false;
    }
    return errno == EACCES || errno == EPERM || errno == EROFS;
}

void PosixSystem::CreateFolder(const std::string& folder) {
    std::error_code error;
    fs::path path = folder;
    if (!path.has_filename()) path = path.parent_path();
    fs::create_directories(path, error);
    if (error) throw ErrorOf(FolderNotMadeText(folder), error);
}

std::vector<FolderEntry> PosixSystem::ListFolder(const std::string& folder) {
    const std::string context = FolderNotReadText(folder);
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error) throw ErrorOf(context, error);
    std::vector<FolderEntry> entries;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        // The link itself first: a link to a folder is reported as one and
        // never walked, a link that leads nowhere (or in a circle) as a file.
        std::error_code ignored;
        const bool isLink = it->is_symlink(ignored);
        const bool isFolder = it->is_directory(ignored);
        entries.push_back({it->path().filename().string(), isFolder, isFolder && isLink});
    }
    if (error) throw ErrorOf(context, error);
    return entries;
}

std::string PosixSystem::MakeWorkFolder() {
    std::error_code error;
    const fs::path temp = fs::temp_directory_path(error);
    if (error) throw ErrorOf(std::string(kNoTemporaryFolderText), error);
    // A folder left behind by an earlier process of the same number is
    // passed over, not reused.
    for (int attempt = 0;; ++attempt) {
        const fs::path folder = temp / ("kestrane-" + process_ + "-" + std::to_string(++workFolders_));
        if (fs::create_directory(folder, error)) return folder.string() + '/';
        if (error || attempt > 100)
            throw ErrorOf(WorkFolderNotMadeText(folder.string()),
                          error ? error : std::make_error_code(std::errc::file_exists));
    }
}

void PosixSystem::RemoveTree(const std::string& folder) {
    // remove_all removes a link, never what it leads to; nothing there is fine.
    std::error_code error;
    fs::path path = folder;
    if (!path.has_filename()) path = path.parent_path();
    fs::remove_all(path, error);
    if (error) throw ErrorOf(FolderNotDeletedText(path.string()), error);
}

std::optional<std::string> PosixSystem::ToAnsi(std::string_view text) { return Utf8ToWindows1252(text); }

std::string PosixSystem::FromAnsi(std::string_view bytes) { return Windows1252ToUtf8(bytes); }

std::optional<std::string> PosixSystem::ToOem(std::string_view text) { return Utf8ToCp437(text); }

std::unique_ptr<ArchiverRun> PosixSystem::RunHidden(const std::string& batchPath, const std::string&) {
    throw AppError(cli_words::NotStartedHereText(BatchFileNotStartedText(batchPath)), 0, {});
}

std::unique_ptr<ArchiverRun> PosixSystem::StartProgram(const std::string& program, const std::string&,
                                                       const std::string&) {
    throw AppError(cli_words::NotStartedHereText(ProgramNotStartedText(program)), 0, {});
}

std::chrono::local_seconds PosixSystem::LocalNow() { return fixedNow_ ? *fixedNow_ : LocalTime(std::time(nullptr)); }

// Returns at once for zero or less, as sleep_for does.
void PosixSystem::Pause(std::chrono::milliseconds duration) { std::this_thread::sleep_for(duration); }

}  // namespace kestrane
