#include "cli/Cli.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <unordered_set>
#include <thread>

#include "cli/CliWords.h"
#include "descriptor/Attributes.h"
#include "descriptor/Text.h"
#include "descriptor/TextEncoding.h"
#include "package/FolderConversion.h"
#include "package/IniText.h"
#include "package/StjPacker.h"
#include "package/SuiteFiles.h"
#include "package/Words.h"

namespace kestrane {

using namespace cli_words;

namespace {

namespace fs = std::filesystem;

constexpr char kSeparator = static_cast<char>(fs::path::preferred_separator);

// A folder as kestrane names it: ending in this system's separator.
std::string WithOwnSeparator(std::string folder) {
    if (folder.empty() || (folder.back() != '/' && folder.back() != kSeparator)) folder += kSeparator;
    return folder;
}

// What a path names, for the checks of the arguments: links followed, and a
// link that leads nowhere is missing.
fs::file_status StatusOf(const std::string& path) {
    std::error_code error;
    return fs::status(fs::path(std::u8string(path.begin(), path.end())), error);
}

// Whether names that differ only in case name one file in the folder: a
// probe written there is looked for in capitals. Where nothing can be
// written, no package is either.
bool IgnoresCase(SystemPort& system, const std::string& folder) {
    std::string probe;
    try {
        probe = WriteNewFile(system, WithOwnSeparator(folder) + "probe", "");
    } catch (const AppError&) {
        return false;
    }
    std::string upper = probe;
    for (std::size_t i = upper.size() - FileNameOf(upper).size(); i < upper.size(); ++i)
        if (upper[i] >= 'a' && upper[i] <= 'z') upper[i] = static_cast<char>(upper[i] - 'a' + 'A');
    const bool same = system.Stamp(upper).exists;
    try {
        system.Delete(probe);
    } catch (const AppError&) {
        // A probe of no size that stays behind harms nobody.
    }
    return same;
}

// The folder part of a path with its separator; the current folder for a bare name.
std::string FolderOf(const std::string& path) {
    const std::string folder = FolderPart(path);
    return folder.empty() ? "." + std::string(1, kSeparator) : folder;
}

// The text as a JSON string, in its quotes.
std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (const std::size_t length = Utf8CharacterAt(text, i).length; length != 1) {
            // A whole character beyond ASCII as it is; a byte of none as U+FFFD.
            out += length == 0 ? std::string_view("\\ufffd") : text.substr(i, length);
            i += length == 0 ? 0 : length - 1;
            continue;
        }
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20)
                out += {'\\', 'u', '0', '0', "0123456789abcdef"[c >> 4], "0123456789abcdef"[c & 0xF]};
            else
                out += c;
        }
    }
    return out + "\"";
}

// The texts as the elements of a JSON array, without its brackets.
std::string JsonList(const std::vector<std::string>& texts) {
    std::string list;
    for (const std::string& text : texts) list += (list.empty() ? "" : ",") + JsonString(text);
    return list;
}

// For a name that is no UTF-8, which a JSON string cannot hold: its bytes,
// each one outside printable ASCII and '%' as %XX, as a field of its own
// after the one that has U+FFFD in their place.
std::string RawBytesField(std::string_view key, std::string_view text) {
    if (IsValidUtf8(text)) return {};
    std::string bytes;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte < 0x7F && c != '%' && c != '"' && c != '\\')
            bytes += c;
        else
            bytes += {'%', "0123456789ABCDEF"[byte >> 4], "0123456789ABCDEF"[byte & 0xF]};
    }
    return ",\"" + std::string(key) + "\":" + JsonString(bytes);
}

std::string_view StatusWord(SuiteStatus status) {
    switch (status) {
    case SuiteStatus::Built: return kBuiltText;
    case SuiteStatus::Existing: return kExistingText;
    case SuiteStatus::Skipped: return kSkippedStatusText;
    case SuiteStatus::Failed: return kFailedStatusText;
    }
    return {};
}

// A check builds nothing: its counts say how many are fine.
std::string CheckSummaryLine(const FolderSummary& summary) {
    std::string line = CheckCountsText(summary.built, summary.found, summary.skipped, summary.failed);
    if (summary.judged > 0) line += ", " + RunCountText(summary.runs, summary.found);
    return line;
}

// The plan's suites kept by a text each is known by, by their numbers only:
// the plan may hold a great many suites.
template <typename Text>
auto SuitesKnownBy(Text text) {
    auto hash = [text](std::size_t suite) { return std::hash<std::string>()(text(suite)); };
    auto same = [text](std::size_t a, std::size_t b) { return text(a) == text(b); };
    return std::unordered_set<std::size_t, decltype(hash), decltype(same)>(0, hash, same);
}

