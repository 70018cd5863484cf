// Kestrane packing the STJ file itself, in the RAR 4 format the phone reads:
// the members straight from the user's files, the archive written under a
// temporary name of its own beside the STJ file, read back and checked, and
// only then put in the STJ file's place in one step. A build that fails
// leaves an existing STJ file as it was and no temporary file behind; every
// other file the program writes whole (a JAD, the log) goes the same way.
#pragma once

#include <string>
#include <string_view>

#include "package/PackageBuild.h"
#include "package/SystemPort.h"

namespace kestrane {

// Writes the STJ file `stj` (absolute) as above, with the members in the
// order the phone's packages have them: java.jah (the JAR, with its time),
// java.utf (the JAD as PackageJadBytes makes it, with the JAD's time),
// stjava.ini (`iniBytes`, with the time now) and java.obj when the request
// names one, each copied and read back in pieces, never held whole. Throws
// AppError; then `stj` is untouched.
void WritePackage(const std::string& stj, const PackageRequest& request, std::string_view iniBytes, SystemPort& system);

// Whether the file reads back as a whole package: a RAR 4 archive whose
// headers and members pass their check sums, holding java.jah, java.utf and
// stjava.ini, and java.obj or nothing after them.
bool IsWholePackage(const std::string& stj, SystemPort& system);

// Puts exactly these bytes in the place of `path` in one step: written new
// first, so that a full disk leaves the old file as it was, and a link of
// that name is replaced, not written through. Throws AppError.
void ReplaceWholeFile(const std::string& path, std::string_view bytes, SystemPort& system);

// A package being made under a temporary name: deleted when the scope ends,
// unless it was put in the STJ file's place.
class TemporaryPackage {
public:
    // At `path`: written already (see SystemPort::CreateNewFile), or for
    // rar.exe to write.
    TemporaryPackage(std::string stj, std::string path, SystemPort& system);
    ~TemporaryPackage();
    TemporaryPackage(const TemporaryPackage&) = delete;
    TemporaryPackage& operator=(const TemporaryPackage&) = delete;

    const std::string& Path() const { return path_; }
    // Moves it over the STJ file in one step. Throws AppError.
    void PutInPlace();

private:
    SystemPort& system_;
    std::string stj_;
    std::string path_;
    bool inPlace_ = false;
};

}  // namespace kestrane
