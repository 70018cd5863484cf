// The files of one suite as the user names them: finding a JAD for a JAR
// and a JAR for a JAD, making a JAD from a JAR alone, and checking a suite
// before its package is built.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "descriptor/Attributes.h"
#include "package/PackageBuild.h"
#include "package/SuiteCheck.h"
#include "package/SystemPort.h"

namespace kestrane {

// The file name at the end of a path, and the path without its extension.
std::string FileNameOf(const std::string& path);
std::string WithoutExtension(const std::string& path);

// Which field a file handed to the program (dropped on its window or named
// on its command line) goes to, by its extension without regard to case.
enum class FileRole { Jad, Jar, Obj, Stj, Archiver, Unknown };
FileRole RoleOfFile(const std::string& path);

// The JAD of the same base name in the JAR's folder, if there is one.
std::optional<std::string> PartnerJad(const std::string& jarPath, SystemPort& system);

// The file name in the JAD's MIDlet-Jar-URL, when that is a plain file name
// (no folder, no drive, no URL), meaning a file beside the JAD.
std::optional<std::string> JarFileNamedBy(std::string_view jadBytes);

// The file the JAD's MIDlet-Jar-URL names, when that is a plain file name
// of a file next to the JAD; else the JAR of the JAD's base name beside it.
// A JAD that cannot be read has no partner.
std::optional<std::string> PartnerJar(const std::string& jadPath, SystemPort& system);

// A JAD for the JAR from its manifest (see MakeJad), naming the JAR by its
// file name and real size. Throws AppError when the JAR cannot be opened.
MadeJad JadFromJar(const std::string& jarPath, SystemPort& system);

// The main section of the JAR's manifest; empty when the JAR cannot be read
// or has no manifest. Throws AppError when it cannot be opened.
AttributeList ManifestOf(const std::string& jarPath, SystemPort& system);

// What the checks find in the request's JAD, JAR and INI text. Throws AppError when
// either cannot be read.
SuiteFindings InspectSuite(const PackageRequest& request, SystemPort& system);

}  // namespace kestrane
