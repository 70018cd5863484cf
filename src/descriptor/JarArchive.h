// Reading a MIDlet suite's JAR: the names of its entries and its manifest,
// through the ZIP central directory. Only the directory and the manifest
// are read, so a suite of several megabytes costs a few kilobytes of I/O.
// A JAR that cannot be read is refused with a reason in German for the user;
// no header is trusted for a size before it is checked against the file and
// against a cap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "descriptor/ByteSource.h"
#include "descriptor/ClassFile.h"

namespace kestrane {

// Far above any suite a phone takes, far below what would hurt to allocate.
inline constexpr std::size_t kMaxManifestSize = std::size_t{1} << 20;
inline constexpr std::size_t kMaxDirectorySize = std::size_t{16} << 20;

inline constexpr std::string_view kManifestName = "META-INF/MANIFEST.MF";

// Why a JAR could not be read; the caller words it for the user.
enum class JarFault {
    None,
    NotZip,             // not a ZIP archive at all
    Damaged,            // cut short or damaged
    Zip64,              // a ZIP64 archive, which phones of the time never took
    MultiPart,          // one part of a split archive
    DirectoryTooLarge,  // a central directory above kMaxDirectorySize
    ManifestEncrypted,
    ManifestTooLarge,  // above kMaxManifestSize
    ManifestDamaged,   // its size or check sum do not match
    ManifestMethod,    // packed with a method other than stored or deflated
};

// What the central directory says of an entry and where its local header is.
struct JarEntryPlace {
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t crc = 0;
    std::uint32_t compressedSize = 0;
    std::uint32_t size = 0;
    std::uint32_t localOffset = 0;
};

struct JarContents {
    // Every entry's name as the central directory stores it, in its order.
    std::vector<std::string> entries;
    // The bytes of the first entry named META-INF/MANIFEST.MF in any case.
    std::optional<std::string> manifest;
    // For reading entries later: their places, in the order of `entries`,
    // and where their data end (the central directory starts there).
    std::vector<JarEntryPlace> places = {};
    std::uint64_t dataEnd = 0;
};

struct JarReading {
    std::optional<JarContents> contents;  // none when the JAR could not be read
    JarFault problem = JarFault::None;    // then why
    std::uint16_t method = 0;             // with ManifestMethod: the method's number
};

// Exceptions of the source pass through: they are I/O failures, not faults
// of the archive.
JarReading ReadJar(ByteSource& source);

// A class above this, inflated, is damaged: a class with the most constants
// a class can have takes a few megabytes at most.
inline constexpr std::size_t kMaxClassSize = std::size_t{8} << 20;
// What all class entries of a JAR may cost together, counted as the bytes
// read plus the bytes inflated: a hundred times the biggest suite a phone
// of the time took. The class entries past it stay unread and are named
// in SuiteClasses::unread; so no archive (a zip bomb, 65,535 entries on one
// stretch of data) keeps the reader long.
inline constexpr std::uint64_t kMaxClassesCost = std::uint64_t{64} << 20;

// Reads every entry whose name ends in ".class", stored or deflated, from
// the JAR that `contents` was read from: checked against its size and CRC-32
// and then read by ReadClass (ClassFile.h). An entry above kMaxClassSize is
// damaged. Exceptions of the source pass through.
SuiteClasses ReadClasses(ByteSource& source, const JarContents& contents);

}  // namespace kestrane
