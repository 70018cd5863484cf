#include "package/FolderConversion.h"

#include <algorithm>
#ifndef KESTRANE_NO_THREADS
#include <condition_variable>
#include <future>
#include <map>
#include <mutex>
#include <thread>
#endif
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <utility>

#include "descriptor/Attributes.h"
#include "descriptor/Text.h"
#include "descriptor/TextEncoding.h"
#include "package/IniText.h"
#include "package/NameMap.h"
#include "package/StjPacker.h"
#include "package/SuiteFiles.h"
#include "package/Words.h"

namespace kestrane {

namespace {

// A folder's files, sorted by their names without regard to case as Windows
// compares them.
using Files = std::span<const FolderEntry>;

// The number of the file of that name, or files.size() when there is none; of
// names that differ only in case, the first in that order.
std::size_t Find(Files files, const std::string& name) {
    const auto it = std::lower_bound(
        files.begin(), files.end(), name,
        [](const FolderEntry& entry, const std::string& n) { return LessIgnoringAsciiCase(entry.name, n); });
    if (it == files.end() || !EqualsIgnoringAsciiCase(it->name, name)) return files.size();
    return static_cast<std::size_t>(it - files.begin());
}

// For each file of the folder (by number) the name of its JAD as
// ForEachSuite picks it, empty for a file without. A JAD belongs to the JAR
// PartnerJar would pair it with; one that cannot be read, by its base name only.
std::vector<std::string_view> JadsOfJars(const std::string& folder, Files files, SystemPort& system) {
    std::vector<std::string_view> jadOf(files.size());
    for (const FolderEntry& file : files) {
        const std::string& jad = file.name;
        if (RoleOfFile(jad) != FileRole::Jad) continue;
        std::string bytes;
        try {
            bytes = ReadJadFile(folder + jad, system).bytes;
        } catch (const AppError&) {
            // Paired by its name alone; the suite's conversion reports what is wrong with it.
        }
        const std::optional<std::string> jar =
            PairedJar(jad, bytes, [files](const std::string& name) -> std::optional<std::string> {
                const std::size_t found = Find(files, name);
                if (found == files.size()) return std::nullopt;
                return files[found].name;
            });
        if (!jar) continue;
        std::string_view& owned = jadOf[Find(files, *jar)];
        if (owned.empty() || EqualsIgnoringAsciiCase(WithoutExtension(*jar), WithoutExtension(jad))) owned = jad;
    }
    return jadOf;
}

// ForEachSuite from the folder `relative` below `root` on.
void CollectSuites(SystemPort& system, const std::string& root, const std::string& relative, bool deep, bool goOn,
                   const std::function<void(const SuiteNames&)>& take) {
    const std::string folder = Concatenated({root, relative});
    std::vector<FolderEntry> entries;
    try {
        entries = system.ListFolder(folder);
    } catch (const AppError& error) {
        if (!goOn || relative.empty()) throw;
        take({relative, {}, {}, error.Report()});
        return;
    }
    // Its files before its subfolders, each in alphabetical order.
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        return a.isFolder != b.isFolder ? b.isFolder : LessIgnoringAsciiCase(a.name, b.name);
    });
    const Files files(entries.begin(), std::find_if(entries.begin(), entries.end(),
                                                    [](const FolderEntry& entry) { return entry.isFolder; }));
    const std::vector<std::string_view> jadOf = JadsOfJars(folder, files, system);
    for (std::size_t file = 0; file < files.size(); ++file) {
        // A JAR with a name before its extension.
        const std::string& name = files[file].name;
        if (name.size() > 4 && RoleOfFile(name) == FileRole::Jar) take({relative, name, jadOf[file], {}});
    }
    if (!deep) return;
    const char separator = SeparatorOf(root);
    for (const FolderEntry& entry : entries)
        if (entry.isFolder && !entry.isLink)
            CollectSuites(system, root, Concatenated({relative, entry.name, {&separator, 1}}), deep, goOn, take);
}

// The checks that make a package useless: the phone could not install it.
bool StopsTheSuite(FindingKind kind) {
    return kind == FindingKind::SameFile || kind == FindingKind::JarUnreadable || kind == FindingKind::NoManifest;
}

