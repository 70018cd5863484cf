// "Ordner umwandeln": every JAR of a folder becomes a package of its own.
// A suite's JAD is the one of its folder that pairs with it as the main
// window pairs them, or else one made from its manifest; its INI text comes
// from the JAD as "Erstelle INI" makes it; the checks run, and what they
// find is written into the suite's result instead of being asked. The same
// steps serve a command-line tool: ForEachSuite fills a SuitePlan, which
// ConvertSuites works through.
// Kestrane packs each suite itself; where the user asks for rar.exe instead,
// it is started directly for each suite, without a batch file and without
// the single build's settling waits.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "package/PackageBuild.h"
#include "package/SystemPort.h"

namespace kestrane {

// The list written into the target folder at the end, or the refusal of a
// run that could not start, where the target folder takes it.
inline constexpr std::string_view kLogFileName = "kestrane-protokoll.txt";

struct FolderJob {
    // Packs with rar.exe instead of Kestrane's own packer, each package under
    // a temporary name until rar.exe has succeeded and written RAR 4.
    bool useArchiver = false;
    std::string rar;     // the main window's rar.exe field, as typed; needed only with useArchiver
    std::string source;  // folders as typed, with or without a trailing separator
    std::string target;
    bool includeSubfolders = false;
    bool overwrite = false;
    // An empty folder of this run's own (ending in its separator); each suite
    // stages its members in a subfolder that goes again after the suite.
    std::string workFolder;
    std::chrono::milliseconds archiverLimit = kArchiverLimit;
};

enum class SuiteStatus {
    Built,     // the package is there
    Existing,  // a package of that name was there already and stays
    Skipped,   // the suite cannot become a package: no JAD, a broken JAR
    Failed,    // a file operation or the packing failed; no package, an existing one untouched
};

struct SuiteResult {
    std::string file = {};    // the JAR's path below the source folder
    std::string suite = {};   // its MIDlet-Name, empty when none is known
    std::string result = {};  // German, one line: "erstellt", "vorhanden", "übersprungen: …", "fehlgeschlagen: …"
    SuiteStatus status = SuiteStatus::Failed;
    // What the result says after its " – ", one text each, for a caller that
    // lists them apart: what the checks found, a JAD made from the manifest.
    std::vector<std::string> findings = {};
    // Whether it runs on the phone, as its classes tell; unknown where the
    // JAR could not be read, or not every class of it while those read do
    // not say it cannot. `needs` names what it lacks, a group each.
    enum class Phone { Unknown, Runs, DoesNotRun } phone = Phone::Unknown;
    std::vector<std::string> needs = {};
};

// A suite as the search comes upon it: the folder it is in below the searched
// one (empty, or ending in its separator) and its JAR's and its JAD's names
// there, the JAD's empty when it has none and one is made from its manifest.
// For a folder below that could not be listed, when the search goes on: that
// folder, no names, and why, as the system said it.
struct SuiteNames {
    std::string_view folder;
    std::string_view jar;
    std::string_view jad;
    std::string_view unreadable;
};

// The suites of `folder` (ending in '\\' or '/', which the paths found use
// too), each given to `take` as it is found and none kept, for a folder may
// hold a great many: each folder's names in alphabetical order without
// regard to case, its files before its subfolders, linked folders not
// followed. A JAR's JAD is one of its folder that PartnerJar would pair with
// it (one that cannot be read, by its base name only); of several, the one
// of the JAR's base name, else the first. Throws AppError when a folder
// cannot be listed; with `goOn`, only for `folder` itself, and a subfolder
// that cannot be is given as a suite of its own.
void ForEachSuite(const std::string& folder, bool includeSubfolders, SystemPort& system, bool goOn,
                  const std::function<void(const SuiteNames&)>& take);

struct SuiteJob {
    std::string jar = {};
    std::string jad = {};  // empty: one is made from the JAR's manifest
    std::string stj = {};  // the package to write; its folder is made where missing
    bool overwrite = false;
    bool useArchiver = false;  // see FolderJob
    std::string rar = {};
    // An empty folder for this suite alone (ending in its separator), made
    // where something is staged; the caller removes it afterwards.
    std::string stagingFolder = {};
    std::chrono::milliseconds archiverLimit = kArchiverLimit;
    // A suite with any finding of the checks is skipped, with the first
    // finding as the reason, instead of being packaged with notes. A JAD
    // made from the manifest is no finding: a JAR alone is a whole suite; nor
    // is a need of a class loaded only where present: the suite runs without.
    bool strict = false;
    // A package already there counts as existing only when it is whole (see
    // IsWholePackage); a damaged one is built again, and its result says so.
    bool wholeExisting = false;
    // The suite is read and judged, nothing is written and no package looked
    // for: "in Ordnung" where it would be built, with what the checks found.
    bool checkOnly = false;
};

// Converts one suite. Its result names the JAR by `job.jar`. Throws nothing
// the port throws: a failure ends up in the result.
SuiteResult ConvertSuite(const SuiteJob& job, SystemPort& system);

// The suites of a run as planned, held small, for a run may plan a great
// many: what every suite shares once, and of each suite its folder's number
// and its files' names; its paths, the name it is shown by and its package
// are put together when asked for. A folder says where its JARs and JADs
// are, where their packages go, how the user knows it and which log lists
// its suites.
class SuitePlan {
public:
    // Every suite's job is `common`'s, but with its own paths and no staging folder.
    explicit SuitePlan(SuiteJob common);

