#include "descriptor/JarArchive.h"

#include <zlib.h>
#ifdef KESTRANE_LIBDEFLATE
#include <libdeflate.h>
#endif

#include <algorithm>
#include <new>

#include "descriptor/Crc32.h"
#include "descriptor/Text.h"

namespace kestrane {

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kZip64LocatorSize = 20;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kMaxCommentSize = 0xFFFF;
constexpr std::uint16_t kEncryptedFlag = 1;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
// Deflate grows incompressible data by five bytes per stored block of at
// most 64 KiB; anything bigger than this cannot inflate to `size`.
constexpr std::uint64_t MaxCompressed(std::uint64_t size) { return size + size / 1024 + 64; }

// Why one entry's data cannot be had.
enum class EntryFault {
    Encrypted,
    Method,         // neither stored nor deflated
    Zip64,          // a size or offset that only ZIP64 has
    TooLarge,       // above the cap of its kind
    DataDamaged,    // its size, its deflated stream or its CRC do not match
    HeaderDamaged,  // its local header does not match or lies outside the entries' data
};

// Ends the reading with the reason for the user, as a reading without
// contents: one throw for the reader's many checks. An entry's fault is
// thrown as it is.
[[noreturn]] void Refuse(JarFault fault, std::uint16_t method = 0) { throw JarReading{std::nullopt, fault, method}; }

struct Directory {
    std::uint64_t offset = 0;  // where the central directory starts; all entry data lie before it
    std::uint64_t size = 0;
    std::uint16_t entries = 0;
};

// The last `size` bytes of the file, and in them the end record whose
// comment ends with the file; failing that, for a file with bytes appended,
// the one closest to the end whose comment fits. A comment may itself hold
// the signature.
struct Tail {
    std::string bytes;
    std::uint64_t start = 0;
    std::optional<std::size_t> found, fitting;
};

Tail ReadTail(ByteSource& source, std::uint64_t fileSize, std::size_t size) {
    Tail tail;
    const std::size_t tailSize = static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, size));
    tail.start = fileSize - tailSize;
    tail.bytes = source.Read(tail.start, tailSize);
    for (std::size_t i = tailSize - kEndSize + 1; i-- > 0 && !tail.found;) {
        if (U32(tail.bytes, i) != kEndSignature) continue;
        const std::size_t end = i + kEndSize + U16(tail.bytes, i + 20);
        if (end == tailSize)
            tail.found = i;
        else if (end < tailSize && !tail.fitting)
            tail.fitting = i;
    }
    return tail;
}

Directory FindDirectory(ByteSource& source) {
    const std::uint64_t fileSize = source.Size();
    // A JAR cut short loses its end record but keeps its first entry.
    auto refuseWithoutEnd = [&]() {
        const bool zipStart = fileSize >= 4 && U32(source.Read(0, 4), 0) == kLocalSignature;
        return JarReading{std::nullopt, zipStart ? JarFault::Damaged : JarFault::NotZip};
    };
    if (fileSize < kEndSize) throw refuseWithoutEnd();
    // Most JARs have no comment: a few hundred bytes hold their end record.
    // The whole tail is read only where they do not, and the search goes on
    // in it from the end as it did in them.
    constexpr std::size_t kShortTail = 512;
    Tail end = ReadTail(source, fileSize, kShortTail);
    if (!end.found && end.bytes.size() < fileSize) end = ReadTail(source, fileSize, kEndSize + kMaxCommentSize);
    const std::optional<std::size_t> found = end.found ? end.found : end.fitting;
    if (!found) throw refuseWithoutEnd();
    const std::string& tail = end.bytes;
    const std::size_t pos = *found;
    const std::uint64_t endOffset = end.start + pos;

    Directory directory;
    directory.entries = U16(tail, pos + 10);
    directory.size = U32(tail, pos + 12);
    directory.offset = U32(tail, pos + 16);
    bool zip64 = directory.entries == 0xFFFF || directory.size == 0xFFFFFFFF || directory.offset == 0xFFFFFFFF;
    if (!zip64 && endOffset >= kZip64LocatorSize) {
        const std::uint64_t locator = endOffset - kZip64LocatorSize;
        const std::string signature = locator >= end.start
                                          ? tail.substr(static_cast<std::size_t>(locator - end.start), 4)
                                          : source.Read(locator, 4);
        zip64 = U32(signature, 0) == kZip64LocatorSignature;
    }
    if (zip64) Refuse(JarFault::Zip64);
    if (U16(tail, pos + 4) != 0 || U16(tail, pos + 6) != 0 || U16(tail, pos + 8) != directory.entries)
        Refuse(JarFault::MultiPart);
    if (directory.size > kMaxDirectorySize) Refuse(JarFault::DirectoryTooLarge);
    if (directory.offset + directory.size > endOffset ||
        directory.entries * std::uint64_t{kCentralSize} > directory.size)
        Refuse(JarFault::Damaged);
    return directory;
}