// The suite's name, and what its classes say of the phone, whatever becomes
// of the package.
void TellSuite(const SuiteReading& suite, SuiteResult& result) {
    if (const std::string* name = FindAttribute(suite.jad.attributes, "MIDlet-Name")) result.suite = *name;
    if (!suite.verdict) return;
    const ClassVerdict& verdict = *suite.verdict;
    result.phone = verdict.Runs()        ? SuiteResult::Phone::Runs
                   : verdict.CannotRun() ? SuiteResult::Phone::DoesNotRun
                                         : SuiteResult::Phone::Unknown;
    for (const NeedGroup& group : verdict.needs)
        if (!group.onlyIfPresent) result.needs.push_back(NeedLabelText(group));
}

// The result as it ends: `prefix` and `detail` make its text, which the notes follow.
SuiteResult Finish(SuiteResult result, SuiteStatus status, std::string_view prefix, std::string_view detail,
                   const std::vector<std::string>& notes) {
    result.status = status;
    std::string text = Concatenated({prefix, detail});
    for (std::size_t i = 0; i < notes.size(); ++i) text.append(i == 0 ? kFindingsSeparatorText : " ").append(notes[i]);
    result.result = OneLine(text);
    for (const std::string& note : notes) result.findings.push_back(OneLine(note));
    return result;
}

// A suite read and judged, nothing written yet: its result where that is
// known already, else the request that builds its package.
struct JudgedSuite {
    SuiteResult result;
    std::vector<std::string> notes = {};
    std::optional<PackageRequest> request = {};
    std::unique_ptr<FileToRead> jar = {};  // the request's JAR, open until it is built
};

// Reads only: suites are judged side by side, and built one after another.
JudgedSuite JudgeSuite(const SuiteJob& job, SystemPort& system) {
    SuiteResult result{.file = job.jar};
    std::vector<std::string> notes;
    try {
        // With its partner JAD, else with one made from the manifest.
        SuiteRead read =
            job.jad.empty() ? ReadSuiteMakingJad(job.jar, system) : SuiteRead{ReadSuite(job.jar, job.jad, system), {}};
        if (read.suite) TellSuite(*read.suite, result);
        if (!job.checkOnly && !job.overwrite && system.Stamp(job.stj).exists) {
            if (!job.wholeExisting || IsWholePackage(job.stj, system))
                return {Finish(result, SuiteStatus::Existing, kExistingText, {}, {})};
            notes.emplace_back(std::string(kDamagedPackageText));
        }
        if (!read.suite) return {Finish(result, SuiteStatus::Skipped, kSkippedPrefixText, read.problem, {})};
        const SuiteReading& suite = *read.suite;

        // rar.exe takes a JAD made from the manifest from the staging folder.
        std::string jadPath = job.jad;
        if (suite.jadMade) {
            jadPath = Concatenated({job.stagingFolder, FileNameOf(WithoutExtension(job.jar)), ".jad"});
            notes.emplace_back(std::string(kJadMadeText));
        }
        // The INI text as "Erstelle INI" makes it from the JAD. For a JAD
        // without MIDlet-1 the phone takes the JAD's and the manifest's
        // attributes together, so the INI takes the manifest's MIDlet-1,
        // and the user hears of it.
        const AttributeList manifest = suite.Manifest();
        const std::string* midlet = FindAttribute(manifest, "MIDlet-1");
        IniOutcome ini =
            IniFromJad(suite.jadBytes, system, midlet ? std::optional<std::string_view>(*midlet) : std::nullopt);
        // Both complaints of a JAD without MIDlet-1 say the same.
        if (!ini.complaints.empty())
            return {Finish(result, SuiteStatus::Skipped, kSkippedPrefixText, ini.complaints.front(), {})};

        SuiteFindings findings = CheckSuite(suite, *ini.text);
        if (ini.midletFromManifest)
            findings.findings.insert(findings.findings.begin(),
                                     {FindingKind::MidletFromManifest, MidletFromManifestText(*midlet)});
        for (const Finding& finding : findings.findings) {
            if ((job.strict && finding.kind != FindingKind::MayLack) || StopsTheSuite(finding.kind))
                return {Finish(result, SuiteStatus::Skipped, kSkippedPrefixText, finding.text, notes)};
            notes.push_back(std::string(finding.text));
        }
        PackageRequest request{.rar = job.useArchiver ? job.rar : std::string(),
                               .jar = job.jar,
                               .jad = std::move(jadPath),
                               .stj = job.stj,
                               .iniText = std::move(*ini.text),
                               .stagingFolder = job.stagingFolder,
                               .correctedJarSize = findings.correctedJarSize,
                               .jadBytes = std::move(read.suite->jadBytes),
                               .jadMade = suite.jadMade,
                               .jadWritten = suite.jadWritten,
                               .jarFile = suite.jarFile.get()};
        if (job.checkOnly && !system.ToAnsi(request.iniText))
            return {Finish(result, SuiteStatus::Failed, kFailedPrefixText, kIniNotAnsiText, notes)};
        if (job.checkOnly) return {Finish(result, SuiteStatus::Built, kFineText, {}, notes)};
        return {std::move(result), std::move(notes), std::move(request), std::move(read.suite->jarFile)};
    } catch (const AppError& error) {
        return {Finish(result, SuiteStatus::Failed, kFailedPrefixText, error.Report(), notes)};
    }
}

