// "Erstelle STJ": stages the members under their fixed names, has the
// user's rar.exe store them in the STJ file through "stj.bat", and says
// whether that worked. The caller hands over a request and gets an outcome;
// everything on the way goes through the system port.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "package/AppError.h"
#include "package/SystemPort.h"

namespace kestrane {

inline constexpr std::string_view kNoJarOrJadMessage = "JAR- oder JAD-Datei nicht angegeben!";
inline constexpr std::string_view kNoStjMessage = "STJ-Datei nicht angegeben!";
inline constexpr std::string_view kBuiltMessage = "STJ-Datei erstellt!";
inline constexpr std::string_view kFailedMessage = "Erstellen fehlgeschlagen!";
inline constexpr std::string_view kIniNotAnsiMessage =
    "Der INI-Text enthält Zeichen, die in einer ANSI-Datei nicht gespeichert werden können. "
    "Bitte ändern Sie den INI-Text.";

// The package must not overwrite one of its own inputs; `input` is "JAR",
// "JAD" or "OBJ".
std::string StjIsInputMessage(std::string_view input);
// rar.exe is looked for in the folder the user named, whatever the file name.
bool ArchiverFound(const std::string& rarPath, SystemPort& system);
std::string NoArchiverMessage(std::string_view rarPath);

// How long the archiver may take, counted from its start, before the build
// gives up on it and reports failure.
inline constexpr std::chrono::milliseconds kArchiverLimit{120'000};

// One package to build. Paths are as the user typed them (untrimmed);
// folders end in a backslash.
struct PackageRequest {
    std::string rar, jar, jad, obj, stj;
    std::string iniText;        // exactly as the user left it
    std::string stagingFolder;  // where the members are written
    // The user's own folder, for the members and the batch file where their
    // own folders cannot be written (a program installed for all users,
    // rar.exe in a protected folder); empty for none.
    std::string userFolder;
    // The JAR's real size, when the package's copy of the JAD must say so
    // instead of what the user's JAD says; the user's JAD stays as it is.
    std::optional<std::uint64_t> correctedJarSize;
};

struct BuildOptions {
    // Waits around the archiver's start that the window has always made,
    // with its events processed; a batch of builds needs none.
    std::chrono::milliseconds settleBeforeRun{0};
    std::chrono::milliseconds settleAfterRun{0};
    std::chrono::milliseconds archiverLimit = kArchiverLimit;
    // Starts rar.exe itself, with a Unicode command line and no batch file,
    // so no path needs an OEM form; the window keeps to its batch file.
    bool startDirectly = false;
};

// Told when the archiver's wait begins and ends, so that a window can show
// that it is busy for exactly that time.
class BuildProgress {
public:
    virtual void WaitingForArchiver(bool waiting) = 0;

protected:
    ~BuildProgress() = default;
};

struct Outcome {
    enum class Kind {
        Built,           // the archiver ran and the package is there
        ArchiverFailed,  // it ran, but no package came of it
        InputProblem,    // refused before anything was written
        SystemError,     // a file operation or the archiver's start failed
    };
    Kind kind = Kind::InputProblem;
    std::string message;              // what to tell the user, in German
    std::optional<AppError> error;    // with SystemError: the system's number and description
    std::optional<std::uint32_t> exitCode;  // the archiver's, when it ran and ended
    bool archiverRan() const { return kind == Kind::Built || kind == Kind::ArchiverFailed; }
};

// Success needs the archiver's word and the file to prove it: an exit code
// of 0, and an STJ file that exists and was created or changed by the build.
bool BuildSucceeded(std::optional<std::uint32_t> exitCode, const FileStamp& before, const FileStamp& after);

// The checks made before anything is written: the message that refuses the
// request, or nothing when it can be built.
std::optional<std::string> CheckRequest(const PackageRequest& request, SystemPort& system);

// Checks the request, stages the members, writes and runs the batch file,
// waits for the archiver and judges the result. Nothing is written when the
// request is refused; the batch file is gone afterwards in every case.
Outcome BuildPackage(const PackageRequest& request, SystemPort& system, const BuildOptions& options = {},
                     BuildProgress* progress = nullptr);

}  // namespace kestrane
