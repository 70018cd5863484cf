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

namespace kestrane {

// Random access to the bytes of a file.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() = 0;
    // Exactly `length` bytes from `offset`; throws when they cannot be read.
    // The JAR reader asks only for bytes inside [0, Size()).
    virtual std::string Read(std::uint64_t offset, std::size_t length) = 0;
};

// Bytes already in memory; the view must outlive the source.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t Size() override { return bytes_.size(); }
    // Throws std::out_of_range for bytes outside the view.
    std::string Read(std::uint64_t offset, std::size_t length) override;

private:
    std::string_view bytes_;
};

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
    ManifestTooLarge,   // above kMaxManifestSize
    ManifestDamaged,    // its size or check sum do not match
    ManifestMethod,     // packed with a method other than stored or deflated
};

struct JarContents {
    // Every entry's name as the central directory stores it, in its order.
    std::vector<std::string> entries;
    // The bytes of the first entry named META-INF/MANIFEST.MF in any case.
    std::optional<std::string> manifest;
};

struct JarReading {
    std::optional<JarContents> contents;  // none when the JAR could not be read
    JarFault problem = JarFault::None;    // then why
    std::uint16_t method = 0;             // with ManifestMethod: the method's number
};

// Exceptions of the source pass through: they are I/O failures, not faults
// of the archive.
JarReading ReadJar(ByteSource& source);

}  // namespace kestrane
