#include "package/StjPacker.h"

#include <utility>

#include "descriptor/Text.h"
#include "package/RarArchive.h"
#include "package/Words.h"

namespace kestrane {

namespace {

// The number Windows gives a data error found by its check sum.
constexpr std::uint32_t kDataErrorNumber = 23;

AppError ReadBackError(const std::string& path, const std::string& problem) {
    return AppError(ReadBackText(path, problem), kDataErrorNumber, std::string(kDataErrorText));
}

// What was written must come back whole: every header intact and every
// member under its name with its size and its data's check sum, read from
// the file as the system holds it.
void CheckWritten(const std::string& path, const std::vector<RarEntry>& members, SystemPort& system) {
    std::string problem;
    const std::optional<std::vector<RarEntry>> back = ReadRarEntries(*system.OpenForReading(path), &problem);
    if (!back) throw ReadBackError(path, problem);
    if (back->size() != members.size()) throw ReadBackError(path, "other members");
    for (std::size_t i = 0; i < members.size(); ++i) {
        const RarEntry& read = (*back)[i];
        if (read.name != members[i].name) throw ReadBackError(path, "other member " + read.name);
        if (read.size != members[i].size || read.crc != members[i].crc)
            throw ReadBackError(path, "FILE_CRC of " + read.name);
    }
}

// A member copied from its file, with the file's time; that time.
std::chrono::local_seconds AddFile(RarWriter& package, std::string name, FileToRead& file) {
    package.Add(std::move(name), file, DosDateTime(file.LastWrite()));
    return file.LastWrite();
}

void AddBytes(RarWriter& package, std::string name, std::string_view bytes, std::chrono::local_seconds time) {
    MemorySource data(bytes);
    package.Add(std::move(name), data, DosDateTime(time));
}

}  // namespace

bool IsWholePackage(const std::string& stj, SystemPort& system) {
    std::optional<std::vector<RarEntry>> members;
    try {
        members = ReadRarEntries(*system.OpenForReading(stj));
    } catch (const AppError&) {
        return false;
    }
    const std::string_view names[] = {"java.jah", "java.utf", "stjava.ini", "java.obj"};
    if (!members || members->size() < 3 || members->size() > 4) return false;
    for (std::size_t i = 0; i < members->size(); ++i)
        if ((*members)[i].name != names[i]) return false;
    return true;
}

void WritePackage(const std::string& stj, const PackageRequest& request, std::string_view iniBytes,
                  SystemPort& system) {
    const JadFile jad = JadOfRequest(request, system);
    const std::unique_ptr<NewFile> file = system.CreateNewFile(stj);
    RarWriter package(*file);
    std::unique_ptr<FileToRead> opened;
    if (!request.jarFile) opened = system.OpenForReading(request.jar);
    const std::chrono::local_seconds jarWritten =
        AddFile(package, "java.jah", request.jarFile ? *request.jarFile : *opened);
    AddBytes(package, "java.utf", PackageJadBytes(jad.bytes, request.correctedJarSize),
             request.jadMade ? jarWritten : jad.written);
    AddBytes(package, "stjava.ini", iniBytes, system.LocalNow());
    if (!IsBlank(request.obj)) AddFile(package, "java.obj", *system.OpenForReading(request.obj));
    package.End();
    file->Finish();
    TemporaryPackage written(stj, file->Path(), system);
    CheckWritten(written.Path(), package.Written(), system);
    written.PutInPlace();
}

void ReplaceWholeFile(const std::string& path, std::string_view bytes, SystemPort& system) {
    TemporaryPackage file(path, WriteNewFile(system, path, bytes), system);
    file.PutInPlace();
}

TemporaryPackage::TemporaryPackage(std::string stj, std::string path, SystemPort& system)
    : system_(system), stj_(std::move(stj)), path_(std::move(path)) {}

TemporaryPackage::~TemporaryPackage() {
    if (inPlace_) return;
    try {
        if (system_.Stamp(path_).exists) system_.Delete(path_);
    } catch (...) {
        // The first failure is the one the user needs to hear about.
    }
}

void TemporaryPackage::PutInPlace() {
    system_.MoveOver(path_, stj_);
    inPlace_ = true;
}

}  // namespace kestrane
