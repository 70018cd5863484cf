#include "package/PackageBuild.h"

#include <memory>
#include <utility>

#include "descriptor/Attributes.h"
#include "descriptor/Text.h"
#include "package/BatchFile.h"
#include "package/RarArchive.h"
#include "package/StjPacker.h"
#include "package/SuiteFiles.h"
#include "package/Words.h"

namespace kestrane {

namespace {

struct Members {
    std::string ini, jah, utf, obj;  // obj empty when there is no OBJ file
};

// What the checks found out, ready to be written.
struct Prepared {
    Members members;
    std::string iniBytes;     // in the ANSI code page
    std::string stj;          // absolute
    std::string archive;      // what the archiver writes: the STJ file or its temporary name
    std::string batchLine;    // or, started directly, the whole command line
    std::string batchFolder;  // where stj.bat goes; empty when started directly
    std::string runFolder;    // where the archiver runs: always the folder of rar.exe
    std::string archiver;     // rar.exe's path when started directly
};

// An outcome the build reached itself, not through an AppError.
Outcome Told(Outcome::Kind kind, std::string_view message, std::optional<std::uint32_t> exitCode = std::nullopt) {
    return {kind, std::string(message), std::nullopt, exitCode};
}

// The folder itself, unless it is there but refuses this user's writes:
// then the user's own folder. A folder that is missing stays the choice, so
// that the user hears about it.
std::string WritableFolder(const std::string& folder, const PackageRequest& request, SystemPort& system) {
    if (request.userFolder.empty() || !system.IsWriteProtected(folder)) return folder;
    system.CreateFolder(request.userFolder);
    return request.userFolder;
}

// Everything that can be found wrong before a file is written: the message
// for the user, or nothing and `prepared` holds what the build needs.
std::optional<std::string> Prepare(const PackageRequest& request, SystemPort& system, const BuildOptions& options,
                                   Prepared& prepared) {
    const std::string staging = WritableFolder(request.stagingFolder, request, system);
    prepared.members = {staging + "stjava.ini", staging + "java.jah", staging + "java.utf",
                        IsBlank(request.obj) ? std::string() : staging + "java.obj"};
    prepared.iniBytes = system.ToAnsi(request.iniText).value_or("");
    const std::string rarFolder = BatchFolder(request.rar);
    prepared.runFolder = ParentFolder(rarFolder + std::string(kBatchFileName));
    // A relative STJ path means the program's current folder, as it does for
    // the copies; the archiver runs elsewhere, in the folder of rar.exe, so it
    // gets the path whole, and the result is looked for where it was asked.
    prepared.stj = system.FullPath(request.stj);
    // A package that replaces one only when whole is written beside it under
    // a name recognisably Kestrane's, one per STJ file, so that a file left
    // behind by a crash goes with the next build of the same package.
    prepared.archive = options.replaceWhenGood ? prepared.stj + ".kestrane-tmp" : prepared.stj;

    const Members& m = prepared.members;
    if (options.startDirectly) {
        prepared.archiver = system.FullPath(rarFolder + "rar.exe");
        prepared.batchLine = ArchiverCommand(Concatenated({"\"", prepared.archiver, "\""}), prepared.archive, m.jah,
                                             m.utf, m.ini, m.obj);
        return std::nullopt;
    }
    prepared.batchFolder = WritableFolder(rarFolder, request, system);
    std::string safe[5];
    const std::string* const paths[5] = {&prepared.archive, &m.jah, &m.utf, &m.ini, &m.obj};
    for (int i = 0; i < 5; ++i) {
        if (paths[i]->empty()) continue;
        // A temporary package left from a crash is deleted before rar.exe runs.
        const bool anew = i == 0 && options.replaceWhenGood;
        std::optional<std::string> carried = anew ? OemSafeNewPath(*paths[i], system) : OemSafePath(*paths[i], system);
        if (!carried) return UnsafePathText(*paths[i]);
        safe[i] = std::move(*carried);
    }
    prepared.batchLine = ArchiverCommand("rar.exe", safe[0], safe[1], safe[2], safe[3], safe[4]);
    return std::nullopt;
}

void StageMembers(const PackageRequest& request, const Prepared& prepared, SystemPort& system) {
    const Members& members = prepared.members;
    system.WriteWholeFile(members.ini, prepared.iniBytes);
    system.CopyOver(request.jar, members.jah);
    const std::string jad = JadOfRequest(request, system).bytes;
    const std::string utf = PackageJadBytes(jad, request.correctedJarSize);
    if (utf == jad)
        system.CopyOver(request.jad, members.utf);
    else
        system.WriteWholeFile(members.utf, utf);
    if (!members.obj.empty()) system.CopyOver(request.obj, members.obj);
}

// Starts the archiver (through the batch file, unless it is started
// directly) between the two settling waits and waits on for it, up to the
// limit from its start. The exit code, if it ended.
std::optional<std::uint32_t> RunArchiver(const Prepared& prepared, const std::string& batchPath, SystemPort& system,
                                         const BuildOptions& options) {
    system.Pause(options.settleBeforeRun);
    const auto started = system.Now();
    std::unique_ptr<ArchiverRun> run =
        batchPath.empty() ? system.StartProgram(prepared.archiver, prepared.batchLine, prepared.runFolder)
                          : system.RunHidden(batchPath, prepared.runFolder);
    system.Pause(options.settleAfterRun);
    const auto waited = system.Now() - started;
    if (!run->ExitCode() && options.archiverLimit > waited) run->WaitForEnd(options.archiverLimit - waited);
    return run->ExitCode();
}

// Tells the progress listener that the wait has begun, and that it is over
// however the build ends.
class ArchiverWait {
public:
    explicit ArchiverWait(BuildProgress* progress) : progress_(progress) {
        if (progress_) progress_->WaitingForArchiver(true);
    }
    ~ArchiverWait() {
        if (progress_) progress_->WaitingForArchiver(false);
    }
    ArchiverWait(const ArchiverWait&) = delete;
    ArchiverWait& operator=(const ArchiverWait&) = delete;

private:
    BuildProgress* progress_;
};

Outcome RunAndJudge(const PackageRequest& request, const Prepared& prepared, SystemPort& system,
                    const BuildOptions& options, BuildProgress* progress) {
    StageMembers(request, prepared, system);
    std::optional<TemporaryPackage> temporary;
    if (options.replaceWhenGood) {
        if (system.Stamp(prepared.archive).exists) system.Delete(prepared.archive);
        temporary.emplace(prepared.stj, prepared.archive, system);
    }
    const std::string batchPath =
        options.startDirectly ? std::string() : WriteBatchFile(prepared.batchFolder, prepared.batchLine, system);
    const FileStamp before = system.Stamp(prepared.archive);
    std::optional<std::uint32_t> exitCode;
    {
        ArchiverWait wait(progress);
        try {
            exitCode = RunArchiver(prepared, batchPath, system, options);
        } catch (...) {
            try {
                if (!batchPath.empty()) system.Delete(batchPath);
            } catch (...) {
                // The first failure is the one the user needs to hear about.
            }
            throw;
        }
        if (!batchPath.empty()) system.Delete(batchPath);
    }
    if (!BuildSucceeded(exitCode, before, system.Stamp(prepared.archive)))
        return Told(Outcome::Kind::ArchiverFailed, kBuildFailedText, exitCode);
    switch (FormatOf(*system.OpenForReading(prepared.archive))) {
    case ArchiveFormat::Rar5: return Told(Outcome::Kind::WrongFormat, kWrongFormatText, exitCode);
    case ArchiveFormat::Other: return Told(Outcome::Kind::ArchiverFailed, kBuildFailedText, exitCode);
    case ArchiveFormat::Rar4: break;
    }
    if (temporary) temporary->PutInPlace();
    return Told(Outcome::Kind::Built, kStjBuiltText, exitCode);
}

// Kestrane's own packing of a request the checks let pass, busy for the
// window as long as the archiver would be.
Outcome PackWithin(const PackageRequest& request, SystemPort& system, BuildProgress* progress) {
    const std::string iniBytes = system.ToAnsi(request.iniText).value_or("");
    const std::string stj = system.FullPath(request.stj);
    ArchiverWait wait(progress);
    WritePackage(stj, request, iniBytes, system);
    return Told(Outcome::Kind::Built, kStjBuiltText);
}

}  // namespace

bool ArchiverFound(const std::string& rarPath, SystemPort& system) {
    return system.Stamp(BatchFolder(rarPath) + "rar.exe").exists;
}

std::string NoArchiverMessage(std::string_view rarPath) {
    if (IsBlank(rarPath)) return std::string(kArchiverNotNamedText);
    return NoArchiverText(BatchFolder(rarPath));
}

std::optional<std::string> CheckRequest(const PackageRequest& request, SystemPort& system) {
    if (IsBlank(request.jar) || IsBlank(request.jad)) return std::string(kNoJarOrJadText);
    if (IsBlank(request.stj)) return std::string(kNoStjText);
    if (!system.ToAnsi(request.iniText)) return std::string(kIniNotAnsiText);
    // The archiver would overwrite an input with the package, or find it
    // locked; either way the user's file is at stake. A JAD made from the
    // manifest is no file of the user's, and not yet written: nothing to ask.
    const std::pair<std::string_view, const std::string*> inputs[] = {
        {"JAR", &request.jar}, {"JAD", &request.jad}, {"OBJ", &request.obj}};
    for (const auto& [name, path] : inputs) {
        if (request.jadMade && path == &request.jad) continue;
        if (!IsBlank(*path) && system.SameFile(request.stj, *path)) return StjIsInputText(name);
    }
    if (!IsBlank(request.rar) && !ArchiverFound(request.rar, system)) return NoArchiverMessage(request.rar);
    return std::nullopt;
}

JadFile JadOfRequest(const PackageRequest& request, SystemPort& system) {
    return request.jadBytes ? JadFile{*request.jadBytes, request.jadWritten} : ReadJadFile(request.jad, system);
}

std::string PackageJadBytes(std::string_view jadBytes, std::optional<std::uint64_t> correctedJarSize) {
    std::string jad = Utf16JadToUtf8(jadBytes);
    return correctedJarSize ? ReplaceJarSize(jad, *correctedJarSize) : jad;
}

bool BuildSucceeded(std::optional<std::uint32_t> exitCode, const FileStamp& before, const FileStamp& after) {
    return exitCode == 0u && after.exists && after != before;
}

Outcome BuildPackage(const PackageRequest& request, SystemPort& system, const BuildOptions& options,
                     BuildProgress* progress) {
    if (!options.checked)
        if (std::optional<std::string> refusal = CheckRequest(request, system))
            return Told(Outcome::Kind::InputProblem, *refusal);
    const bool itself = options.packItself || IsBlank(request.rar);
    try {
        Prepared prepared;
        if (!itself)
            if (std::optional<std::string> message = Prepare(request, system, options, prepared))
                return Told(Outcome::Kind::InputProblem, *message);
        return itself ? PackWithin(request, system, progress)
                      : RunAndJudge(request, prepared, system, options, progress);
    } catch (const AppError& error) {
        return {Outcome::Kind::SystemError, error.Report(), error, std::nullopt};
    }
}

}  // namespace kestrane
