#include "package/StjPacker.h"

#include <utility>

#include "descriptor/Attributes.h"
#include "descriptor/Text.h"

namespace kestrane {

namespace {

// The number Windows gives a data error found by its check sum.
constexpr std::uint32_t kDataErrorNumber = 23;

AppError ReadBackError(const std::string& path, const std::string& problem) {
    return AppError(ReadBackText(path, problem), kDataErrorNumber, std::string(kDataErrorText));
}

// What was written must come back whole: every header intact and every
// member under its name with its data's check sum.
void CheckWritten(const std::string& path, const std::vector<RarMember>& members, SystemPort& system) {
    std::string problem;
    const std::optional<std::vector<RarMember>> back = ReadRarArchive(system.ReadWholeFile(path), &problem);
    if (!back) throw ReadBackError(path, problem);
    if (back->size() != members.size()) throw ReadBackError(path, "other members");
    for (std::size_t i = 0; i < members.size(); ++i) {
        const RarMember& read = (*back)[i];
        if (read.name != members[i].name) throw ReadBackError(path, "other member " + read.name);
        // Its CRC matched its header as it was read; the bytes themselves
        // tell whether they are this build's.
        if (read.data != members[i].data) throw ReadBackError(path, "FILE_CRC of " + read.name);
    }
}

}  // namespace

bool IsWholePackage(const std::string& stj, SystemPort& system) {
    std::optional<std::vector<RarMember>> members;
    try {
        members = ReadRarArchive(system.ReadWholeFile(stj));
    } catch (const AppError&) {
        return false;
    }
    const std::string_view names[] = {"java.jah", "java.utf", "stjava.ini", "java.obj"};
    if (!members || members->size() < 3 || members->size() > 4) return false;
    for (std::size_t i = 0; i < members->size(); ++i)
        if ((*members)[i].name != names[i]) return false;
    return true;
}

std::string TemporaryPackagePath(const std::string& stj) { return stj + ".kestrane-tmp"; }

std::vector<RarMember> PackageMembers(const PackageRequest& request, std::string_view iniBytes, SystemPort& system) {
    std::vector<RarMember> members;
    members.push_back(
        {"java.jah", system.ReadWholeFile(request.jar), DosDateTime(system.LastWrite(request.jar)), kArchiveAttribute});
    std::string jad = PackageJadBytes(JadOfRequest(request, system), request.correctedJarSize);
    members.push_back({"java.utf", std::move(jad),
                       DosDateTime(system.LastWrite(request.jadMade ? request.jar : request.jad)), kArchiveAttribute});
    members.push_back({"stjava.ini", std::string(iniBytes), DosDateTime(system.LocalNow()), kArchiveAttribute});
    if (!IsBlank(request.obj))
        members.push_back({"java.obj", system.ReadWholeFile(request.obj), DosDateTime(system.LastWrite(request.obj)),
                           kArchiveAttribute});
    return members;
}

void WritePackage(const std::string& stj, const std::vector<RarMember>& members, SystemPort& system) {
    TemporaryPackage package(stj, system.WriteNewFile(stj, WriteRarArchive(members)), system);
    CheckWritten(package.Path(), members, system);
    package.PutInPlace();
}

void ReplaceWholeFile(const std::string& path, std::string_view bytes, SystemPort& system) {
    TemporaryPackage file(path, system.WriteNewFile(path, bytes), system);
    file.PutInPlace();
}

TemporaryPackage::TemporaryPackage(const std::string& stj, SystemPort& system)
    : system_(system), stj_(stj), path_(TemporaryPackagePath(stj)) {
    if (system_.Stamp(path_).exists) system_.Delete(path_);
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
