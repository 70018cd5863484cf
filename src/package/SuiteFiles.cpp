#include "package/SuiteFiles.h"

#include "descriptor/Text.h"
#include "package/AppError.h"
#include "package/Words.h"

namespace kestrane {

namespace {

// Where the file name begins. A path that begins with '/' is a POSIX one:
// only '/' separates there, and '\\' and ':' are letters of a name.
std::size_t NameStart(const std::string& path) {
    const std::size_t separator = path.find_last_of(path.starts_with('/') ? "/" : "\\/:");
    return separator == std::string::npos ? 0 : separator + 1;
}

// A file name that names nothing but a file beside the JAD: no folder, no
// drive, no URL.
bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name.find_first_of("\\/:") == std::string::npos && name != "." && name != "..";
}

std::optional<std::string> ExistingFile(const std::string& path, SystemPort& system) {
    if (system.Stamp(path).exists) return path;
    return std::nullopt;
}

// The JAR's size, directory and manifest, then its classes judged against
// the phone, in one opening of the file. The JAD names the MIDlets, else the
// manifest does.
void ReadAndJudgeJar(FileToRead& source, SuiteReading& suite, const AttributeList* jadAttributes) {
    suite.jarSize = source.Size();
    suite.jar = ReadJar(source);
    if (!suite.jar.contents) return;
    const std::vector<std::string> midlets =
        MidletClasses(jadAttributes ? *jadAttributes : AttributeList{}, suite.Manifest());
    suite.verdict = JudgeClasses(ReadClasses(source, *suite.jar.contents), midlets);
}

// The JAD's bytes, refused before they are read where there are too many.
std::string JadBytes(FileToRead& file, const std::string& jadPath) {
    const std::uint64_t size = file.Size();
    if (size > kMaxJadBytes)
        throw AppError(FileNotReadText(jadPath), kFileTooLargeNumber, JadTooLargeText(size, kMaxJadBytes));
    return file.Read(0, static_cast<std::size_t>(size));
}

}  // namespace

std::string FileNameOf(const std::string& path) { return path.substr(NameStart(path)); }

std::string WithoutExtension(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < NameStart(path)) return path;
    return path.substr(0, dot);
}

char SeparatorOf(const std::string& folder) {
    const std::size_t last = folder.find_last_of("\\/");
    return last == std::string::npos ? '\\' : folder[last];
}

std::string FolderWithSeparator(std::string folder) {
    if (folder.empty() || (folder.back() != '\\' && folder.back() != '/')) folder += SeparatorOf(folder);
    return folder;
}

std::string FolderPart(const std::string& path) { return path.substr(0, path.size() - FileNameOf(path).size()); }

FileRole RoleOfFile(const std::string& path) {
    const std::string name = FileNameOf(path);
    if (EqualsIgnoringAsciiCase(name, "rar.exe")) return FileRole::Archiver;
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) return FileRole::Unknown;
    const std::string_view extension = std::string_view(name).substr(dot);
    const std::pair<std::string_view, FileRole> roles[] = {
        {".jad", FileRole::Jad}, {".jar", FileRole::Jar}, {".obj", FileRole::Obj}, {".stj", FileRole::Stj}};
    for (const auto& [ending, role] : roles)
        if (EqualsIgnoringAsciiCase(extension, ending)) return role;
    return FileRole::Unknown;
}

std::optional<std::string> PartnerJad(const std::string& jarPath, SystemPort& system) {
    if (IsBlank(jarPath)) return std::nullopt;
    return ExistingFile(WithoutExtension(jarPath) + ".jad", system);
}

std::optional<std::string> PartnerJar(const std::string& jadPath, SystemPort& system) {
    if (IsBlank(jadPath)) return std::nullopt;
    std::string bytes;
    try {
        bytes = ReadJadFile(jadPath, system).bytes;
    } catch (const AppError&) {
        return std::nullopt;
    }
    return PairedJar(jadPath, bytes, [&system](const std::string& path) { return ExistingFile(path, system); });
}

std::optional<std::string> PairedJar(const std::string& jad, std::string_view jadBytes,
                                     const std::function<std::optional<std::string>(const std::string&)>& find) {
    const JadAttributes parsed = ParseJad(jadBytes);
    const std::string* url = FindAttribute(parsed.attributes, "MIDlet-Jar-URL");
    if (url != nullptr && IsPlainFileName(*url))
        if (std::optional<std::string> named = find(jad.substr(0, NameStart(jad)) + *url)) return named;
    return find(WithoutExtension(jad) + ".jar");
}

JadFile ReadJadFile(const std::string& jadPath, SystemPort& system) {
    const std::unique_ptr<FileToRead> file = system.OpenForReading(jadPath);
    return {JadBytes(*file, jadPath), file->LastWrite()};
}

AttributeList SuiteReading::Manifest() const {
    if (!jar.contents || !jar.contents->manifest) return {};
    return ParseManifest(*jar.contents->manifest);
}

SuiteReading ReadSuite(const std::string& jarPath, const std::string& jadPath, SystemPort& system) {
    const std::unique_ptr<FileToRead> jad = system.OpenForReading(jadPath);
    SuiteReading suite{.jadBytes = JadBytes(*jad, jadPath), .jadWritten = jad->LastWrite()};
    suite.jad = ParseJad(suite.jadBytes);
    // Two files of two sizes are two files. Else the opened files tell
    // whether they are one, where the system says which file each is (the
    // window's port must ask it); else the port looks.
    suite.jarFile = system.OpenForReading(jarPath);
    FileToRead& jar = *suite.jarFile;
    if (jad->Size() == jar.Size()) {
        const std::optional<FileIdentity> jadIdentity = jad->Identity(), jarIdentity = jar.Identity();
        suite.sameFile = jadIdentity && jarIdentity ? *jadIdentity == *jarIdentity : system.SameFile(jarPath, jadPath);
    }
    if (suite.sameFile)
        suite.jarSize = suite.jadBytes.size();
    else
        ReadAndJudgeJar(jar, suite, &suite.jad.attributes);
    return suite;
}

SuiteRead ReadSuiteMakingJad(const std::string& jarPath, SystemPort& system) {
    SuiteReading suite{.jarFile = system.OpenForReading(jarPath)};
    ReadAndJudgeJar(*suite.jarFile, suite, nullptr);
    MadeJad made = MakeJad(suite.jar, FileNameOf(jarPath), suite.jarSize);
    if (!made.jad) return {std::nullopt, JadFaultText(made)};
    suite.jadBytes = std::move(*made.jad);
    suite.jad = ParseJad(suite.jadBytes);
    suite.jadMade = true;
    return {std::move(suite), {}};
}

SuiteFindings CheckSuite(const SuiteReading& suite, std::optional<std::string_view> iniText) {
    SuiteFindings found = CheckSuite(suite.jadBytes, suite.jar, suite.jarSize, suite.sameFile, iniText);
    if (suite.verdict)
        for (Finding& finding : NeedFindings(*suite.verdict, suite.jad.attributes, suite.Manifest()))
            found.findings.push_back(std::move(finding));
    return found;
}

MadeJad JadFromJar(const std::string& jarPath, SystemPort& system) {
    const std::unique_ptr<FileToRead> source = system.OpenForReading(jarPath);
    return MakeJad(ReadJar(*source), FileNameOf(jarPath), source->Size());
}

}  // namespace kestrane
