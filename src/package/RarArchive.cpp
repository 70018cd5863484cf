#include "package/RarArchive.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace kestrane {

namespace {

// Where the numbers come from: the block layout and the flag bits are those
// of RAR's published format note for 3.x and 4.x (technote.txt). Where the
// note leaves a choice, the value is the one that real archives of RAR 3.x
// show, as kept in public test suites (libarchive's RAR test archives, e.g.
// test_read_format_rar_unicode.rar, made on Windows):
//   - archive header: HEAD_FLAGS 0, RESERVED1 (2 bytes) and RESERVED2
//     (4 bytes) zero, HEAD_SIZE 13 - the same 13 bytes in every such archive;
//   - end-of-archive block: HEAD_FLAGS 0x4000 (the "skip if unknown" bit
//     that every block of this kind carries), HEAD_SIZE 7, nothing after it;
//   - a stored member: METHOD 0x30, UNP_VER 20 (RAR 3.x wrote 20 for stored
//     files, since any reader from 2.0 on takes them, and 29 only for
//     compressed ones), HOST_OS 2 (Windows), ATTR 0x20 (archive),
//     HEAD_FLAGS 0x8000 (LONG_BLOCK: the data follows the header). The
//     archivers also wrote the finer times of the EXT_TIME bit and a window
//     size in the flags; both are optional and say nothing about stored
//     data, so a package carries only the MS-DOS time every reader knows.
constexpr std::string_view kRar4Marker{"Rar!\x1A\x07\x00", 7};
constexpr std::string_view kRar5Marker{"Rar!\x1A\x07\x01\x00", 8};

constexpr std::uint8_t kArchiveHeader = 0x73;
constexpr std::uint8_t kFileHeader = 0x74;
constexpr std::uint8_t kEndOfArchive = 0x7B;

constexpr std::uint16_t kLongBlock = 0x8000;  // ADD_SIZE follows HEAD_SIZE
constexpr std::uint16_t kSkipIfUnknown = 0x4000;
constexpr std::uint16_t kVolume = 0x0001;  // archive header: one of several volumes
constexpr std::uint16_t kEncryptedHeaders = 0x0080;
constexpr std::uint16_t kSplit = 0x0003;  // file header: continued from or in another volume
constexpr std::uint16_t kEncrypted = 0x0004;
constexpr std::uint16_t kDirectory = 0x00E0;
constexpr std::uint16_t kLargeSizes = 0x0100;  // HIGH_PACK_SIZE and HIGH_UNP_SIZE present
constexpr std::uint16_t kUnicodeName = 0x0200;

constexpr std::uint8_t kHostWindows = 2;
constexpr std::uint8_t kStoredUnpackVersion = 20;
constexpr std::uint8_t kStored = 0x30;

constexpr std::size_t kBlockHeadSize = 7;  // HEAD_CRC, HEAD_TYPE, HEAD_FLAGS, HEAD_SIZE
constexpr std::size_t kFileHeadSize = 32;  // up to and including ATTR

// The low `bytes` bytes of `value`, the lowest first.
void Append(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// One block header, HEAD_CRC first, with `body` after HEAD_SIZE.
std::string Block(std::uint8_t type, std::uint16_t flags, std::string_view body) {
    const std::size_t size = kBlockHeadSize + body.size();
    if (size > 0xFFFF) throw std::length_error("RAR block header too large");
    std::string head(1, static_cast<char>(type));
    Append(head, flags, 2);
    Append(head, static_cast<std::uint32_t>(size), 2);
    head += body;
    std::string block;
    Append(block, Crc32(head), 2);
    return block + head;
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string FileHeader(const RarEntry& member) {
    const auto size = static_cast<std::uint32_t>(member.size);  // Add refuses larger members
    std::string body;
    Append(body, size, 4);  // PACK_SIZE, the block's ADD_SIZE
    Append(body, size, 4);  // UNP_SIZE
    body += static_cast<char>(kHostWindows);
    Append(body, member.crc, 4);
    Append(body, member.dosTime, 4);
    body += static_cast<char>(kStoredUnpackVersion);
    body += static_cast<char>(kStored);
    Append(body, static_cast<std::uint32_t>(member.name.size()), 2);  // Block refuses longer names
    Append(body, member.attributes, 4);
    body += member.name;
    // A name beyond ASCII is UTF-8 with the Unicode bit and no zero byte
    // inside, which readers take as "the name is UTF-8".
    return Block(kFileHeader, kLongBlock | (IsAscii(member.name) ? 0 : kUnicodeName), body);
}

std::nullopt_t Fail(std::string* problem, const char* what) {
    if (problem) *problem = what;
    return std::nullopt;
}

// The pieces a member's data is copied and checked in: a package of a JAR
// of any size needs no more memory than this.
constexpr std::size_t kRarPieceSize = std::size_t{256} << 10;

// Hands `size` bytes from `offset` to `use` in pieces of kRarPieceSize at most.
template <typename Use>
void ForEachPiece(ByteSource& source, std::uint64_t offset, std::uint64_t size, Use use) {
    for (std::uint64_t done = 0; done < size;) {
        const std::string piece =
            source.Read(offset + done, static_cast<std::size_t>(std::min<std::uint64_t>(size - done, kRarPieceSize)));
        use(piece);
        done += piece.size();
    }
}

}  // namespace

std::uint32_t DosDateTime(const CalendarTime& t) {
    if (t.year < 1980) return kDosEpoch;
    const int year = std::min(t.year, 2107);
    return static_cast<std::uint32_t>(year - 1980) << 25 | static_cast<std::uint32_t>(t.month) << 21 |
           static_cast<std::uint32_t>(t.day) << 16 | static_cast<std::uint32_t>(t.hour) << 11 |
           static_cast<std::uint32_t>(t.minute) << 5 | static_cast<std::uint32_t>(t.second / 2);
}

std::uint32_t DosDateTime(std::chrono::local_seconds moment) {
    using namespace std::chrono;
    const local_days day = floor<days>(moment);
    const year_month_day date(day);
    const hh_mm_ss<seconds> time(moment - day);
    return DosDateTime({static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
                        static_cast<int>(static_cast<unsigned>(date.day())), static_cast<int>(time.hours().count()),
                        static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count())});
}

RarWriter::RarWriter(ByteSink& out) : out_(out) {
    Put(kRar4Marker);
    Put(Block(kArchiveHeader, 0, std::string(6, '\0')));  // RESERVED1, RESERVED2
}

void RarWriter::Put(std::string_view bytes) {
    size_ += bytes.size();
    if (gathered_.size() + bytes.size() > kGathered) HandOn();
    if (bytes.size() < kGathered) {
        gathered_.append(bytes);
        return;
    }
    out_.Write(bytes);
    handedOn_ = size_;
}

void RarWriter::HandOn() {
    if (gathered_.empty()) return;
    out_.Write(gathered_);
    handedOn_ += gathered_.size();
    gathered_.clear();
}

void RarWriter::Add(std::string name, ByteSource& data, std::uint32_t dosTime, std::uint32_t attributes) {
    RarEntry member{std::move(name), data.Size(), 0, 0, dosTime, attributes};
    if (member.size > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("member too large for a RAR 4 header: " + member.name);
    const std::uint64_t headerAt = size_;
    Put(FileHeader(member));
    member.dataOffset = size_;
    ForEachPiece(data, 0, member.size, [&](std::string_view piece) {
        member.crc = Crc32(piece, member.crc);
        Put(piece);
    });
    // The header again, now with its FILE_CRC: the same size, the same place.
    const std::string header = FileHeader(member);
    if (headerAt >= handedOn_)
        gathered_.replace(static_cast<std::size_t>(headerAt - handedOn_), header.size(), header);
    else
        out_.WriteAt(headerAt, header);
    written_.push_back(std::move(member));
}

void RarWriter::End() {
    Put(Block(kEndOfArchive, kSkipIfUnknown, {}));
    HandOn();
}

std::optional<std::vector<RarEntry>> ReadRarEntries(ByteSource& archive, std::string* problem) {
    // Headers of a few dozen bytes each: one read serves those between two
    // members' data.
    ReadAheadSource source(archive, 8 * 1024);
    const std::uint64_t total = source.Size();
    if (FormatOf(source) != ArchiveFormat::Rar4) return Fail(problem, "no RAR 4 marker block");
    std::vector<RarEntry> members;
    std::uint64_t pos = kRar4Marker.size();
    while (pos < total) {
        if (total - pos < kBlockHeadSize) return Fail(problem, "truncated block header");
        const std::size_t headSize = U16(source.Read(pos, kBlockHeadSize), 5);
        if (headSize < kBlockHeadSize || total - pos < headSize) return Fail(problem, "bad HEAD_SIZE");
        const std::string in = source.Read(pos, headSize);
        const std::uint8_t type = static_cast<std::uint8_t>(in[2]);
        const std::uint16_t flags = U16(in, 3);
        if ((Crc32(std::string_view(in).substr(2)) & 0xFFFF) != U16(in, 0)) return Fail(problem, "HEAD_CRC mismatch");

        std::uint64_t addSize = 0;
        if ((flags & kLongBlock) && headSize >= kBlockHeadSize + 4) addSize = U32(in, 7);
        if (type == kEndOfArchive) return members;
        if (type == kArchiveHeader && (flags & (kVolume | kEncryptedHeaders)))
            return Fail(problem, "multi-volume or encrypted archives are not supported");

        if (type == kFileHeader) {
            if (headSize < kFileHeadSize) return Fail(problem, "file header too short");
            if (flags & (kSplit | kEncrypted)) return Fail(problem, "split or encrypted member");
            if ((flags & kDirectory) == kDirectory) return Fail(problem, "folder entries are not supported");
            if (static_cast<std::uint8_t>(in[25]) != kStored)
                return Fail(problem, "member is compressed, only stored members are supported");

            std::uint64_t packSize = U32(in, 7);
            std::uint64_t unpackSize = U32(in, 11);
            std::size_t namePos = kFileHeadSize;
            if (flags & kLargeSizes) {
                if (headSize < kFileHeadSize + 8) return Fail(problem, "file header too short");
                packSize |= static_cast<std::uint64_t>(U32(in, namePos)) << 32;
                unpackSize |= static_cast<std::uint64_t>(U32(in, namePos + 4)) << 32;
                namePos += 8;
            }
            const std::size_t nameSize = U16(in, 26);
            if (namePos + nameSize > headSize) return Fail(problem, "name runs past the header");
            if (packSize != unpackSize) return Fail(problem, "PACK_SIZE differs from UNP_SIZE for a stored member");
            if (packSize > total - pos - headSize) return Fail(problem, "member data truncated");

            RarEntry member{
                in.substr(namePos, nameSize), packSize, pos + headSize, U32(in, 16), U32(in, 20), U32(in, 28)};
            if ((flags & kUnicodeName) && member.name.find('\0') != std::string::npos)
                return Fail(problem, "compressed Unicode names are not supported");
            std::uint32_t crc = 0;
            ForEachPiece(source, member.dataOffset, member.size,
                         [&](std::string_view piece) { crc = Crc32(piece, crc); });
            if (crc != member.crc) return Fail(problem, "FILE_CRC mismatch");
            members.push_back(std::move(member));
            addSize = packSize;
        }
        if (addSize > total - pos - headSize) return Fail(problem, "block data truncated");
        pos += headSize + addSize;
    }
    return Fail(problem, "no end-of-archive block");
}

ArchiveFormat FormatOf(std::string_view firstBytes) {
    if (firstBytes.substr(0, kRar5Marker.size()) == kRar5Marker) return ArchiveFormat::Rar5;
    if (firstBytes.substr(0, kRar4Marker.size()) == kRar4Marker) return ArchiveFormat::Rar4;
    return ArchiveFormat::Other;
}

ArchiveFormat FormatOf(ByteSource& archive) {
    const std::uint64_t size = archive.Size();
    return FormatOf(archive.Read(0, static_cast<std::size_t>(std::min<std::uint64_t>(size, kRar5Marker.size()))));
}

}  // namespace kestrane
