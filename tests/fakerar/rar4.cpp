#include "rar4.hpp"

#include <algorithm>
#include <array>
#include <limits>
#include <stdexcept>

namespace fakerar {
namespace {

constexpr std::array<std::uint8_t, 7> kMarker = {0x52, 0x61, 0x72, 0x21, 0x1a, 0x07, 0x00};

constexpr std::uint8_t kTypeMain = 0x73;
constexpr std::uint8_t kTypeFile = 0x74;
constexpr std::uint8_t kTypeEnd = 0x7b;

constexpr std::uint16_t kLongBlock = 0x8000;    // ADD_SIZE follows HEAD_SIZE
constexpr std::uint16_t kSkipIfUnknown = 0x4000;

constexpr std::uint16_t kMainVolume = 0x0001;
constexpr std::uint16_t kMainPassword = 0x0080;  // encrypted headers

constexpr std::uint16_t kFileSplit = 0x0003;     // continued from/in another volume
constexpr std::uint16_t kFilePassword = 0x0004;
constexpr std::uint16_t kFileDirectory = 0x00e0;
constexpr std::uint16_t kFileLarge = 0x0100;
constexpr std::uint16_t kFileUnicode = 0x0200;

constexpr std::size_t kBaseHeaderSize = 7;   // HEAD_CRC, HEAD_TYPE, HEAD_FLAGS, HEAD_SIZE
constexpr std::size_t kFileHeaderSize = 32;  // up to and including ATTR

const std::array<std::uint32_t, 256>& crc_table() {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    return table;
}

void put16(Bytes& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(Bytes& out, std::uint32_t v) {
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

std::uint16_t get16(const Bytes& in, std::size_t pos) {
    return static_cast<std::uint16_t>(in[pos] | (in[pos + 1] << 8));
}

std::uint32_t get32(const Bytes& in, std::size_t pos) {
    return get16(in, pos) | (static_cast<std::uint32_t>(get16(in, pos + 2)) << 16);
}

// One block header: HEAD_CRC, HEAD_TYPE, HEAD_FLAGS, HEAD_SIZE, then `body`.
void put_block(Bytes& out, std::uint8_t type, std::uint16_t flags, const Bytes& body) {
    const std::size_t size = kBaseHeaderSize + body.size();
    if (size > 0xffff) throw std::length_error("RAR block header too large");
    Bytes head;
    head.push_back(type);
    put16(head, flags);
    put16(head, static_cast<std::uint32_t>(size));
    head.insert(head.end(), body.begin(), body.end());
    put16(out, crc32(head.data(), head.size()) & 0xffff);
    out.insert(out.end(), head.begin(), head.end());
}

bool is_ascii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char ascii_lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::optional<std::vector<Member>> fail(std::string* error, const char* what) {
    if (error) *error = what;
    return std::nullopt;
}

}  // namespace

std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc) {
    const auto& table = crc_table();
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xff] ^ (crc >> 8);
    return ~crc;
}

std::uint32_t dos_time(const DateTime& t) {
    const int year = std::clamp(t.year, 1980, 2107);
    return static_cast<std::uint32_t>(year - 1980) << 25 | static_cast<std::uint32_t>(t.month) << 21 |
           static_cast<std::uint32_t>(t.day) << 16 | static_cast<std::uint32_t>(t.hour) << 11 |
           static_cast<std::uint32_t>(t.minute) << 5 | static_cast<std::uint32_t>(t.second / 2);
}

DateTime from_dos_time(std::uint32_t dos) {
    DateTime t;
    t.year = static_cast<int>(dos >> 25) + 1980;
    t.month = static_cast<int>((dos >> 21) & 0x0f);
    t.day = static_cast<int>((dos >> 16) & 0x1f);
    t.hour = static_cast<int>((dos >> 11) & 0x1f);
    t.minute = static_cast<int>((dos >> 5) & 0x3f);
    t.second = static_cast<int>(dos & 0x1f) * 2;
    return t;
}

Bytes write_archive(const std::vector<Member>& members) {
    Bytes out(kMarker.begin(), kMarker.end());
    put_block(out, kTypeMain, 0, Bytes(6, 0));  // RESERVED1 (2 bytes), RESERVED2 (4 bytes)

    for (const Member& m : members) {
        if (m.data.size() > std::numeric_limits<std::uint32_t>::max())
            throw std::length_error("member too large for a RAR header without LHD_LARGE: " + m.name);
        const auto size = static_cast<std::uint32_t>(m.data.size());
        // Non-ASCII names are stored as UTF-8 with LHD_UNICODE set and no
        // zero byte inside the name, which readers take as "name is UTF-8".
        const std::uint16_t flags = kLongBlock | (is_ascii(m.name) ? 0 : kFileUnicode);

        Bytes body;
        put32(body, size);  // PACK_SIZE (ADD_SIZE of this block)
        put32(body, size);  // UNP_SIZE
        body.push_back(kHostWindows);
        put32(body, crc32(m.data.data(), m.data.size()));
        put32(body, m.ftime);
        body.push_back(kUnpackVersion);
        body.push_back(kMethodStore);
        put16(body, static_cast<std::uint32_t>(m.name.size() & 0xffff));  // put_block rejects longer names
        put32(body, m.attributes);
        body.insert(body.end(), m.name.begin(), m.name.end());

        put_block(out, kTypeFile, flags, body);
        out.insert(out.end(), m.data.begin(), m.data.end());
    }

    put_block(out, kTypeEnd, kSkipIfUnknown, {});
    return out;
}

std::optional<std::vector<Member>> read_archive(const Bytes& in, std::string* error) {
    if (in.size() < kMarker.size() || !std::equal(kMarker.begin(), kMarker.end(), in.begin()))
        return fail(error, "no RAR 4.x marker block");

    std::vector<Member> members;
    std::size_t pos = kMarker.size();
    while (pos < in.size()) {
        if (in.size() - pos < kBaseHeaderSize) return fail(error, "truncated block header");
        const std::uint8_t type = in[pos + 2];
        const std::uint16_t flags = get16(in, pos + 3);
        const std::size_t head_size = get16(in, pos + 5);
        if (head_size < kBaseHeaderSize || in.size() - pos < head_size)
            return fail(error, "bad HEAD_SIZE");
        if ((crc32(&in[pos + 2], head_size - 2) & 0xffff) != get16(in, pos))
            return fail(error, "HEAD_CRC mismatch");

        std::size_t add_size = 0;
        if ((flags & kLongBlock) && head_size >= kBaseHeaderSize + 4) add_size = get32(in, pos + 7);

        if (type == kTypeEnd) break;
        if (type == kTypeMain && (flags & (kMainVolume | kMainPassword)))
            return fail(error, "multi-volume or encrypted archives are not supported");

        if (type == kTypeFile) {
            if (head_size < kFileHeaderSize) return fail(error, "file header too short");
            if (flags & (kFileSplit | kFilePassword)) return fail(error, "split or encrypted member");
            if ((flags & kFileDirectory) == kFileDirectory) return fail(error, "directory entries are not supported");
            if (in[pos + 25] != kMethodStore) return fail(error, "member is compressed, only stored members are supported");

            std::uint64_t pack_size = get32(in, pos + 7);
            std::uint64_t unp_size = get32(in, pos + 11);
            std::size_t name_pos = pos + kFileHeaderSize;
            if (flags & kFileLarge) {
                if (head_size < kFileHeaderSize + 8) return fail(error, "file header too short");
                pack_size |= static_cast<std::uint64_t>(get32(in, name_pos)) << 32;
                unp_size |= static_cast<std::uint64_t>(get32(in, name_pos + 4)) << 32;
                name_pos += 8;
            }
            const std::size_t name_size = get16(in, pos + 26);
            if (name_pos + name_size > pos + head_size) return fail(error, "name runs past the header");
            if (pack_size != unp_size) return fail(error, "PACK_SIZE differs from UNP_SIZE for a stored member");
            if (pack_size > in.size() - pos - head_size) return fail(error, "member data truncated");

            Member m;
            m.name.assign(reinterpret_cast<const char*>(&in[name_pos]), name_size);
            if ((flags & kFileUnicode) && m.name.find('\0') != std::string::npos)
                return fail(error, "compressed Unicode names are not supported");
            const auto data_begin = in.begin() + static_cast<std::ptrdiff_t>(pos + head_size);
            m.data.assign(data_begin, data_begin + static_cast<std::ptrdiff_t>(pack_size));
            if (crc32(m.data.data(), m.data.size()) != get32(in, pos + 16)) return fail(error, "FILE_CRC mismatch");
            m.ftime = get32(in, pos + 20);
            m.attributes = get32(in, pos + 28);
            members.push_back(std::move(m));
            add_size = static_cast<std::size_t>(pack_size);
        }

        if (add_size > in.size() - pos - head_size) return fail(error, "block data truncated");
        pos += head_size + add_size;
    }
    return members;
}

bool same_name(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return ascii_lower(x) == ascii_lower(y); });
}

void add_or_replace(std::vector<Member>& members, Member added) {
    const auto it = std::find_if(members.begin(), members.end(),
                                 [&](const Member& m) { return same_name(m.name, added.name); });
    if (it != members.end())
        *it = std::move(added);
    else
        members.push_back(std::move(added));
}

}  // namespace fakerar