SuiteResult BuildJudged(JudgedSuite judged, const SuiteJob& job, SystemPort& system) {
    if (!judged.request) return std::move(judged.result);
    const auto& [result, notes, request, jar] = judged;
    try {
        // rar.exe takes its members from the staging folder; Kestrane packing
        // itself takes the bytes.
        if (job.useArchiver) {
            system.CreateFolder(job.stagingFolder);
            if (request->jadMade) system.WriteWholeFile(request->jad, *request->jadBytes);
        }
        system.CreateFolder(FolderPart(job.stj));
        const Outcome outcome = BuildPackage(
            *request, system, {.archiverLimit = job.archiverLimit, .startDirectly = true, .replaceWhenGood = true});
        if (outcome.kind == Outcome::Kind::Built) return Finish(result, SuiteStatus::Built, kBuiltText, {}, notes);
        const std::string reason = outcome.kind == Outcome::Kind::ArchiverFailed
                                       ? ArchiverFailureText(outcome.exitCode, job.archiverLimit.count() / 1000)
                                       : outcome.message;
        return Finish(result, SuiteStatus::Failed, kFailedPrefixText, reason, notes);
    } catch (const AppError& error) {
        return Finish(result, SuiteStatus::Failed, kFailedPrefixText, error.Report(), notes);
    }
}

// The refusal where the packages would have been, for an unattended run.
void WriteRefusalLog(const std::string& target, const FolderSummary& summary, SystemPort& system) {
    try {
        system.CreateFolder(target);
        ReplaceWholeFile(Concatenated({target, kLogFileName}),
                         Concatenated({kUtf8Bom, OneLine(summary.refusal), "\r\n", SummaryLine(summary), "\r\n"}),
                         system);
    } catch (const AppError&) {
        // The window says why the run did not start.
    }
}

// Why the run cannot start, or nothing; then `plan` holds what it converts.
std::optional<std::string> RefusalOfRun(const FolderJob& job, const std::string& target, SystemPort& system,
                                        SuitePlan& plan) {
    if (IsBlank(job.source)) return std::string(kNoSourceFolderText);
    if (target.empty()) return std::string(kNoTargetFolderText);
    if (job.useArchiver && (IsBlank(job.rar) || !ArchiverFound(job.rar, system))) return NoArchiverMessage(job.rar);
    // The target folder, made where it is missing, must take new files:
    // found out before the first suite, not by each suite failing. Where the
    // system refused to make it, its reason follows.
    try {
        system.CreateFolder(target);
    } catch (const AppError& error) {
        return Concatenated({TargetNotWritableText(target), "\n\n", error.Report()});
    }
    if (system.IsWriteProtected(target)) return TargetNotWritableText(target);
    try {
        const std::string source = FolderWithSeparator(system.FullPath(TrimSpaces(job.source)));
        ForEachSuite(source, job.includeSubfolders, system, false, [&](const SuiteNames& suite) {
            // A suite's package mirrors the JAR's place below the source folder,
            // so that equal names in different folders keep their own packages.
            std::string below(suite.folder);
            std::replace_if(
                below.begin(), below.end(), [](char c) { return c == '\\' || c == '/'; }, SeparatorOf(target));
            const std::size_t folder = plan.AddFolder(Concatenated({source, suite.folder}),
                                                      Concatenated({target, below}), std::string(suite.folder), target);
            plan.AddSuite(folder, suite.jar, suite.jad, suite.jar);
        });
    } catch (const AppError& error) {
        return error.Report();
    }
    return std::nullopt;
}

// The plan's suites read and judged, each when asked for.
struct Judging {
    const SuitePlan& plan;
    const std::string& workFolder;
    SystemPort& system;

