// Real ZIP archives (JARs) made inside the tests, and the ways JARs in the
// wild go wrong: sizes and checksums that lie, unknown methods, an
// encryption flag, a ZIP64 end, an archive cut short (take a prefix of the
// bytes). Portable, needing only zlib: the tests of the Windows program
// make their suites with it as well.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrane::testing {

struct ZipEntry {
    std::string name;
    std::string data;
    // 8: deflated with zlib; 0: stored; any other number: the data stored
    // under that method's number.
    std::uint16_t method = 8;
    bool encrypted = false;       // sets the flag only; the data stay as they are
    bool dataDescriptor = false;  // CRC and sizes after the data, zeros in the local header
    // Written into both headers instead of the true values.
    std::optional<std::uint32_t> declaredSize;
    std::optional<std::uint32_t> declaredCompressedSize;
    std::optional<std::uint32_t> declaredCrc;
};

class ZipWriter {
public:
    ZipWriter& Add(ZipEntry entry);
    ZipWriter& Stored(std::string name, std::string data);
    ZipWriter& Deflated(std::string name, std::string data);

    std::string comment;    // the archive's comment, after its end record
    bool zip64End = false;  // a ZIP64 end record and its locator, the classic end pointing there

    // The whole archive: local headers and data, central directory, end.
    std::string Bytes() const;

private:
    std::vector<ZipEntry> entries_;
};

struct ManifestStyle {
    std::string lineEnd = "\r\n";
    bool byteOrderMark = false;
    // Bytes per physical line: longer lines go on in lines that start with
    // a space, as JAR tools fold them after 72 bytes. 0 folds nothing; 1 is
    // refused.
    std::size_t foldAt = 72;
};

// A manifest's main section, closed by an empty line.
std::string ManifestText(const std::vector<std::pair<std::string, std::string>>& attributes,
                         const ManifestStyle& style = {});

std::uint32_t Crc32(std::string_view bytes);

// Throws std::runtime_error when the file cannot be written whole.
void WriteFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace kestrane::testing