// A suite named twice (its JAR and its JAD, or a file and its folder) is
// packed once: the second time would only find its own package. Suites of
// other JARs that would make one package (game.jar from two folders named
// on the line, or Game.jar beside game.jar where the target ignores case)
// each get one: the later ones "game (2).stj", "game (3).stj", … and their
// lines say so.
void OnePackageEach(SuitePlan& plan, SystemPort& system, bool writes) {
    std::map<std::string, bool> ignoresCase;  // per folder of packages
    const auto named = [&](std::size_t suite) {
        std::string jar = plan.Jar(suite);
        if (!jar.empty()) return jar;
        std::string jad = plan.Jad(suite);
        return !jad.empty() ? jad : plan.Shown(suite);
    };
    const auto key = [&](std::size_t suite) {
        const std::string& folder = plan.LogFolder(suite);
        auto [it, added] = ignoresCase.try_emplace(folder, false);
        if (added) it->second = writes && IgnoresCase(system, folder);
        return it->second ? AsciiLowered(plan.Package(suite)) : plan.Package(suite);
    };
    auto jars = SuitesKnownBy(named);
    auto packages = SuitesKnownBy(key);
    plan.KeepWhere([&](std::size_t suite) {
        if (!jars.insert(suite).second) return false;
        const std::string wanted = plan.Package(suite);
        if (wanted.empty()) return true;  // a folder that could not be listed
        for (unsigned n = 2; !packages.insert(suite).second; ++n) plan.Renumber(suite, n);
        if (const std::string stj = plan.Package(suite); stj != wanted)
            plan.SetNote(suite, OwnPackageNameText(FileNameOf(stj), FileNameOf(wanted)));
        return true;
    });
}

SuiteResult MakeOneJad(const std::string& jar, const std::optional<std::string>& target, bool overwrite,
                       SystemPort& system) {
    SuiteResult result{jar, {}, {}, SuiteStatus::Failed, {}};
    try {
        const MadeJad made = JadFromJar(jar, system);
        if (!made.jad) return {jar, {}, std::string(kSkippedPrefixText) + JadFaultText(made), SuiteStatus::Skipped, {}};
        const JadAttributes parsed = ParseJad(*made.jad);
        if (const std::string* name = FindAttribute(parsed.attributes, "MIDlet-Name")) result.suite = *name;
        const std::string jad = target.value_or(FolderOf(jar)) + FileNameOf(WithoutExtension(jar)) + ".jad";
        const bool existing = !overwrite && fs::exists(StatusOf(jad));
        if (!existing) ReplaceWholeFile(jad, *made.jad, system);
        result.status = existing ? SuiteStatus::Existing : SuiteStatus::Built;
        result.result = existing ? kExistingText : kBuiltText;
    } catch (const AppError& error) {
        result.result = OneLine(std::string(kFailedPrefixText) + error.Report());
    }
    return result;
}

class Run final : private FolderListener {
public:
    Run(const CliOptions& options, SystemPort& system, const Console& console, const std::atomic<bool>& stop)
        : options_(options), system_(system), console_(console), stop_(stop) {}

    int Convert() {
        // What every suite of the run shares.
        SuitePlan plan({.overwrite = options_.overwrite,
                        .strict = options_.strict,
                        .wholeExisting = true,
                        .checkOnly = options_.mode == CliMode::Check});
        const std::optional<std::string> target = options_.mode == CliMode::Check ? std::nullopt : TargetFolder();
        for (const std::string& input : options_.inputs) {
            const fs::file_status status = StatusOf(input);
            if (fs::is_directory(status))
                PlanFolder(input, target, plan);
            else if (fs::is_regular_file(status))
                PlanFile(input, target, plan);
            else
                throw UsageError{fs::exists(status) ? NeitherFileNorFolderText(input) : MissingText(input)};
        }
        OnePackageEach(plan, system_, options_.mode == CliMode::Convert);
        // kestrane packs every suite itself: nothing is staged. Reading and
        // judging a suite's classes is most of the work, so every core takes one.
        const FolderSummary summary =
            ConvertSuites(plan, {}, system_, *this, std::max(1u, std::thread::hardware_concurrency()));
        for (const std::string& failure : summary.logFailures) Message(SaidText(failure));
        if (summary.cancelled) Message(std::string(kInterruptedText));
        return Finish(summary);
    }