    // The suite's job, staging in a subfolder of its own.
    SuiteJob Job(std::size_t index) const {
        SuiteJob job = plan.Job(index);
        if (!workFolder.empty()) job.stagingFolder = workFolder + DecimalText(index + 1) + SeparatorOf(workFolder);
        return job;
    }
    JudgedSuite Judge(std::size_t index) const {
        const std::string& problem = plan.Problem(index);
        if (!problem.empty()) return {{.result = problem, .status = plan.ProblemStatus(index)}};
        return JudgeSuite(Job(index), system);
    }
};

#ifndef KESTRANE_NO_THREADS
// The threads that judge ahead (see ConvertSuites), a few suites each past
// the one taken last. Once the pool goes, they start no new suite, and it
// waits for them.
class JudgingPool {
public:
    // Room for each thread to judge on while the loop builds: with only one
    // suite ahead each, a thread waits for every package written.
    static constexpr std::size_t kAheadPerWorker = 4;

    JudgingPool(const Judging& judging, std::size_t workers) : judging_(judging), ahead_(workers * kAheadPerWorker) {
        try {
            while (workers > 1 && threads_.size() < std::min(workers, judging.plan.Size()))
                threads_.emplace_back([this] { Work(); });
        } catch (...) {
            Stop();
            throw;
        }
    }
    ~JudgingPool() { Stop(); }
    JudgingPool(const JudgingPool&) = delete;
    JudgingPool& operator=(const JudgingPool&) = delete;

    JudgedSuite Take(std::size_t index) {
        if (threads_.empty()) return judging_.Judge(index);
        std::unique_lock lock(mutex_);
        end_ = std::min(index + ahead_, judging_.plan.Size());
        // Woken for half the room at once, not for each suite: one wake for
        // several suites when the threads are ahead. They are also woken
        // when the loop waits for a suite not yet started, which is then
        // the first of a whole room (or of the last suites).
        if (end_ >= next_ + ahead_ / 2 || end_ == judging_.plan.Size()) roomAhead_.notify_all();
        oneJudged_.wait(lock, [&] { return judged_.count(index) > 0; });
        std::future<JudgedSuite> judged = std::move(judged_.extract(index).mapped());
        lock.unlock();
        return judged.get();  // what the judging threw, thrown here
    }

private:
    // Plain flags under the one mutex: the C++ library's stop tokens wait on
    // atomics, which some thread libraries of Windows can leave asleep.
    void Stop() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        roomAhead_.notify_all();
        for (std::thread& thread : threads_) thread.join();
    }

    void Work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            roomAhead_.wait(lock, [&] { return stopping_ || next_ < end_; });
            if (stopping_) return;
            const std::size_t index = next_++;
            lock.unlock();
            std::packaged_task<JudgedSuite()> judging([&] { return judging_.Judge(index); });
            judging();
            lock.lock();
            judged_.emplace(index, judging.get_future());
            oneJudged_.notify_one();
        }
    }

    const Judging& judging_;
    const std::size_t ahead_;
    std::mutex mutex_;
    std::condition_variable roomAhead_;  // for the threads
    std::condition_variable oneJudged_;  // for the loop
    bool stopping_ = false;
    std::size_t next_ = 0;  // the next suite to judge
    std::size_t end_ = 0;   // the suites before it may be judged
    std::map<std::size_t, std::future<JudgedSuite>> judged_;
    std::vector<std::thread> threads_;
};
#else
// Kestrane.exe starts no thread through the C++ library: a suite is judged
// when taken, whatever the number of workers.
struct JudgingPool {
    const Judging& judging;
    std::size_t workers;
    JudgedSuite Take(std::size_t index) const { return judging.Judge(index); }
};
#endif

// The planned suite built, its result naming it as shown, its staging gone.
SuiteResult BuildPlanned(const Judging& judging, std::size_t index, JudgedSuite judged) {
    const SuiteJob job = judging.Job(index);
    SuiteResult result = BuildJudged(std::move(judged), job, judging.system);
    result.file = judging.plan.Shown(index);
    if (const std::string& note = judging.plan.Note(index); !note.empty()) {
        result.result.append(result.findings.empty() ? kFindingsSeparatorText : " ").append(note);
        result.findings.push_back(std::string(note));
    }
    try {
        if (!job.stagingFolder.empty()) judging.system.RemoveTree(job.stagingFolder);
    } catch (const AppError&) {
        // What stays goes with the working folder at the end.
    }
    return result;
}

