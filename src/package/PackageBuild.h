// "Erstelle STJ": stages the members in the program's folder under their
// fixed names, has the user's rar.exe store them in the STJ file through
// "stj.bat", and tells the user whether that worked.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "descriptor/UserMessages.h"
#include "package/BatchFile.h"
#include "package/modDelay.h"

namespace kestrane {

inline constexpr std::string_view kNoJarOrJadMessage = "JAR- oder JAD-Datei nicht angegeben!";
inline constexpr std::string_view kNoStjMessage = "STJ-Datei nicht angegeben!";
inline constexpr std::string_view kBuiltMessage = "STJ-Datei erstellt!";
inline constexpr std::string_view kFailedMessage = "Erstellen fehlgeschlagen!";
inline constexpr std::string_view kIniNotAnsiMessage =
    "Der INI-Text enthält Zeichen, die in einer ANSI-Datei nicht gespeichert werden können. "
    "Bitte ändern Sie den INI-Text.";

// How long the archiver may take, counted from its start, before the build
// gives up on it and reports failure.
inline constexpr std::chrono::milliseconds kArchiverLimit{120'000};

enum class Field { RAR, JAR, JAD, OBJ, STJ };

// What a file's existence, size and last write were at one moment.
struct FileStamp {
    bool exists = false;
    std::uint64_t size = 0;
    std::int64_t lastWrite = 0;
    bool operator==(const FileStamp&) const = default;
};

// Success needs the archiver's word and the file to prove it: an exit code
// of 0, and an STJ file that exists and was created or changed by the build.
bool BuildSucceeded(std::optional<std::uint32_t> exitCode, const FileStamp& before, const FileStamp& after);

class PackageFiles : public BatchFiles {
public:
    // Whether `text` (UTF-8) has an exact form in the ANSI code page.
    virtual bool AnsiCanRepresent(const std::string& text) = 0;
    // Creates or overwrites the file with `text` in the ANSI code page, no
    // byte-order mark, nothing added. Throws AppError.
    virtual void WriteAnsiText(const std::string& path, const std::string& text) = 0;
    // Copies byte for byte, overwriting. Throws AppError.
    virtual void CopyOver(const std::string& from, const std::string& to) = 0;
    // Deletes, not forced (a read-only file stays). Throws AppError.
    virtual void Delete(const std::string& path) = 0;
    virtual FileStamp Stamp(const std::string& path) = 0;
    // The path made absolute against the program's current folder.
    virtual std::string FullPath(const std::string& path) = 0;

protected:
    ~PackageFiles() = default;
};

// The batch file as it runs.
class ArchiverRun {
public:
    virtual ~ArchiverRun() = default;
    // The exit code once the process has ended; nothing while it runs.
    virtual std::optional<std::uint32_t> ExitCode() = 0;
    // Sleeps until the process ends, a window event arrives or `timeout` passes.
    virtual void WaitForEndOrEvent(std::chrono::milliseconds timeout) = 0;
};

// What the build needs of the main window.
class BuildWindow : public virtual UserMessages, public EventPump {
public:
    virtual std::string FieldText(Field field) = 0;  // UTF-8, untrimmed
    virtual std::string IniText() = 0;               // UTF-8, exactly as the box holds it
    virtual void ClearStj() = 0;
    virtual void ShowWaitLabel(bool visible) = 0;
    virtual void SetControlsEnabled(bool enabled) = 0;
    virtual std::string AppPath() = 0;  // ends in exactly one backslash
    // Has the shell open the batch file hidden, in `folder`. Throws AppError.
    virtual std::unique_ptr<ArchiverRun> RunHidden(const std::string& batchPath, const std::string& folder) = 0;

protected:
    ~BuildWindow() = default;
};

// The steps of the "Erstelle STJ" button. A failing file operation raises
// AppError after the window is back to idle; every field keeps its text.
void BuildPackage(BuildWindow& window, PackageFiles& files,
                  std::chrono::milliseconds archiverLimit = kArchiverLimit);

}  // namespace kestrane
