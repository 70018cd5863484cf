#include "FakeSystem.h"

#include <algorithm>

#include "descriptor/JarArchive.h"
#include "support/RarInMemory.h"

namespace kestrane::testing_support {

namespace {

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

constexpr std::string_view kEuro = "\xE2\x82\xAC";
constexpr std::string_view kCjk = "\xE6\xBC\xA2";  // U+6F22

// The quoted paths of a batch line, in order.
std::vector<std::string> QuotedPaths(const std::string& line) {
    std::vector<std::string> paths;
    for (std::size_t open = line.find('"'); open != std::string::npos; open = line.find('"', open + 1)) {
        const std::size_t close = line.find('"', open + 1);
        if (close == std::string::npos) break;
        paths.push_back(line.substr(open + 1, close - open - 1));
        open = close;
    }
    return paths;
}

std::string Unescaped(std::string text) {  // the interpreter's view of "%%"
    for (std::size_t i = text.find("%%"); i != std::string::npos; i = text.find("%%", i + 1)) text.erase(i, 1);
    return text;
}

}  // namespace

class FakeSystem::Run final : public ArchiverRun {
public:
    // `paths`: the package, then the members, as the command line names them.
    Run(FakeSystem& system, std::vector<std::string> paths)
        : system_(system), paths_(std::move(paths)), started_(system.now) {}

    std::optional<std::uint32_t> ExitCode() override {
        if (!Ended()) return std::nullopt;
        if (!finished_) Finish();
        return Refused() ? 3u : system_.archiver.exitCode;
    }

    void WaitForEnd(Ms timeout) override {
        std::optional<Ms> end;
        if (system_.archiver.endsAfter) end = started_ + *system_.archiver.endsAfter;
        system_.Advance(timeout, end);
    }

private:
    bool Refused() const {
        if (paths_.empty()) return false;
        const std::string& package = paths_.front();
        return std::any_of(system_.archiver.refuses.begin(), system_.archiver.refuses.end(),
                           [&](const std::string& refused) { return package.rfind(refused, 0) == 0; });
    }

    bool Ended() const { return system_.archiver.endsAfter && system_.now >= started_ + *system_.archiver.endsAfter; }

    // Stores each named member, in order, under its bare name in a new
    // package: RAR 4, or RAR5 when told (only its signature is real).
    void Finish() {
        finished_ = true;
        if (!system_.archiver.writesPackage || paths_.empty() || Refused()) return;
        const std::vector<std::string>& paths = paths_;
        std::vector<RarMember> members;
        for (std::size_t i = 1; i < paths.size(); ++i) {
            const std::string name = paths[i].substr(paths[i].find_last_of('\\') + 1);
            members.push_back({name, system_.files[paths[i]], DosDateTime(kFileTime), kArchiveAttribute});
        }
        system_.files[paths[0]] = system_.archiver.writesRar5 ? std::string("Rar!\x1A\x07\x01\x00\x33\x92\xB5\xE5", 12)
                                                              : WriteRarArchive(members);
        system_.writtenAt[paths[0]] = system_.now.count();
        system_.Add("archived " + paths[0]);
    }

