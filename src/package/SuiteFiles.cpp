#include "package/SuiteFiles.h"

#include "descriptor/Text.h"
#include "descriptor/TextEncoding.h"
#include "package/AppError.h"
#include "package/BatchFile.h"

namespace kestrane {

namespace {

std::size_t NameStart(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/:");
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

JarReading ReadJarFile(const std::string& jarPath, SystemPort& system) {
    std::unique_ptr<ByteSource> source = system.OpenForReading(jarPath);
    return ReadJar(*source);
}

}  // namespace

std::string FileNameOf(const std::string& path) { return path.substr(NameStart(path)); }

std::string WithoutExtension(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < NameStart(path)) return path;
    return path.substr(0, dot);
}

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
        bytes = system.ReadWholeFile(jadPath);
    } catch (const AppError&) {
        return std::nullopt;
    }
    if (const std::optional<std::string> url = JarFileNamedBy(bytes)) {
        if (auto named = ExistingFile(jadPath.substr(0, NameStart(jadPath)) + *url, system)) return named;
    }
    return ExistingFile(WithoutExtension(jadPath) + ".jar", system);
}

std::optional<std::string> JarFileNamedBy(std::string_view jadBytes) {
    const JadAttributes jad = ParseJad(jadBytes);
    const std::string* url = FindAttribute(jad.attributes, "MIDlet-Jar-URL");
    if (url == nullptr || !IsPlainFileName(*url)) return std::nullopt;
    return *url;
}

AttributeList ManifestOf(const std::string& jarPath, SystemPort& system) {
    const JarReading reading = ReadJarFile(jarPath, system);
    if (!reading.contents || !reading.contents->manifest) return {};
    return ParseManifest(*reading.contents->manifest);
}

MadeJad JadFromJar(const std::string& jarPath, SystemPort& system) {
    const JarReading reading = ReadJarFile(jarPath, system);
    return MakeJad(reading, FileNameOf(jarPath), system.Stamp(jarPath).size);
}

SuiteFindings InspectSuite(const PackageRequest& request, SystemPort& system) {
    const std::string jadBytes = system.ReadWholeFile(request.jad);
    const bool sameFile = system.SameFile(request.jar, request.jad);
    const JarReading reading = sameFile ? JarReading{} : ReadJarFile(request.jar, system);
    return CheckSuite(jadBytes, reading, system.Stamp(request.jar).size, sameFile, request.iniText);
}

}  // namespace kestrane