#ifdef KESTRANE_LIBDEFLATE
// libdeflate inflates an entry whose size the directory declares in one
// call, about twice as fast as zlib: a longer stream does not fit, a shorter
// one is told by the size that came out.
class Inflater {
public:
    Inflater() : state_(libdeflate_alloc_decompressor()) {
        if (!state_) throw std::bad_alloc();
    }
    ~Inflater() { libdeflate_free_decompressor(state_); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    std::string Inflate(const std::string& compressed, std::uint32_t size) {
        std::string out(size, '\0');
        std::size_t produced = 0;
        if (libdeflate_deflate_decompress(state_, compressed.data(), compressed.size(), out.data(), out.size(),
                                          &produced) != LIBDEFLATE_SUCCESS ||
            produced != size)
            throw EntryFault::DataDamaged;
        return out;
    }

private:
    libdeflate_decompressor* state_;
};

#else
// One inflate state for every entry a reading inflates, reset between
// them: making a state costs more than inflating a small class.
class Inflater {
public:
    Inflater() {
        if (inflateInit2(&stream_, -MAX_WBITS) != Z_OK) throw std::bad_alloc();
    }
    ~Inflater() { inflateEnd(&stream_); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    std::string Inflate(std::string& compressed, std::uint32_t size) {
        if (inflateReset(&stream_) != Z_OK) throw EntryFault::DataDamaged;
        stream_.next_in = reinterpret_cast<Bytef*>(compressed.data());
        stream_.avail_in = static_cast<uInt>(compressed.size());
        stream_.avail_out = 0;
        // The output grows with what really comes out, up to one byte more
        // than declared, so that a longer stream shows. Z_FINISH: an entry
        // that fits into one step is inflated without a sliding window.
        constexpr std::size_t kStep = 64 * 1024;
        const std::size_t limit = std::size_t{size} + 1;
        std::string out;
        int result = Z_BUF_ERROR;
        while (result == Z_BUF_ERROR && stream_.avail_out == 0 && stream_.total_out < limit) {
            const std::size_t produced = stream_.total_out;
            out.resize(std::min(limit, produced + kStep));
            stream_.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
            stream_.avail_out = static_cast<uInt>(out.size() - produced);
            result = inflate(&stream_, Z_FINISH);
        }
        if (result != Z_STREAM_END || stream_.total_out != size) throw EntryFault::DataDamaged;
        out.resize(size);
        return out;
    }

private:
    z_stream stream_{};
};
#endif

// One entry's bytes, stored or inflated, checked against the central
// directory's size and CRC-32. Nothing is read before the sizes are checked
// against `maxSize` and the entry's header against the entries' data.
std::string ReadEntry(ByteSource& source, const JarEntryPlace& entry, std::string_view name, std::uint64_t dataEnd,
                      std::size_t maxSize, Inflater& inflater) {
    if (entry.flags & kEncryptedFlag) throw EntryFault::Encrypted;
    if (entry.method != kStored && entry.method != kDeflated) throw EntryFault::Method;
    if (entry.size == 0xFFFFFFFF || entry.compressedSize == 0xFFFFFFFF || entry.localOffset == 0xFFFFFFFF)
        throw EntryFault::Zip64;
    if (entry.size > maxSize) throw EntryFault::TooLarge;
    if (entry.compressedSize > MaxCompressed(maxSize) ||
        (entry.method == kStored && entry.compressedSize != entry.size))
        throw EntryFault::DataDamaged;

    const std::uint64_t nameEnd = std::uint64_t{entry.localOffset} + kLocalSize + name.size();
    if (nameEnd > dataEnd) throw EntryFault::HeaderDamaged;
    const std::string local = source.Read(entry.localOffset, static_cast<std::size_t>(nameEnd - entry.localOffset));
    if (U32(local, 0) != kLocalSignature || std::size_t{U16(local, 26)} != name.size() ||
        std::string_view(local).substr(kLocalSize) != name)
        throw EntryFault::HeaderDamaged;
    const std::uint64_t dataStart = nameEnd + U16(local, 28);
    if (dataStart + entry.compressedSize > dataEnd) throw EntryFault::HeaderDamaged;

    std::string data = source.Read(dataStart, entry.compressedSize);
    std::string bytes = entry.method == kStored ? std::move(data) : inflater.Inflate(data, entry.size);
    if (Crc32(bytes) != entry.crc) throw EntryFault::DataDamaged;
    return bytes;
}

std::string ReadManifest(ByteSource& source, const JarEntryPlace& entry, std::string_view name, std::uint64_t dataEnd) {
    try {
        Inflater inflater;
        return ReadEntry(source, entry, name, dataEnd, kMaxManifestSize, inflater);
    } catch (EntryFault fault) {
        switch (fault) {
        case EntryFault::Encrypted: Refuse(JarFault::ManifestEncrypted);
        case EntryFault::Method: Refuse(JarFault::ManifestMethod, entry.method);
        case EntryFault::Zip64: Refuse(JarFault::Zip64);
        case EntryFault::TooLarge: Refuse(JarFault::ManifestTooLarge);
        case EntryFault::DataDamaged: Refuse(JarFault::ManifestDamaged);
        case EntryFault::HeaderDamaged: break;
        }
        Refuse(JarFault::Damaged);
    }
}

JarContents ReadContents(ByteSource& source) {
    const Directory directory = FindDirectory(source);
    const std::string central = source.Read(directory.offset, static_cast<std::size_t>(directory.size));

    JarContents contents;
    contents.entries.reserve(directory.entries);
    contents.places.reserve(directory.entries);
    contents.dataEnd = directory.offset;
    std::optional<std::size_t> manifest;
    std::size_t pos = 0;
    for (std::uint16_t i = 0; i < directory.entries; ++i) {
        if (central.size() - pos < kCentralSize || U32(central, pos) != kCentralSignature) Refuse(JarFault::Damaged);
        const std::size_t nameLength = U16(central, pos + 28);
        const std::size_t recordSize = kCentralSize + nameLength + U16(central, pos + 30) + U16(central, pos + 32);
        if (central.size() - pos < recordSize) Refuse(JarFault::Damaged);
        std::string name = central.substr(pos + kCentralSize, nameLength);
        if (!manifest && EqualsIgnoringAsciiCase(name, kManifestName)) manifest = i;
        contents.places.push_back(JarEntryPlace{U16(central, pos + 8), U16(central, pos + 10), U32(central, pos + 16),
                                                U32(central, pos + 20), U32(central, pos + 24),
                                                U32(central, pos + 42)});
        contents.entries.push_back(std::move(name));
        pos += recordSize;
    }
    if (manifest)
        contents.manifest =
            ReadManifest(source, contents.places[*manifest], contents.entries[*manifest], contents.dataEnd);
    return contents;
}

}  // namespace

JarReading ReadJar(ByteSource& source) {
    try {
        return JarReading{ReadContents(source), {}};
    } catch (const JarReading& refusal) {
        return refusal;
    }
}

SuiteClasses ReadClasses(ByteSource& source, const JarContents& contents) {
    SuiteClasses suite;
    // The class entries lie one after another: one read serves several.
    ReadAheadSource ahead(source, 64 * 1024);
    Inflater inflater;
    std::uint64_t cost = 0;
    const std::size_t count = std::min(contents.entries.size(), contents.places.size());
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& name = contents.entries[i];
        if (name.size() <= 6 || !name.ends_with(".class")) continue;  // a class entry
        const JarEntryPlace& place = contents.places[i];
        cost += kLocalSize + name.size() + std::min<std::uint64_t>(place.compressedSize, MaxCompressed(kMaxClassSize)) +
                std::min<std::uint64_t>(place.size, kMaxClassSize);
        if (cost > kMaxClassesCost) {
            suite.unread.push_back(name);
            continue;
        }
        try {
            ClassReading reading = ReadClass(ReadEntry(ahead, place, name, contents.dataEnd, kMaxClassSize, inflater));
            if (reading.file)
                suite.classes.push_back(std::move(*reading.file));
            else
                suite.damaged.push_back(name);
        } catch (EntryFault fault) {
            (fault == EntryFault::Encrypted ? suite.encrypted : suite.damaged).push_back(name);
        }
    }
    return suite;
}

}  // namespace kestrane
