#include "rar5.hpp"

#include <chrono>
#include <cstdint>

namespace fakerar {
namespace {

using kestrane::Crc32;
using kestrane::RarMember;

constexpr std::string_view kSignature{"Rar!\x1A\x07\x01\x00", 8};

constexpr std::uint64_t kMainHeader = 1;
constexpr std::uint64_t kFileHeader = 2;
constexpr std::uint64_t kEndHeader = 5;

constexpr std::uint64_t kHasExtraArea = 0x0001;
constexpr std::uint64_t kHasDataArea = 0x0002;

constexpr std::uint64_t kFileHasTime = 0x0002;  // Unix time, 4 bytes
constexpr std::uint64_t kFileHasCrc = 0x0004;
constexpr std::uint64_t kHostWindows = 0;
// Compression information: version 0, not solid, method 0 (store), the
// smallest dictionary.
constexpr std::uint64_t kStored = 0;

void put_vint(std::string& out, std::uint64_t value) {
    do {
        const auto low = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
        out += static_cast<char>(value ? (low | 0x80) : low);
    } while (value);
}

void put32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// CRC32, then the header's size, then `body` (type, flags and the rest).
void put_header(std::string& out, const std::string& body) {
    std::string sized;
    put_vint(sized, body.size());
    sized += body;
    put32(out, Crc32(sized));
    out += sized;
}

std::uint32_t unix_time(std::uint32_t dos) {
    using namespace std::chrono;
    const kestrane::CalendarTime t = kestrane::FromDosDateTime(dos);
    const sys_days date{year{t.year} / month{static_cast<unsigned>(t.month)} / day{static_cast<unsigned>(t.day)}};
    const auto when = date + hours{t.hour} + minutes{t.minute} + seconds{t.second};
    return static_cast<std::uint32_t>(when.time_since_epoch().count());
}

std::uint32_t dos_time(std::uint32_t unix) {
    using namespace std::chrono;
    const sys_seconds when{seconds{unix}};
    const auto date = floor<days>(when);
    const year_month_day ymd{date};
    const hh_mm_ss hms{when - date};
    return kestrane::DosDateTime({static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
                                  static_cast<int>(static_cast<unsigned>(ymd.day())),
                                  static_cast<int>(hms.hours().count()), static_cast<int>(hms.minutes().count()),
                                  static_cast<int>(hms.seconds().count())});
}

class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) {}
    bool vint(std::uint64_t& value) {
        value = 0;
        for (int shift = 0; shift < 64 && pos_ < in_.size(); shift += 7) {
            const auto byte = static_cast<std::uint8_t>(in_[pos_++]);
            value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
            if (!(byte & 0x80)) return true;
        }
        return false;
    }
    bool u32(std::uint32_t& value) {
        if (in_.size() - pos_ < 4) return false;
        value = 0;
        for (int i = 0; i < 4; ++i)
            value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(in_[pos_ + i])) << (8 * i);
        pos_ += 4;
        return true;
    }
    bool bytes(std::size_t count, std::string& out) {
        if (in_.size() - pos_ < count) return false;
        out = std::string(in_.substr(pos_, count));
        pos_ += count;
        return true;
    }
    std::size_t pos() const { return pos_; }
    void seek(std::size_t pos) { pos_ = pos; }
    bool at_end() const { return pos_ >= in_.size(); }
    std::string_view between(std::size_t from, std::size_t to) const { return in_.substr(from, to - from); }

private:
    std::string_view in_;
    std::size_t pos_ = 0;
};

std::optional<std::vector<RarMember>> fail(std::string* error, const char* what) {
    if (error) *error = what;
    return std::nullopt;
}

}  // namespace

std::string write_rar5_archive(const std::vector<RarMember>& members) {
    std::string out(kSignature);
    std::string main;
    put_vint(main, kMainHeader);
    put_vint(main, 0);  // header flags
    put_vint(main, 0);  // archive flags: one volume, not solid
    put_header(out, main);

    for (const RarMember& m : members) {
        std::string file;
        put_vint(file, kFileHeader);
        put_vint(file, kHasDataArea);
        put_vint(file, m.data.size());  // data size: stored, so the file's own
        put_vint(file, kFileHasTime | kFileHasCrc);
        put_vint(file, m.data.size());  // unpacked size
        put_vint(file, m.attributes);
        put32(file, unix_time(m.dosTime));
        put32(file, Crc32(m.data));
        put_vint(file, kStored);
        put_vint(file, kHostWindows);
        put_vint(file, m.name.size());
        file += m.name;
        put_header(out, file);
        out += m.data;
    }

    std::string end;
    put_vint(end, kEndHeader);
    put_vint(end, 0);  // header flags
    put_vint(end, 0);  // end flags: the last volume
    put_header(out, end);
    return out;
}

std::optional<std::vector<RarMember>> read_rar5_archive(std::string_view archive, std::string* error) {
    if (archive.substr(0, kSignature.size()) != kSignature) return fail(error, "no RAR5 signature");
    Reader in(archive);
    in.seek(kSignature.size());
    std::vector<RarMember> members;
    while (!in.at_end()) {
        std::uint32_t crc = 0;
        std::uint64_t size = 0, type = 0, flags = 0, extra = 0, data = 0;
        if (!in.u32(crc)) return fail(error, "truncated header");
        const std::size_t sized = in.pos();
        if (!in.vint(size) || size > archive.size() - in.pos()) return fail(error, "bad header size");
        const std::size_t end = in.pos() + static_cast<std::size_t>(size);
        if (Crc32(in.between(sized, end)) != crc) return fail(error, "header CRC32 mismatch");
        if (!in.vint(type) || !in.vint(flags)) return fail(error, "truncated header");
        if ((flags & kHasExtraArea) && !in.vint(extra)) return fail(error, "truncated header");
        if ((flags & kHasDataArea) && !in.vint(data)) return fail(error, "truncated header");
        if (type == kEndHeader) return members;
        if (type == kFileHeader) {
            std::uint64_t fileFlags = 0, unpacked = 0, attributes = 0, compression = 0, host = 0, nameSize = 0;
            std::uint32_t mtime = 0, dataCrc = 0;
            if (!in.vint(fileFlags) || !in.vint(unpacked) || !in.vint(attributes))
                return fail(error, "truncated file header");
            if ((fileFlags & kFileHasTime) && !in.u32(mtime)) return fail(error, "truncated file header");
            if ((fileFlags & kFileHasCrc) && !in.u32(dataCrc)) return fail(error, "truncated file header");
            if (!in.vint(compression) || !in.vint(host) || !in.vint(nameSize))
                return fail(error, "truncated file header");
            if (compression != kStored || unpacked != data) return fail(error, "only stored members are supported");
            RarMember m;
            if (!in.bytes(static_cast<std::size_t>(nameSize), m.name)) return fail(error, "truncated name");
            in.seek(end);
            if (!in.bytes(static_cast<std::size_t>(data), m.data)) return fail(error, "member data truncated");
            if ((fileFlags & kFileHasCrc) && Crc32(m.data) != dataCrc) return fail(error, "data CRC32 mismatch");
            m.dosTime = dos_time(mtime);
            m.attributes = static_cast<std::uint32_t>(attributes);
            members.push_back(std::move(m));
            continue;
        }
        std::string skipped;
        in.seek(end);
        if (!in.bytes(static_cast<std::size_t>(data), skipped)) return fail(error, "block data truncated");
    }
    return fail(error, "no end of archive header");
}

}  // namespace fakerar