    FakeSystem& system_;
    std::vector<std::string> paths_;
    Ms started_;
    bool finished_ = false;
};

void FakeSystem::Add(const std::string& event) {
    log.push_back(event);
    at[event] = now;
}

std::string FakeSystem::Archived(const std::string& stj) const {
    const auto it = files.find(stj);
    if (it == files.end()) return {};
    const std::optional<std::vector<RarMember>> members = ReadRarArchive(it->second);
    if (!members) return it->second;
    std::string listed;
    for (const RarMember& member : *members) listed += member.name + "=" + member.data + ";";
    return listed;
}

void FakeSystem::Fail(const std::string& operation) {
    if (failOn.count(operation)) throw AppError("Vorgang „" + operation + "“ fehlgeschlagen.", 5, "Zugriff verweigert");
}

void FakeSystem::WriteWholeFile(const std::string& path, std::string_view bytes) {
    Add("write " + path + " = " + std::string(bytes));
    Fail("write " + path);
    for (const std::string& folder : writeProtected)
        if (path.rfind(folder, 0) == 0)
            throw AppError("Die Datei " + path + " ist gesch\u00fctzt.", 5, "Zugriff verweigert");
    files[path] = std::string(bytes);
    if (damagedOnWrite.count(path) && !bytes.empty()) files[path][bytes.size() / 2] ^= 0x01;
    writtenAt[path] = now.count();
}

namespace {

// Its bytes kept until finished, and then written as WriteWholeFile writes,
// so that a test's failures and damage apply to it alike.
class FakeNewFile final : public NewFile {
public:
    FakeNewFile(FakeSystem& system, std::string path) : system_(system), path_(std::move(path)) {}
    const std::string& Path() const override { return path_; }
    void Write(std::string_view bytes) override { bytes_ += bytes; }
    void WriteAt(std::uint64_t offset, std::string_view bytes) override {
        bytes_.replace(static_cast<std::size_t>(offset), bytes.size(), bytes);
    }
    void Finish() override { system_.WriteWholeFile(path_, bytes_); }

private:
    FakeSystem& system_;
    std::string path_;
    std::string bytes_;
};

}  // namespace

std::unique_ptr<NewFile> FakeSystem::CreateNewFile(const std::string& beside) {
    return std::make_unique<FakeNewFile>(*this, beside + ".kestrane-tmp");
}

void FakeSystem::AppendToFile(const std::string& path, std::string_view bytes) {
    Add("append " + path);
    Fail("append " + path);
    const auto it = files.find(path);
    if (it == files.end()) throw AppError("Die Datei " + path + " fehlt.", 2, "nicht gefunden");
    it->second += bytes;
}

void FakeSystem::CopyOver(const std::string& from, const std::string& to) {
    Add("copy " + from + " -> " + to);
    Fail("copy " + to);
    for (const std::string& folder : writeProtected)
        if (to.rfind(folder, 0) == 0)
            throw AppError("Die Datei " + to + " ist gesch\u00fctzt.", 5, "Zugriff verweigert");
    const auto it = files.find(from);
    if (it == files.end()) throw AppError("Die Datei " + from + " fehlt.", 2, "nicht gefunden");
    files[to] = it->second;
    writtenAt[to] = now.count();
}

namespace {

// A copy of a file's bytes and its time, read through the JAR reader's interface.
class CopiedSource final : public FileToRead {
public:
    // No identity: the fake port's SameFile tells.
    CopiedSource(std::string bytes, std::chrono::local_seconds written)
        : FileToRead({bytes.size(), written, std::nullopt}), bytes_(std::move(bytes)), view_(bytes_) {}
    std::string Read(std::uint64_t offset, std::size_t length) override { return view_.Read(offset, length); }

private:
    std::string bytes_;
    MemorySource view_;
};

}  // namespace

std::unique_ptr<FileToRead> FakeSystem::OpenForReading(const std::string& path) {
    Add("open " + path);
    Fail("open " + path);
    const auto it = files.find(path);
    if (it == files.end()) throw AppError("Die Datei " + path + " konnte nicht gelesen werden.", 2, "nicht gefunden");
    const auto written = lastWrites.find(path);
    return std::make_unique<CopiedSource>(it->second, written == lastWrites.end() ? kFileTime : written->second);
}

void FakeSystem::CreateFolder(const std::string& folder) {
    Add("create " + folder);
    Fail("create " + folder);
    const bool ended = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
    folders.insert(ended ? folder : folder + (folder.find('/') != std::string::npos ? "/" : "\\"));
}

std::vector<FolderEntry> FakeSystem::ListFolder(const std::string& folder) {
    Add("list " + folder);
    Fail("list " + folder);
    std::map<std::string, bool> names;  // name -> is a folder
    auto take = [&](const std::string& path, bool isFolder) {
        if (path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0) return;
        const std::string rest = path.substr(folder.size());
        // Paths of a POSIX port's folders have the forward slash.
        const std::size_t slash = rest.find(folder.empty() ? '\\' : folder.back());
        if (slash == std::string::npos)
            names.emplace(rest, isFolder);
        else
            names[rest.substr(0, slash)] = true;
    };
    bool there = false;
    for (const auto& [path, bytes] : files) {
        there = there || path.compare(0, folder.size(), folder) == 0;
        take(path, false);
    }
    for (const std::string& known : folders) {
        there = there || known.compare(0, folder.size(), folder) == 0;
        take(known, true);
    }
    if (!there) throw AppError("Der Ordner " + folder + " konnte nicht gelesen werden.", 3, "Pfad nicht gefunden");
    std::vector<FolderEntry> entries;
    // In reverse alphabetical order: the caller sorts for itself.
    for (auto it = names.rbegin(); it != names.rend(); ++it) entries.push_back({it->first, it->second, false});
    return entries;
}

std::string FakeSystem::MakeWorkFolder() {
    Fail("mkwork");
    const std::string folder = "C:\\Temp\\kestrane-" + std::to_string(++workFolders_) + "\\";
    Add("mkwork " + folder);
    folders.insert(folder);
    return folder;
}

void FakeSystem::RemoveTree(const std::string& folder) {
    Add("remove " + folder);
    Fail("remove " + folder);
    auto inside = [&](const std::string& path) { return path.compare(0, folder.size(), folder) == 0; };
    std::erase_if(files, [&](const auto& file) { return inside(file.first); });
    std::erase_if(folders, inside);
}

void FakeSystem::Delete(const std::string& path) {
    Add("delete " + path);
    Fail("delete " + path);
    files.erase(path);
}

void FakeSystem::MoveOver(const std::string& from, const std::string& to) {
    Add("move " + from + " -> " + to);
    Fail("move " + to);
    const auto it = files.find(from);
    if (it == files.end()) throw AppError("Die Datei " + from + " fehlt.", 2, "nicht gefunden");
    files[to] = std::move(it->second);
    writtenAt[to] = writtenAt[from];
    files.erase(from);
    writtenAt.erase(from);
}

FileStamp FakeSystem::Stamp(const std::string& path) {
    const auto it = files.find(path);
    if (it == files.end()) return {};
    return {true, it->second.size(), writtenAt[path]};
}

bool FakeSystem::SameFile(const std::string& a, const std::string& b) {
    const auto upper = [this](const std::string& path) {
        std::string full = FullPath(path);
        for (char& c : full) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        return full;
    };
    return upper(a) == upper(b);
}

std::string FakeSystem::FullPath(const std::string& path) {  // the program's current folder is C:\Work
    const bool absolute = path.find(':') != std::string::npos || path.rfind('\\', 0) == 0 || path.rfind('/', 0) == 0;
    return absolute ? path : "C:\\Work\\" + path;
}

std::optional<std::string> FakeSystem::ShortPath(const std::string& path) {
    const auto it = shortForms.find(path);
    if (it == shortForms.end()) return std::nullopt;
    return it->second;
}

std::optional<std::string> FakeSystem::ToAnsi(std::string_view text) {
    if (Contains(text, kCjk)) return std::nullopt;
    return std::string(text);
}

std::optional<std::string> FakeSystem::ToOem(std::string_view text) {
    if (Contains(text, kCjk) || Contains(text, kEuro)) return std::nullopt;
    return std::string(text);
}

std::unique_ptr<ArchiverRun> FakeSystem::RunHidden(const std::string& batchPath, const std::string& folder) {
    Add("run " + batchPath + " in " + folder);
    Fail("run");
    const auto line = files.find(batchPath);
    return std::make_unique<Run>(
        *this, line == files.end() ? std::vector<std::string>() : QuotedPaths(Unescaped(line->second)));
}

std::unique_ptr<ArchiverRun> FakeSystem::StartProgram(const std::string& program, const std::string& commandLine,
                                                      const std::string& folder) {
    Add("start " + commandLine + " in " + folder);
    Fail("run");
    std::vector<std::string> paths = QuotedPaths(commandLine);
    // The program's own quoted name comes first; the archiver must be there.
    if (paths.empty() || paths.front() != program || !files.count(program)) {
        throw AppError("Das Programm " + program + " konnte nicht gestartet werden.", 2, "nicht gefunden");
    }
    paths.erase(paths.begin());
    return std::make_unique<Run>(*this, std::move(paths));
}

void FakeSystem::Advance(Ms duration, std::optional<Ms> limit) {
    Ms until = now + std::max(duration, Ms(0));
    if (limit) until = std::min(until, std::max(*limit, now));
    while (!scheduled.empty() && scheduled.begin()->first <= until) {
        now = std::max(now, scheduled.begin()->first);
        auto event = std::move(scheduled.begin()->second);
        scheduled.erase(scheduled.begin());
        event();
    }
    now = until;
}

}  // namespace kestrane::testing_support
