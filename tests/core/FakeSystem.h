// The system port for the core's tests: files in memory, a clock that only
// moves when the core waits, an archiver that reads its batch file and
// writes the package (a real RAR 4 archive, or a RAR5 one when told), and
// one log of everything in the order it happened.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "package/AppError.h"
#include "package/SystemPort.h"

namespace kestrane::testing_support {

using Ms = std::chrono::milliseconds;

// A local date and time, as a test sets a file's last write or the time now.
constexpr std::chrono::local_seconds LocalTime(int year, unsigned month, unsigned day, int hour, int minute,
                                               int second) {
    using namespace std::chrono;
    return local_days{std::chrono::year(year) / month / day} + hours(hour) + minutes(minute) + seconds(second);
}

class FakeSystem final : public SystemPort {
public:
    // How the archiver behaves once started.
    struct Archiver {
        std::optional<Ms> endsAfter = Ms(0);  // never ends without a value
        std::uint32_t exitCode = 0;
        bool writesPackage = true;
        // Packages it fails on, by their paths or how their paths begin (an
        // STJ file and its temporary names): exit code 3, nothing written.
        std::set<std::string> refuses;
        // Writes the new format, as rar.exe 5.50 and later do by default.
        bool writesRar5 = false;
    };

    // Files: path -> bytes, and when each was last written.
    std::map<std::string, std::string> files;
    std::map<std::string, std::int64_t> writtenAt;
    // Operations that fail: "read <path>", "open <path>", "write <path>", "copy <to>", "delete <path>",
    // "move <to>", "run".
    std::set<std::string> failOn;
    // Files whose bytes come out damaged when written: one byte in the middle
    // changed, as a failing disk or a virus scanner might leave them.
    std::set<std::string> damagedOnWrite;
    // The files' last writes in local time, where a test sets them; every
    // other file says kFileTime.
    std::map<std::string, std::chrono::local_seconds> lastWrites;
    static constexpr std::chrono::local_seconds kFileTime = LocalTime(2004, 7, 15, 11, 16, 0);
    std::chrono::local_seconds localNow = LocalTime(2004, 9, 4, 20, 30, 10);
    // Folders, each ending in its separator (a backslash, or a POSIX port's
    // slash), besides those that hold a file.
    std::set<std::string> folders;
    // Paths' 8.3 forms, where they have one.
    std::map<std::string, std::string> shortForms;
    // Folders that exist but refuse this user's writes.
    std::set<std::string> writeProtected;
    Archiver archiver;

    // Everything that happened, each entry stamped with the fake clock.
    std::vector<std::string> log;
    std::map<std::string, Ms> at;  // the time of the latest entry of that text
    Ms now{0};

    // Runs `event` once the clock, moved on by a wait, reaches `when`: the
    // world going on while the core waits.
    void Schedule(Ms when, std::function<void()> event) { scheduled.emplace(when, std::move(event)); }

    void Add(const std::string& event);
    // What a package holds, each member as "name=bytes;" in its order, when
    // it is a RAR 4 archive; else the file's bytes, or "" when there is none.
    std::string Archived(const std::string& stj) const;

    void WriteWholeFile(const std::string& path, std::string_view bytes) override;
    // `beside` + ".kestrane-tmp", written as WriteWholeFile writes: the fake has
    // no second run beside it, and a file left there by a crash is overwritten.
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
    bool IsWriteProtected(const std::string& folder) override { return writeProtected.count(folder) > 0; }
    void CreateFolder(const std::string& folder) override;
    // What `files` and `folders` hold directly in the folder; "list <folder>" fails it.
    std::vector<FolderEntry> ListFolder(const std::string& folder) override;
    // C:\Temp\kestrane-1\, -2\, …; "mkwork" fails it.
    std::string MakeWorkFolder() override;
    // "remove <folder>" fails it.
    void RemoveTree(const std::string& folder) override;
    // The fake code pages keep UTF-8 as it is; the euro sign has no OEM form
    // and CJK characters have neither an ANSI nor an OEM one.
    std::optional<std::string> ToAnsi(std::string_view text) override;
    std::string FromAnsi(std::string_view bytes) override { return std::string(bytes); }
    std::optional<std::string> ToOem(std::string_view text) override;
    std::unique_ptr<ArchiverRun> RunHidden(const std::string& batchPath, const std::string& folder) override;
    std::unique_ptr<ArchiverRun> StartProgram(const std::string& program, const std::string& commandLine,
                                              const std::string& folder) override;
    Ms Now() override { return now; }
    std::chrono::local_seconds LocalNow() override { return localNow; }
    void Pause(Ms duration) override { Advance(duration); }

private:
    class Run;
    void Fail(const std::string& operation);
    // Moves the clock on by `duration`, but not past `limit`, running each
    // scheduled event as its time comes.
    void Advance(Ms duration, std::optional<Ms> limit = std::nullopt);
    std::multimap<Ms, std::function<void()>> scheduled;
    int workFolders_ = 0;
};

}  // namespace kestrane::testing_support