    // A folder of suites: `source` and `packages` ending in their separator;
    // `shown` is put before each suite's shown name; `logFolder` ends in its
    // separator, empty: no log lists them. Returns its number for AddSuite;
    // the same as the last one's when it is that folder again.
    std::size_t AddFolder(std::string source, std::string packages, std::string shown, std::string logFolder);
    // A suite of that folder, by its JAR's and JAD's names in it: an empty
    // JAD is made from the manifest, an empty JAR makes the JAD's suite one
    // without its JAR. Its package is named after its JAR (else its JAD) in
    // the folder's packages; with neither it has none. Returns its number.
    std::size_t AddSuite(std::size_t folder, std::string_view jar, std::string_view jad, std::string_view shownName);
    // Why the suite cannot even start (a JAD without its JAR, a folder not
    // listed): then this is its result, with this status.
    void SetProblem(std::size_t suite, std::string problem, SuiteStatus status);
    // The suite's package is "<its name> (<number>).stj" instead; 0 or 1 goes back to "<its name>.stj".
    void Renumber(std::size_t suite, unsigned number);
    // Said after the suite's result, as one more finding.
    void SetNote(std::size_t suite, std::string note);
    // Goes through the suites in their order, moving each down over the ones
    // dropped before it; `keep` is asked for each at its new number, and
    // drops it by saying false.
    void KeepWhere(const std::function<bool(std::size_t)>& keep);

    std::size_t Size() const { return suites_.size(); }
    SuiteJob Job(std::size_t suite) const;  // without its staging folder
    std::string Jar(std::size_t suite) const { return InSource(suite, suites_[suite].jar); }
    std::string Jad(std::size_t suite) const { return InSource(suite, suites_[suite].jad); }
    std::string Package(std::size_t suite) const;  // empty: it has none
    std::string Shown(std::size_t suite) const;    // the JAR as the user knows it
    const std::string& LogFolder(std::size_t suite) const { return folders_[suites_[suite].folder].logFolder; }
    const std::string& Problem(std::size_t suite) const { return RareOf(suite).problem; }
    SuiteStatus ProblemStatus(std::size_t suite) const { return RareOf(suite).problemStatus; }
    const std::string& Note(std::size_t suite) const { return RareOf(suite).note; }

private:
    struct Folder {
        std::string source, packages, shown, logFolder;
        bool operator==(const Folder&) const = default;
    };
    // What few suites have, kept aside.
    struct Rare {
        std::string problem;
        SuiteStatus problemStatus = SuiteStatus::Skipped;
        std::string note;
        unsigned number = 0;
    };
    struct Suite {
        std::uint32_t folder;
        std::uint32_t jar, jad, shown;  // where the name starts in names_
        std::uint32_t rare;             // 1 + its place in rare_; 0: none
    };
    std::uint32_t AddName(std::string_view name);
    std::string_view Name(std::uint32_t start) const { return names_.data() + start; }
    std::string InSource(std::size_t suite, std::uint32_t name) const;  // the name in its folder; empty for none
    const Rare& RareOf(std::size_t suite) const;                        // an empty one where it has none
    Rare& OwnRare(std::size_t suite);

