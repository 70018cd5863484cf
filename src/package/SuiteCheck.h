// What is checked before a package is written: whether the JAD describes
// the JAR it goes with, the way the phone checks it on installation (a
// wrong size, differing attributes, a missing class or icon). The findings
// are for the user to weigh; none of them stops the build on its own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "descriptor/Attributes.h"
#include "descriptor/JarArchive.h"
#include "package/ClassNeeds.h"

namespace kestrane {

enum class FindingKind {
    SameFile,            // the JAR and the JAD are one file; nothing else is checked then
    JarUnreadable,       // not a ZIP archive the program can read; the text says why
    NoManifest,          // no META-INF/MANIFEST.MF
    JarSizeMissing,      // the JAD has no MIDlet-Jar-Size
    JarSizeDiffers,      // MIDlet-Jar-Size is not the JAR's size (or not a number)
    AttributeDiffers,    // MIDlet-Name, MIDlet-Version or MIDlet-Vendor differ from the manifest's
    ClassMissing,        // no .class entry for the class of MIDlet-1
    IconMissing,         // no entry for the icon of MIDlet-1
    JadIsUtf16,          // the package's copy is made UTF-8
    IniClassMissing,     // no .class entry for the INI's class=
    IniClassEmpty,       // the INI names no class
    IniSuiteDiffers,     // the INI's suite= is not the JAD's MIDlet-Name
    MidletFromManifest,  // the JAD lacks MIDlet-1; the INI took the manifest's
    // What the suite's classes need beyond the phone, a finding a group (see ClassNeeds.h):
    CannotRun,  // the phone cannot load or run the suite
    MayLack,    // needed only where present (a class loaded by name): the suite runs without
    // The JAR's classes cost too much to read them all: whether it runs is
    // not known, unless those read say it cannot.
    ClassesUnread,
};

struct Finding {
    FindingKind kind;
    std::string text;  // German, one or two sentences for the user
};

struct SuiteFindings {
    std::vector<Finding> findings = {};  // empty: nothing to ask, the build runs as always
    // The MIDlet-Jar-Size the package's copy of the JAD needs (see
    // ReplaceJarSize); none when the JAD's own value is right.
    std::optional<std::uint64_t> correctedJarSize = {};
};

// `jar` is the JAR read with ReadJar, `jarSize` its size in bytes; `iniText`
// the INI text as the user left it (UTF-8), checked against the suite too
// where it is given.
SuiteFindings CheckSuite(std::string_view jadBytes, const JarReading& jar, std::uint64_t jarSize, bool sameFile,
                         std::optional<std::string_view> iniText = std::nullopt);

// The MIDlet classes the suite names, in Java's spelling: the class of each
// MIDlet-<n> of the JAD, else of the manifest.
std::vector<std::string> MidletClasses(const AttributeList& jad, const AttributeList& manifest);

// The findings of the judgement of the suite's classes, one a group, then
// one for the classes left unread; `jad` and `manifest` say what platform
// the suite declares.
std::vector<Finding> NeedFindings(const ClassVerdict& verdict, const AttributeList& jad, const AttributeList& manifest);

// The box that asks whether to build anyway: every finding's text, then
// "Trotzdem erstellen?". Its words are made in Words.cpp.
std::string FindingsQuestion(const std::vector<Finding>& findings);

}  // namespace kestrane