    int MakeJads() {
        const std::optional<std::string> target = TargetFolder();
        for (const std::string& input : options_.inputs)
            if (const fs::file_status status = StatusOf(input); !fs::is_regular_file(status))
                throw UsageError{fs::exists(status) ? NoJarText(input) : MissingText(input)};
        FolderSummary summary{.found = options_.inputs.size()};
        for (std::size_t i = 0; i < options_.inputs.size() && !stop_; ++i) {
            Progress(i, options_.inputs.size());
            SuiteResult result = MakeOneJad(system_.FullPath(options_.inputs[i]), target, options_.overwrite, system_);
            result.file = options_.inputs[i];
            summary.Add(result);
            Report(result);
        }
        summary.cancelled = summary.Finished() < summary.found;
        return Finish(summary);
    }

    int ShowIni() {
        const std::string& jad = options_.inputs.front();
        if (!fs::is_regular_file(StatusOf(jad))) throw UsageError{JadMissingText(jad)};
        IniOutcome outcome = GenerateIni(jad, system_);
        if (options_.json) {
            Print("{\"datei\":" + JsonString(jad) + ",\"ini\":" + JsonString(outcome.text.value_or("")) +
                  ",\"beanstandungen\":[" + JsonList(outcome.complaints) + "]}");
        } else {
            for (const std::string& complaint : outcome.complaints) Message(SaidText(complaint));
            if (outcome.text) {
                std::erase(*outcome.text, '\r');  // the line ends of the system it is shown on
                Print(*outcome.text);
            }
        }
        return outcome.complaints.empty() && outcome.text ? 0 : 1;
    }

    // Records why stdout took no more, the first time it did not.
    void Flush() {
        errno = 0;
        if ((std::fflush(console_.out) != 0 || std::ferror(console_.out)) && lostOutput == 0)
            lostOutput = errno != 0 ? errno : EIO;
    }

    void Message(const std::string& text) {
        EndProgress();
        console_.write(console_.err, OneLine(text) + "\n");
    }

    int lostOutput = 0;  // errno of the first write to stdout that failed

private:
    // The target folder of -o, made where missing; none without -o.
    std::optional<std::string> TargetFolder() {
        if (!options_.target) return std::nullopt;
        const std::string& target = *options_.target;
        if (const fs::file_status status = StatusOf(target); fs::exists(status) && !fs::is_directory(status))
            throw UsageError{TargetNoFolderText(target)};
        // Refused before the first suite, as the folder window refuses it.
        const std::string folder = WithOwnSeparator(system_.FullPath(target));
        try {
            system_.CreateFolder(folder);
            if (!system_.IsWriteProtected(folder)) return folder;
        } catch (const AppError&) {
            // A folder that cannot be made takes no files either.
        }
        throw UsageError{SaidText(TargetNotWritableText(target))};
    }

    // Where the suite's line is logged: a check writes no log.
    std::string LogFolder(const std::string& packages) const {
        return options_.mode == CliMode::Convert ? packages : std::string();
    }

    void PlanFolder(const std::string& input, const std::optional<std::string>& target, SuitePlan& plan) {
        const std::string folder = WithOwnSeparator(system_.FullPath(input));
        const std::string packages = target.value_or(folder);
        const std::string shown = WithOwnSeparator(input);
        try {
            ForEachSuite(folder, options_.recursive, system_, true, [&](const SuiteNames& suite) {
                // AddFolder gives the folder of the suite before again when it is that one.
                const std::string below(suite.folder);
                const std::size_t number =
                    plan.AddFolder(folder + below, packages + below, shown + below, LogFolder(packages));
                const std::size_t added = plan.AddSuite(number, suite.jar, suite.jad, suite.jar);
                if (!suite.unreadable.empty())
                    plan.SetProblem(added, OneLine(Concatenated({kFailedPrefixText, suite.unreadable})),
                                    SuiteStatus::Failed);
            });
        } catch (const AppError& error) {
            // Only the folder itself not listed throws, before any of its suites.
            Message(SaidText(error.Report()));
            ++listingFailures_;
        }
    }

    void PlanFile(const std::string& input, const std::optional<std::string>& target, SuitePlan& plan) {
        const std::string file = system_.FullPath(input);
        const FileRole role = RoleOfFile(file);
        if (role != FileRole::Jad && role != FileRole::Jar) throw UsageError{NeitherJarNorJadText(input)};
        const std::string jar = role == FileRole::Jar ? file : PartnerJar(file, system_).value_or("");
        const std::string jad = role == FileRole::Jad ? file : PartnerJad(file, system_).value_or("");
        const std::string packages = target.value_or(FolderOf(file));
        // A JAR's JAD and a JAD's JAR are found beside it.
        const std::string source = FolderPart(file);
        const auto name = [&](const std::string& path) {
            return std::string_view(path).substr(path.empty() ? 0 : source.size());
        };
        const std::size_t folder = plan.AddFolder(source, packages, {}, LogFolder(packages));
        const std::size_t added = plan.AddSuite(folder, name(jar), name(jad), input);
        if (jar.empty())
            plan.SetProblem(added, Concatenated({kSkippedPrefixText, kJadWithoutItsJarText}), SuiteStatus::Skipped);
    }