    SuiteJob common_;
    std::vector<Folder> folders_;
    std::string names_;  // each name ended by a NUL, which no file name holds
    std::vector<Rare> rare_;
    std::vector<Suite> suites_;
};

// Told what happens, on the thread that converts.
class FolderListener {
public:
    virtual void SuitesFound(std::size_t /*count*/) {}
    // Before the suite at `index` (from 0) of `count`, once it is not cancelled.
    virtual void SuiteStarting(std::size_t /*index*/, std::size_t /*count*/) {}
    // The result names the suite as it was shown.
    virtual void SuiteFinished(std::size_t index, const SuiteResult& result) = 0;
    // Asked before each suite; true stops the run there.
    virtual bool Cancelled() = 0;

protected:
    ~FolderListener() = default;
};

struct FolderSummary {
    std::string refusal = {};  // why nothing ran; empty when the suites were worked
    std::size_t found = 0;
    std::size_t built = 0;
    std::size_t existing = 0;
    std::size_t skipped = 0;  // without the existing ones
    std::size_t failed = 0;
    bool cancelled = false;
    std::size_t judged = 0;  // suites whose classes were judged
    std::size_t runs = 0;    // of those, the ones that run on the phone
    // Why a log could not be written, as the system said it, one each.
    std::vector<std::string> logFailures = {};

    std::size_t Finished() const { return built + existing + skipped + failed; }
    void Add(const SuiteResult& result);
    // For scripts: 0 when every suite was built or left as existing; 1 when
    // one failed or was skipped, or the run was cancelled; 2 when the run
    // was refused before it started.
    int ExitCode() const;
};

// "37 von 240 erstellt, 13 vorhanden, 2 übersprungen, 1 fehlgeschlagen", and
// once a suite's classes were judged ", 11 von 240 laufen auf dem Telefon".
std::string SummaryLine(const FolderSummary& summary);

// One line of the list as copied: file, suite, result and whether it runs
// on the phone, tab-separated. `escaped`, as the line is written: every
// control character and every byte of no UTF-8 character escaped ("\n",
// "\x1B") in its names and its result, so that each suite keeps one line and
// the line stays UTF-8.
std::string ResultLine(const SuiteResult& result, bool escaped = false);
// "läuft", "läuft nicht", or nothing where the JAR could not be judged (not wholly).
std::string_view PhoneWord(SuiteResult::Phone phone);

// The one loop over the suites of a run: converts (or checks) each planned
// suite until the listener cancels, each staging in its own subfolder of
// `workFolder` (ending in its separator; empty where no suite uses rar.exe),
// and at the end writes each log folder's list. With `workers` above one,
// that many threads of the run, no more than it has suites, read and judge
// a few suites each ahead of the one being built on (the port must bear
// that; a build without the C++ library's threads judges them one by one),
// while they are built, told to the listener and logged one after another
// in the plan's order on the calling thread; the threads are gone when it
// returns, also by a throw.
// Throws nothing the port throws.
FolderSummary ConvertSuites(const SuitePlan& plan, const std::string& workFolder, SystemPort& system,
                            FolderListener& listener, std::size_t workers = 1);

// Converts the folder. Throws nothing the port throws: a refusal ends up in
// the summary, a suite's failure in its result.
FolderSummary ConvertFolder(const FolderJob& job, SystemPort& system, FolderListener& listener);

// A working folder under the user's temporary folder for the lifetime of the
// scope; removed with everything in it however the scope ends.
class WorkFolder {
public:
    explicit WorkFolder(SystemPort& system) : system_(system), path_(system.MakeWorkFolder()) {}  // throws AppError
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    SystemPort& system_;
    std::string path_;
};

}  // namespace kestrane
