#include "support/ZipWriter.h"

#include <zlib.h>

#include <fstream>
#include <stdexcept>

namespace kestrane::testing {

namespace {

void Put16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void Put64(std::string& out, std::uint64_t value) {
    Put32(out, static_cast<std::uint32_t>(value));
    Put32(out, static_cast<std::uint32_t>(value >> 32));
}

std::string Deflate(std::string_view data) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    std::string in(data);
    stream.next_in = reinterpret_cast<Bytef*>(in.data());
    stream.avail_in = static_cast<uInt>(in.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END) throw std::runtime_error("deflate failed");
    return out;
}

// 2024-05-17 12:00:00 in MS-DOS form.
constexpr std::uint16_t kDosTime = 12 << 11;
constexpr std::uint16_t kDosDate = (2024 - 1980) << 9 | 5 << 5 | 17;

}  // namespace

ZipWriter& ZipWriter::Add(ZipEntry entry) {
    entries_.push_back(std::move(entry));
    return *this;
}

ZipWriter& ZipWriter::Stored(std::string name, std::string data) {
    ZipEntry entry;
    entry.name = std::move(name);
    entry.data = std::move(data);
    entry.method = 0;
    return Add(std::move(entry));
}

ZipWriter& ZipWriter::Deflated(std::string name, std::string data) {
    ZipEntry entry;
    entry.name = std::move(name);
    entry.data = std::move(data);
    return Add(std::move(entry));
}

std::string ZipWriter::Bytes() const {
    std::string archive, central;
    for (const ZipEntry& entry : entries_) {
        const std::string packed = entry.method == 8 ? Deflate(entry.data) : entry.data;
        const std::uint32_t crc = entry.declaredCrc.value_or(Crc32(entry.data));
        const std::uint32_t compressedSize =
            entry.declaredCompressedSize.value_or(static_cast<std::uint32_t>(packed.size()));
        const std::uint32_t size = entry.declaredSize.value_or(static_cast<std::uint32_t>(entry.data.size()));
        const std::uint16_t flags = static_cast<std::uint16_t>((entry.encrypted ? 1 : 0) |
                                                               (entry.dataDescriptor ? 8 : 0) | 0x800);  // UTF-8 names
        const auto offset = static_cast<std::uint32_t>(archive.size());

        Put32(archive, 0x04034b50);
        Put16(archive, 20);
        Put16(archive, flags);
        Put16(archive, entry.method);
        Put16(archive, kDosTime);
        Put16(archive, kDosDate);
        Put32(archive, entry.dataDescriptor ? 0 : crc);
        Put32(archive, entry.dataDescriptor ? 0 : compressedSize);
        Put32(archive, entry.dataDescriptor ? 0 : size);
        Put16(archive, static_cast<std::uint32_t>(entry.name.size()));
        Put16(archive, 0);
        archive += entry.name;
        archive += packed;
        if (entry.dataDescriptor) {
            Put32(archive, 0x08074b50);
            Put32(archive, crc);
            Put32(archive, compressedSize);
            Put32(archive, size);
        }

        Put32(central, 0x02014b50);
        Put16(central, 20);
        Put16(central, 20);
        Put16(central, flags);
        Put16(central, entry.method);
        Put16(central, kDosTime);
        Put16(central, kDosDate);
        Put32(central, crc);
        Put32(central, compressedSize);
        Put32(central, size);
        Put16(central, static_cast<std::uint32_t>(entry.name.size()));
        Put16(central, 0);  // extra field
        Put16(central, 0);  // comment
        Put16(central, 0);  // disk
        Put16(central, 0);  // internal attributes
        Put32(central, 0);  // external attributes
        Put32(central, offset);
        central += entry.name;
    }

    const auto centralOffset = static_cast<std::uint32_t>(archive.size());
    const auto count = static_cast<std::uint32_t>(entries_.size());
    archive += central;
    if (zip64End) {
        const std::uint64_t zip64EndOffset = archive.size();
        Put32(archive, 0x06064b50);
        Put64(archive, 44);  // the record's size after this field
        Put16(archive, 45);
        Put16(archive, 45);
        Put32(archive, 0);
        Put32(archive, 0);
        Put64(archive, count);
        Put64(archive, count);
        Put64(archive, central.size());
        Put64(archive, centralOffset);
        Put32(archive, 0x07064b50);
        Put32(archive, 0);
        Put64(archive, zip64EndOffset);
        Put32(archive, 1);
    }
    Put32(archive, 0x06054b50);
    Put16(archive, 0);
    Put16(archive, 0);
    Put16(archive, zip64End ? 0xFFFF : count);
    Put16(archive, zip64End ? 0xFFFF : count);
    Put32(archive, zip64End ? 0xFFFFFFFF : static_cast<std::uint32_t>(central.size()));
    Put32(archive, zip64End ? 0xFFFFFFFF : centralOffset);
    Put16(archive, static_cast<std::uint32_t>(comment.size()));
    archive += comment;
    return archive;
}

std::string ManifestText(const std::vector<std::pair<std::string, std::string>>& attributes,
                         const ManifestStyle& style) {
    if (style.foldAt == 1) throw std::invalid_argument("a folded line needs room for a space and a byte");
    std::string text = style.byteOrderMark ? "\xEF\xBB\xBF" : "";
    for (const auto& [name, value] : attributes) {
        const std::string line = name + ": " + value;
        if (style.foldAt == 0 || line.size() <= style.foldAt) {
            text += line + style.lineEnd;
            continue;
        }
        text += line.substr(0, style.foldAt) + style.lineEnd;
        for (std::size_t at = style.foldAt; at < line.size(); at += style.foldAt - 1)
            text += " " + line.substr(at, style.foldAt - 1) + style.lineEnd;
    }
    return text + style.lineEnd;
}

std::uint32_t Crc32(std::string_view bytes) {
    return static_cast<std::uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) throw std::runtime_error("a test file could not be written");
}

}  // namespace kestrane::testing
