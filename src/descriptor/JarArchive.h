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

inline constexpr std::string_view kJarNotZipMessage = "Die JAR-Datei ist kein ZIP-Archiv.";
inline constexpr std::string_view kJarDamagedMessage = "Die JAR-Datei ist unvollständig oder beschädigt.";
inline constexpr std::string_view kJarZip64Message =
    "Die JAR-Datei ist ein ZIP64-Archiv; dieses Format wird nicht unterstützt.";
inline constexpr std::string_view kJarMultiPartMessage =
    "Die JAR-Datei ist Teil eines mehrteiligen ZIP-Archivs; das wird nicht unterstützt.";
inline constexpr std::string_view kJarDirectoryTooLargeMessage =
    "Das Inhaltsverzeichnis der JAR-Datei ist zu groß (über 16 MiB).";
inline constexpr std::string_view kManifestEncryptedMessage = "Das Manifest der JAR-Datei ist verschlüsselt.";
inline constexpr std::string_view kManifestTooLargeMessage = "Das Manifest der JAR-Datei ist größer als 1 MiB.";
inline constexpr std::string_view kManifestDamagedMessage =
    "Das Manifest der JAR-Datei ist beschädigt: Größe oder Prüfsumme stimmen nicht.";
// Followed by the method's number and ").".
inline constexpr std::string_view kManifestMethodMessage =
    "Das Manifest der JAR-Datei ist mit einem nicht unterstützten Verfahren gepackt (Methode ";

struct JarContents {
    // Every entry's name as the central directory stores it, in its order.
    std::vector<std::string> entries;
    // The bytes of the first entry named META-INF/MANIFEST.MF in any case.
    std::optional<std::string> manifest;
};

struct JarReading {
    std::optional<JarContents> contents;  // none when the JAR could not be read
    std::string problem;                  // then why, in German; else empty
};

// Exceptions of the source pass through: they are I/O failures, not faults
// of the archive.
JarReading ReadJar(ByteSource& source);

}  // namespace kestrane
