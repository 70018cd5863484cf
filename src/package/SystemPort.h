// Everything the core needs of the system, in one small port: files, the
// code pages of the files it writes, the archiver's process and the clock.
// The core runs on a thread of its own and waits plainly; whoever shows its
// progress hears of it through the core's listeners. The program implements
// the port with Win32, the command-line tool with POSIX; tests with a fake
// that keeps its own clock, so no test waits for real time.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "descriptor/ByteSource.h"

namespace kestrane {

// What a file's existence, size and last write were at one moment.
struct FileStamp {
    bool exists = false;
    std::uint64_t size = 0;
    std::int64_t lastWrite = 0;
    bool operator==(const FileStamp&) const = default;
};

// One name in a folder.
struct FolderEntry {
    std::string name;
    bool isFolder = false;
    // A folder that only points elsewhere (a junction or a link): neither
    // searched nor emptied, so that no walk runs in circles or out of its tree.
    bool isLink = false;
};

// The archiver's process, once started.
class ArchiverRun {
public:
    virtual ~ArchiverRun() = default;
    // The exit code once the process has ended; nothing while it runs.
    virtual std::optional<std::uint32_t> ExitCode() = 0;
    // Sleeps until the process ends or `timeout` passes.
    virtual void WaitForEnd(std::chrono::milliseconds timeout) = 0;
};

// What tells a file apart from every other one: its volume and its index
// there (device and inode), whatever path it is reached by.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
};

// What the system tells of a file on opening it: one look at the file
// gives all.
struct FileFacts {
    std::uint64_t size = 0;
    // When it was last written, in local time (the form a package keeps
    // its members' times in).
    std::chrono::local_seconds written{};
    // Nothing where the system does not tell it.
    std::optional<FileIdentity> identity;
};

// A file opened for reading, with what the system told of it on opening.
class FileToRead : public ByteSource {
public:
    explicit FileToRead(const FileFacts& facts) : facts_(facts) {}
    std::uint64_t Size() final { return facts_.size; }
    std::chrono::local_seconds LastWrite() const { return facts_.written; }
    // A port that must ask the system once more for it asks only here: few
    // callers need it.
    virtual std::optional<FileIdentity> Identity() { return facts_.identity; }

private:
    FileFacts facts_;
};

// A file being written, as CreateNewFile makes it. Write and WriteAt throw
// AppError when the system refuses. A file not finished goes when this goes.
class NewFile : public ByteSink {
public:
    virtual ~NewFile() = default;
    virtual const std::string& Path() const = 0;
    // On the disk and closed; throws AppError, and then the file is gone.
    virtual void Finish() = 0;
};