// A folder's kestrane-protokoll.txt: a heading, one line per suite as it
// ends, the summary. Written under a temporary name and put in place of the
// last run's list once whole, so that a full disk or a stop midway leaves
// that list as it was; nothing of a run is held in memory for it.
class LogFile {
public:
    LogFile(const std::string& folder, SystemPort& system) : system_(system) {
        // With its byte order mark, so that editors of every age read it as UTF-8.
        Try([&] {
            system.CreateFolder(folder);
            const std::string path = Concatenated({folder, kLogFileName});
            file_.emplace(path, WriteNewFile(system, path, Concatenated({kUtf8Bom, kLogHeadingText, "\r\n"})), system);
        });
    }
    void Add(const SuiteResult& result) {
        summary.Add(result);
        Write(ResultLine(result, true) + "\r\n");
    }
    // Why it could not be written, or nothing once it is in place.
    std::optional<std::string> Finish(bool cancelled) {
        Write(Concatenated({SummaryLine(summary), cancelled ? kCancelledMarkText : "", "\r\n"}));
        Try([&] { file_->PutInPlace(); });
        return failure_;
    }

    FolderSummary summary;

private:
    void Write(const std::string& text) {
        Try([&] { system_.AppendToFile(file_->Path(), text); });
    }
    // Runs a step unless one before has failed, and keeps the first failure.
    template <typename Step>
    void Try(Step step) {
        if (failure_) return;
        try {
            step();
        } catch (const AppError& error) {
            failure_ = error.Report();
            file_.reset();
        }
    }

    SystemPort& system_;
    std::optional<TemporaryPackage> file_;
    std::optional<std::string> failure_;
};

}  // namespace

SuiteResult ConvertSuite(const SuiteJob& job, SystemPort& system) {
    return BuildJudged(JudgeSuite(job, system), job, system);
}

void ForEachSuite(const std::string& folder, bool includeSubfolders, SystemPort& system, bool goOn,
                  const std::function<void(const SuiteNames&)>& take) {
    CollectSuites(system, folder, "", includeSubfolders, goOn, take);
}

void FolderSummary::Add(const SuiteResult& result) {
    if (result.phone != SuiteResult::Phone::Unknown) ++judged;
    if (result.phone == SuiteResult::Phone::Runs) ++runs;
    switch (result.status) {
    case SuiteStatus::Built: ++built; break;
    case SuiteStatus::Existing: ++existing; break;
    case SuiteStatus::Skipped: ++skipped; break;
    case SuiteStatus::Failed: ++failed; break;
    }
}

int FolderSummary::ExitCode() const {
    if (!refusal.empty()) return 2;
    const bool allDone = !cancelled && Finished() == found;
    return allDone && skipped == 0 && failed == 0 ? 0 : 1;
}

std::string SummaryLine(const FolderSummary& summary) {
    std::string line = CountsText(summary.built, summary.found, summary.existing, summary.skipped, summary.failed);
    if (summary.judged > 0) line.append(", ").append(RunCountText(summary.runs, summary.found));
    return line;
}

std::string ResultLine(const SuiteResult& result, bool escaped) {
    // A tab inside a field would shift the columns; none of the program's
    // own texts has one, but file names and MIDlet-Names come from outside.
    auto field = [escaped](std::string_view text) {
        std::string one = escaped ? EscapedLine(text) : std::string(text);
        std::replace(one.begin(), one.end(), '\t', ' ');
        return one;
    };
    return Concatenated({field(result.file), "\t", field(escaped ? OneLine(result.suite) : result.suite), "\t",
                         field(result.result), "\t", PhoneWord(result.phone)});
}

std::string_view PhoneWord(SuiteResult::Phone phone) {
    return phone == SuiteResult::Phone::Runs         ? kRunsText
           : phone == SuiteResult::Phone::DoesNotRun ? kDoesNotRunText
                                                     : std::string_view();
}

FolderSummary ConvertSuites(const SuitePlan& plan, const std::string& workFolder, SystemPort& system,
                            FolderListener& listener, std::size_t workers) {
    FolderSummary summary{.found = plan.Size()};
    // By their folders' names, which the plan holds; a run has a few.
    NameMap<std::unique_ptr<LogFile>> logs;
    for (std::size_t i = 0; i < plan.Size(); ++i) {
        const std::string& folder = plan.LogFolder(i);
        if (folder.empty()) continue;
        std::unique_ptr<LogFile>& log = logs[folder];
        if (!log) log = std::make_unique<LogFile>(folder, system);
        ++log->summary.found;
    }
    listener.SuitesFound(plan.Size());
    // A cancel leaves the suites judged ahead unbuilt (their judging wrote nothing).
    const Judging judging{plan, workFolder, system};
    JudgingPool pool{judging, workers};
    for (std::size_t i = 0; i < plan.Size(); ++i) {
        if (listener.Cancelled()) {
            summary.cancelled = true;
            break;
        }
        listener.SuiteStarting(i, plan.Size());
        const SuiteResult result = BuildPlanned(judging, i, pool.Take(i));
        summary.Add(result);
        if (const auto log = logs.find(plan.LogFolder(i)); log != logs.end()) log->second->Add(result);
        listener.SuiteFinished(i, result);
    }
    for (const auto& [folder, log] : logs)
        if (std::optional<std::string> failure = log->Finish(summary.cancelled))
            summary.logFailures.push_back(std::move(*failure));
    return summary;
}

