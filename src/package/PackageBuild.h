// "Erstelle STJ": packs the members under their fixed names into the STJ
// file, in the RAR 4 format the phone reads: by Kestrane itself, or, where
// the user names a rar.exe, by staging them and having that rar.exe store
// them through "stj.bat"; and says whether that worked. The caller hands
// over a request and gets an outcome; everything on the way goes through the
// system port.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "package/AppError.h"
#include "package/SystemPort.h"

namespace kestrane {

// rar.exe is looked for in the folder the user named, whatever the file name.
bool ArchiverFound(const std::string& rarPath, SystemPort& system);
std::string NoArchiverMessage(std::string_view rarPath);

// How long the archiver may take, counted from its start, before the build
// gives up on it and reports failure.
inline constexpr std::chrono::milliseconds kArchiverLimit{120'000};

// One package to build. Paths are as the user typed them (untrimmed);
// folders end in a backslash.
struct PackageRequest {
    // rar.exe, or blank for Kestrane to pack the package itself.
    std::string rar = {};
    std::string jar = {}, jad = {}, obj = {}, stj = {};
    std::string iniText = {};        // exactly as the user left it
    std::string stagingFolder = {};  // where the members are written
    // The user's own folder, for the members and the batch file where their
    // own folders cannot be written (a program installed for all users,
    // rar.exe in a protected folder); empty for none.
    std::string userFolder = {};
    // The JAR's real size, when the package's copy of the JAD must say so
    // instead of what the user's JAD says; the user's JAD stays as it is.
    std::optional<std::uint64_t> correctedJarSize = {};
    // The JAD as the checks read it, where they did: the package takes these
    // bytes rather than reading the file a second time.
    std::optional<std::string> jadBytes = {};
    // The JAD was made from the JAR's manifest: in the package it bears the
    // JAR's time, so that the same JAR always makes the same package.
    bool jadMade = false;
    // When the user's JAD of those bytes was last written.
    std::chrono::local_seconds jadWritten{};
    // The JAR as the checks opened it, where they did and keep it open
    // until the build ends: packed from this opening, so that the package
    // holds the bytes that were judged and the file is opened once.
    FileToRead* jarFile = nullptr;
};

// A JAD as read from its file, and when that file was last written.
struct JadFile {
    std::string bytes;
    std::chrono::local_seconds written{};
};

// The request's JAD: the bytes the checks read, else the file's.
JadFile JadOfRequest(const PackageRequest& request, SystemPort& system);

struct BuildOptions {
    // Waits around the archiver's start that the window has always made; a
    // batch of builds needs none.
    std::chrono::milliseconds settleBeforeRun{0};
    std::chrono::milliseconds settleAfterRun{0};
    std::chrono::milliseconds archiverLimit = kArchiverLimit;
    // Starts rar.exe itself, with a Unicode command line and no batch file,
    // so no path needs an OEM form; the window keeps to its batch file.
    bool startDirectly = false;
    // rar.exe writes the package under its temporary name beside the STJ
    // file, and it takes the STJ file's place only when it is whole and in
    // the phone's format: a failed build leaves no package and an existing
    // one untouched, and a new one holds exactly this build's members.
    bool replaceWhenGood = false;
    // CheckRequest has let the request pass already: it is not checked again.
    bool checked = false;
    // Kestrane packs the package itself, whatever rar.exe the request names:
    // the way on when rar.exe wrote RAR5.
    bool packItself = false;
};

// Told, on the thread that builds, when the archiver's wait begins and ends
// (or Kestrane's own packing), so that a window can show that it is busy for
// exactly that time.
class BuildProgress {
public:
    virtual void WaitingForArchiver(bool waiting) = 0;

protected:
    ~BuildProgress() = default;
};

struct Outcome {
    enum class Kind {
        Built,           // the package is there
        ArchiverFailed,  // rar.exe ran, but no package came of it
        WrongFormat,     // rar.exe wrote the package as RAR5, which the phone cannot read
        InputProblem,    // refused before anything was written
        SystemError,     // a file operation or the archiver's start failed
    };
    Kind kind = Kind::InputProblem;
    std::string message;                    // what to tell the user, in German
    std::optional<AppError> error;          // with SystemError: the system's number and description
    std::optional<std::uint32_t> exitCode;  // the archiver's, when it ran and ended
};

// The bytes of the package's java.utf, for Kestrane's own packing and for
// rar.exe's staging alike: the JAD as it is, but a UTF-16 one in UTF-8 (the
// phone reads no other), and with the JAR's real size where the request
// corrects it. The user's JAD stays as it is.
std::string PackageJadBytes(std::string_view jadBytes, std::optional<std::uint64_t> correctedJarSize);

// Success needs the archiver's word and the file to prove it: an exit code
// of 0, and an STJ file that exists and was created or changed by the build.
bool BuildSucceeded(std::optional<std::uint32_t> exitCode, const FileStamp& before, const FileStamp& after);

// The checks made before anything is written: the message that refuses the
// request, or nothing when it can be built.
std::optional<std::string> CheckRequest(const PackageRequest& request, SystemPort& system);

// Checks the request (unless options.checked) and builds the package. With rar.exe: stages the
// members, writes and runs the batch file, waits for the archiver and judges
// the result, a RAR5 package included. Without: packs the package itself
// (see StjPacker.h). Nothing is written when the request is refused; the
// batch file is gone afterwards in every case.
Outcome BuildPackage(const PackageRequest& request, SystemPort& system, const BuildOptions& options = {},
                     BuildProgress* progress = nullptr);

}  // namespace kestrane