// All text crossing this port is UTF-8; the port converts where the system
// wants another form.
class SystemPort {
public:
    // Files. Each operation throws AppError, with a German sentence naming
    // the file, when the system refuses. A file is read through
    // OpenForReading, a part at a time.
    // Creates or overwrites the file with exactly these bytes.
    virtual void WriteWholeFile(const std::string& path, std::string_view bytes) = 0;
    // A new file in the folder of `beside`, under a name of this call's own
    // that ends in ".kestrane-tmp": created exclusively, never through a
    // link, so that neither a second run beside this one nor a link planted
    // there gets the bytes. Throws AppError.
    virtual std::unique_ptr<NewFile> CreateNewFile(const std::string& beside) = 0;
    // Adds the bytes at the end of a file this program made with
    // CreateNewFile, for a list that grows as the suites end.
    virtual void AppendToFile(const std::string& path, std::string_view bytes) = 0;
    // The file for reading parts of it, as the JAR reader does.
    virtual std::unique_ptr<FileToRead> OpenForReading(const std::string& path) = 0;
    // Copies byte for byte, overwriting.
    virtual void CopyOver(const std::string& from, const std::string& to) = 0;
    // Deletes, not forced: a read-only file stays and the call throws.
    virtual void Delete(const std::string& path) = 0;
    // Puts `from` in the place of `to` in one step, replacing a file that is
    // there: whoever looks finds the old file or the new one, never a part.
    virtual void MoveOver(const std::string& from, const std::string& to) = 0;
    virtual FileStamp Stamp(const std::string& path) = 0;
    // Whether both paths name one file: the same file where both exist
    // (whatever the spelling), else the same full path without regard to case.
    virtual bool SameFile(const std::string& a, const std::string& b) = 0;
    // The path made absolute against the program's current folder.
    virtual std::string FullPath(const std::string& path) = 0;
    // The 8.3 form of an existing file or folder, if it has one.
    virtual std::optional<std::string> ShortPath(const std::string& path) = 0;
    // Whether the folder (ending in a backslash) exists but this user may
    // not create files in it; tried, not guessed from its attributes.
    virtual bool IsWriteProtected(const std::string& folder) = 0;
    // Creates the folder, and the folders above it, where they are missing.
    virtual void CreateFolder(const std::string& folder) = 0;
    // The files and folders directly in `folder` (ending in a backslash),
    // without "." and "..", in no particular order.
    virtual std::vector<FolderEntry> ListFolder(const std::string& folder) = 0;
    // A new, empty folder of this program's own under the user's temporary
    // folder; its path ends in a backslash.
    virtual std::string MakeWorkFolder() = 0;
    // Removes the folder (ending in a backslash) with everything in it; a
    // linked folder inside loses its link only. Missing is fine.
    virtual void RemoveTree(const std::string& folder) = 0;

    // The system's ANSI and OEM code pages; nothing when a character has no
    // exact form there.
    virtual std::optional<std::string> ToAnsi(std::string_view text) = 0;
    virtual std::string FromAnsi(std::string_view bytes) = 0;
    virtual std::optional<std::string> ToOem(std::string_view text) = 0;

    // Has the shell open the batch file hidden, in `folder`. Throws AppError.
    virtual std::unique_ptr<ArchiverRun> RunHidden(const std::string& batchPath, const std::string& folder) = 0;
    // Starts `program` itself with the whole `commandLine` (its own name
    // first), in `folder`, without a window. Throws AppError.
    virtual std::unique_ptr<ArchiverRun> StartProgram(const std::string& program, const std::string& commandLine,
                                                      const std::string& folder) = 0;

    // A monotonic clock: the real ports' is the steady clock.
    virtual std::chrono::milliseconds Now() {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    }
    // The local date and time now, or the fixed moment that stands for it
    // (see FixedNow).
    virtual std::chrono::local_seconds LocalNow() = 0;
    // Waits this long on the clock; nothing for zero or less.
    virtual void Pause(std::chrono::milliseconds duration) = 0;

protected:
    ~SystemPort() = default;
};

// Exactly these bytes in a new file beside `beside`, on the disk when this
// returns; its path. Throws AppError; then no file of its making stays.
inline std::string WriteNewFile(SystemPort& system, const std::string& beside, std::string_view bytes) {
    const std::unique_ptr<NewFile> file = system.CreateNewFile(beside);
    file->Write(bytes);
    file->Finish();
    return file->Path();
}

// The moment SOURCE_DATE_EPOCH names (seconds since 1970), taken as UTC and
// given as the local time now, so that the same suites make the same packages
// byte for byte wherever they are packed; nothing when the text is not such a
// number, or one of more than 18 digits (billions of years, and no overflow).
inline std::optional<std::chrono::local_seconds> FixedNow(std::string_view epoch) {
    if (epoch.empty() || epoch.size() > 18) return std::nullopt;
    std::int64_t seconds = 0;
    for (const char digit : epoch) {
        if (digit < '0' || digit > '9') return std::nullopt;
        seconds = seconds * 10 + (digit - '0');
    }
    return std::chrono::local_seconds(std::chrono::seconds(seconds));
}

}  // namespace kestrane