FolderSummary ConvertFolder(const FolderJob& job, SystemPort& system, FolderListener& listener) {
    const std::string target =
        IsBlank(job.target) ? std::string() : FolderWithSeparator(system.FullPath(TrimSpaces(job.target)));
    // What every suite of the folder window's run shares.
    SuitePlan plan({.overwrite = job.overwrite,
                    .useArchiver = job.useArchiver,
                    .rar = job.rar,
                    .archiverLimit = job.archiverLimit});
    if (std::optional<std::string> refusal = RefusalOfRun(job, target, system, plan)) {
        FolderSummary summary{.refusal = std::move(*refusal)};
        // An unattended run leaves its reason where its packages would be.
        if (!target.empty()) WriteRefusalLog(target, summary, system);
        return summary;
    }
    return ConvertSuites(plan, job.workFolder, system, listener);
}

SuitePlan::SuitePlan(SuiteJob common) : common_(std::move(common)), names_(1, '\0') { common_.stagingFolder.clear(); }

std::size_t SuitePlan::AddFolder(std::string source, std::string packages, std::string shown, std::string logFolder) {
    Folder folder{std::move(source), std::move(packages), std::move(shown), std::move(logFolder)};
    if (folders_.empty() || folders_.back() != folder) folders_.push_back(std::move(folder));
    return folders_.size() - 1;
}

std::uint32_t SuitePlan::AddName(std::string_view name) {
    if (name.empty()) return 0;  // the NUL names_ starts with
    // Numbers of 32 bits keep each suite small: four thousand million bytes of names are no folder's.
    if (names_.size() + name.size() >= UINT32_MAX) throw std::length_error("too many suites");
    const auto start = static_cast<std::uint32_t>(names_.size());
    names_.append(name);
    names_.push_back('\0');
    return start;
}

std::size_t SuitePlan::AddSuite(std::size_t folder, std::string_view jar, std::string_view jad,
                                std::string_view shownName) {
    const std::uint32_t jarName = AddName(jar);
    const std::uint32_t jadName = AddName(jad);
    const std::uint32_t shown = shownName == jar ? jarName : AddName(shownName);
    suites_.push_back({static_cast<std::uint32_t>(folder), jarName, jadName, shown, 0});
    return suites_.size() - 1;
}

const SuitePlan::Rare& SuitePlan::RareOf(std::size_t suite) const {
    static const Rare none;
    const std::uint32_t rare = suites_[suite].rare;
    return rare == 0 ? none : rare_[rare - 1];
}

std::string SuitePlan::InSource(std::size_t suite, std::uint32_t name) const {
    return name == 0 ? std::string() : Concatenated({folders_[suites_[suite].folder].source, Name(name)});
}

std::string SuitePlan::Package(std::size_t suite) const {
    const Suite& one = suites_[suite];
    const std::uint32_t named = one.jar != 0 ? one.jar : one.jad;
    if (named == 0) return {};
    const unsigned number = RareOf(suite).number;
    const std::string suffix = number > 1 ? Concatenated({" (", DecimalText(number), ")"}) : std::string();
    return Concatenated({folders_[one.folder].packages, WithoutExtension(std::string(Name(named))), suffix, ".stj"});
}

SuiteJob SuitePlan::Job(std::size_t suite) const {
    SuiteJob job = common_;
    job.jar = Jar(suite);
    job.jad = Jad(suite);
    job.stj = Package(suite);
    return job;
}

std::string SuitePlan::Shown(std::size_t suite) const {
    const Suite& one = suites_[suite];
    return Concatenated({folders_[one.folder].shown, Name(one.shown)});
}

WorkFolder::~WorkFolder() {
    try {
        system_.RemoveTree(path_);
    } catch (...) {
        // A file some other program holds open; the temporary folder is the
        // system's to tidy.
    }
}

}  // namespace kestrane