    // A line of the results, after the progress line is cleared; flushed.
    void Print(const std::string& line) {
        EndProgress();
        console_.write(console_.out, line + "\n");
        Flush();
    }

    // A result as it is listed, naming the suite as the user named it.
    void Report(const SuiteResult& result) {
        const char* runs = result.phone == SuiteResult::Phone::Unknown ? "null"
                           : result.phone == SuiteResult::Phone::Runs  ? "true"
                                                                       : "false";
        Print(!options_.json ? ResultLine(result, true)
                             : "{\"datei\":" + JsonString(result.file) + RawBytesField("datei_bytes", result.file) +
                                   ",\"suite\":" + JsonString(result.suite) +
                                   ",\"status\":" + JsonString(StatusWord(result.status)) + ",\"ergebnis\":" +
                                   JsonString(result.result) + ",\"befunde\":[" + JsonList(result.findings) +
                                   "],\"laeuft\":" + runs + ",\"braucht\":[" + JsonList(result.needs) + "]}");
    }

    // Before the suite at `index` (from 0) of `count`.
    void Progress(std::size_t index, std::size_t count) {
        if (!console_.progress) return;
        console_.write(console_.err, "\r" + cli_words::ProgressText(index + 1, count));
        std::fflush(console_.err);
        progressShown_ = true;
    }

    void EndProgress() {
        if (!progressShown_) return;
        console_.write(console_.err, "\r" + std::string(40, ' ') + "\r");
        std::fflush(console_.err);
        progressShown_ = false;
    }

    int Finish(const FolderSummary& summary) {
        std::string line = options_.mode == CliMode::Check ? CheckSummaryLine(summary) : SummaryLine(summary);
        if (summary.cancelled) line += kCancelledMarkText;
        using std::to_string;
        Print(!options_.json
                  ? line
                  : "{\"zusammenfassung\":" + JsonString(line) + ",\"gefunden\":" + to_string(summary.found) +
                        ",\"erstellt\":" + to_string(summary.built) + ",\"vorhanden\":" + to_string(summary.existing) +
                        ",\"uebersprungen\":" + to_string(summary.skipped) + ",\"fehlgeschlagen\":" +
                        to_string(summary.failed) + ",\"abgebrochen\":" + (summary.cancelled ? "true" : "false") +
                        ",\"laufen\":" + to_string(summary.runs) + "}");
        return listingFailures_ > 0 ? 1 : summary.ExitCode();
    }

    void SuiteStarting(std::size_t index, std::size_t count) override { Progress(index, count); }
    void SuiteFinished(std::size_t, const SuiteResult& result) override { Report(result); }
    bool Cancelled() override { return stop_; }

    const CliOptions& options_;
    SystemPort& system_;
    const Console& console_;
    const std::atomic<bool>& stop_;
    bool progressShown_ = false;
    int listingFailures_ = 0;
};

int RunAll(Run& run, const CliOptions& options, const Console& console) {
    try {
        switch (options.mode) {
        case CliMode::Convert:
        case CliMode::Check: return run.Convert();
        case CliMode::MakeJad: return run.MakeJads();
        case CliMode::ShowIni: return run.ShowIni();
        case CliMode::Help: break;
        }
        console.write(console.out, HelpText());
        return 0;
    } catch (const UsageError& error) {
        run.Message(error.message);
        return 2;
    } catch (const AppError& error) {
        // The working folder or the JAD of --ini: nothing else fails outside a suite.
        console.write(console.err, "kestrane: " + OneLine(error.Report()) + "\n");
        return 1;
    }
}

}  // namespace

void WriteBytes(std::FILE* stream, std::string_view text) { std::fwrite(text.data(), 1, text.size(), stream); }

int RunKestrane(const CliOptions& options, SystemPort& system, const Console& console, const std::atomic<bool>& stop) {
    Run run(options, system, console, stop);
    const int exitCode = RunAll(run, options, console);
    run.Flush();
    // A full disk or a closed pipe behind stdout: the results are lost, and
    // the exit code must not say otherwise.
    if (run.lostOutput == 0) return exitCode;
    console.write(console.err, OutputLostText(std::strerror(run.lostOutput)) + "\n");
    return 1;
}

}  // namespace kestrane
