// The smallest class the phone's VM loads: a class of the given name and
// superclass, with no fields and no methods, as version 46 (J2SE 1.2)
// writes it. The suites of the tests hold it where their JARs need a
// class that is whole; what the checks judge of real code, they judge on
// classes that javac, ProGuard and Jasmin made (tests/classes).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrane::testing {

// `name` and `superName` in internal form ("a/Main"); `filler`, kept in
// the constant pool, gives classes of the same name other bytes and sizes.
std::string MinimalClass(std::string_view name, std::string_view superName = "javax/microedition/midlet/MIDlet",
                         std::string_view filler = {});

// The class files below `folder` as a JAR's entries: the path below the
// folder with '/', and the bytes; in the order of their names.
std::vector<std::pair<std::string, std::string>> ClassFilesIn(const std::filesystem::path& folder);

}  // namespace kestrane::testing
