// The files of one suite as the user names them: finding a JAD for a JAR
// and a JAR for a JAD, making a JAD from a JAR alone, and checking a suite
// before its package is built.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "descriptor/Attributes.h"
#include "package/ClassNeeds.h"
#include "package/PackageBuild.h"
#include "package/SuiteCheck.h"
#include "package/SystemPort.h"

namespace kestrane {

// The file name at the end of a path, and the path without its extension.
// In a POSIX path (one that begins with '/') only '/' separates; elsewhere
// '\\', '/' and a drive's ':'.
std::string FileNameOf(const std::string& path);
std::string WithoutExtension(const std::string& path);
// The separator a folder's paths use: the one it ends in, else the last one
// in it; a backslash where it has none, as on Windows.
char SeparatorOf(const std::string& folder);
// The folder with that separator at its end, where it has none.
std::string FolderWithSeparator(std::string folder);
// The folder part of a path, with its separator; empty for a bare name.
std::string FolderPart(const std::string& path);

// Which field a file handed to the program (dropped on its window or named
// on its command line) goes to, by its extension without regard to case.
enum class FileRole { Jad, Jar, Obj, Stj, Archiver, Unknown };
FileRole RoleOfFile(const std::string& path);

// The JAD of the same base name in the JAR's folder, if there is one.
std::optional<std::string> PartnerJad(const std::string& jarPath, SystemPort& system);

// The JAR a JAD goes with, wherever a JAD is paired: the file its
// MIDlet-Jar-URL names, when that is a plain file name (no folder, no drive,
// no URL) and `find` finds it beside the JAD, else the JAR of the JAD's base
// name that `find` finds. `find` is given a path and returns it as found, or
// nothing.
std::optional<std::string> PairedJar(const std::string& jad, std::string_view jadBytes,
                                     const std::function<std::optional<std::string>(const std::string&)>& find);

// The JAD's JAR as PairedJar finds it among the files beside the JAD. A JAD
// that cannot be read has no partner.
std::optional<std::string> PartnerJar(const std::string& jadPath, SystemPort& system);

// No JAD is this large: a few lines of attributes. A larger file is refused
// before it is read, so that a stray video named *.jad costs no memory.
inline constexpr std::uint64_t kMaxJadBytes = 512 * 1024;
// The JAD, in one opening of its file; throws AppError when it cannot be read
// or is larger than kMaxJadBytes.
JadFile ReadJadFile(const std::string& jadPath, SystemPort& system);

// A JAD for the JAR from its manifest (see MakeJad), naming the JAR by its
// file name and real size. Throws AppError when the JAR cannot be opened.
MadeJad JadFromJar(const std::string& jarPath, SystemPort& system);

// One suite as read from its files, once: the checks, the INI text, the
// build, the folder conversion and kestrane all take this value.
struct SuiteReading {
    std::string jadBytes = {};                // the JAD as the user wrote it, or as made from the manifest
    std::chrono::local_seconds jadWritten{};  // when the user's JAD was last written
    JadAttributes jad = {};                   // its attributes
    JarReading jar = {};                      // the JAR's directory and manifest; nothing when it is the JAD
    std::uint64_t jarSize = 0;
    std::unique_ptr<FileToRead> jarFile = {};  // the JAR as it was opened to be read
    bool sameFile = false;                     // JAR and JAD are one file
    bool jadMade = false;                      // no JAD of the user's: made from the manifest
    // What the suite's classes need beyond the phone; none when the JAR
    // could not be read (or is the JAD).
    std::optional<ClassVerdict> verdict = {};

    // The manifest's main section; empty without one.
    AttributeList Manifest() const;
};

// Reads the suite's JAD and JAR. Throws AppError when either cannot be read.
SuiteReading ReadSuite(const std::string& jarPath, const std::string& jadPath, SystemPort& system);
// A suite as read, or why it cannot be: no JAD could be made for it.
struct SuiteRead {
    std::optional<SuiteReading> suite;
    std::string problem;
};

// A JAR without a JAD: the JAR read once, and the JAD made from its manifest
// (see JadFromJar); nothing, with the reason, where none can be made.
// Throws AppError when the JAR cannot be opened.
SuiteRead ReadSuiteMakingJad(const std::string& jarPath, SystemPort& system);

// What the checks find in the suite and the INI text that goes with it,
// what its classes need beyond the phone among them.
SuiteFindings CheckSuite(const SuiteReading& suite, std::optional<std::string_view> iniText);

}  // namespace kestrane
