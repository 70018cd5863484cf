// The RAR 4 archive: CRC-32 and MS-DOS time against their published values,
// the header fields against the format note and real RAR 3.x archives, the
// reader against damaged archives, and the format told from the first bytes.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "support/RarInMemory.h"

namespace kestrane {
namespace {

std::string AllByteValues() {
    std::string bytes(256, '\0');
    for (int i = 0; i < 256; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<char>(255 - i);
    return bytes;
}

std::uint32_t U16(const std::string& a, std::size_t p) {
    return static_cast<std::uint8_t>(a[p]) | static_cast<std::uint32_t>(static_cast<std::uint8_t>(a[p + 1])) << 8;
}
std::uint32_t U32(const std::string& a, std::size_t p) { return U16(a, p) | U16(a, p + 2) << 16; }

TEST(Crc32, MatchesKnownCheckValues) {
    EXPECT_EQ(Crc32(""), 0x00000000u);
    EXPECT_EQ(Crc32("123456789"), 0xcbf43926u);
    EXPECT_EQ(Crc32("56789", Crc32("1234")), 0xcbf43926u) << "fed in two pieces";
}

// Whichever library sums it (libdeflate folds 16 bytes at a time where the
// processor can), every length, start and split gives zlib's value.
TEST(Crc32, IsZlibsForEveryLengthStartAndSplit) {
    std::string bytes(300 + 16, '\0');
    std::uint32_t seed = 1;
    for (char& c : bytes) c = static_cast<char>((seed = seed * 1103515245 + 12345) >> 16);
    auto zlibs = [](std::string_view b) {
        return static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(b.data()), static_cast<uInt>(b.size())));
    };
    for (std::size_t start = 0; start < 16; ++start) {
        for (std::size_t size = 0; size <= 300; ++size) {
            const std::string_view piece = std::string_view(bytes).substr(start, size);
            ASSERT_EQ(Crc32(piece), zlibs(piece)) << start << " " << size;
            ASSERT_EQ(Crc32(piece.substr(size / 3), Crc32(piece.substr(0, size / 3))), zlibs(piece)) << size;
        }
    }
    const std::string large(3 << 20, '\xA5');
    EXPECT_EQ(Crc32(large), zlibs(large));
}

TEST(DosDateTime, EncodesFieldsIntoTheirBits) {
    const struct {
        CalendarTime time;
        std::uint32_t dos;
    } cases[] = {
        {{1980, 1, 1, 0, 0, 0}, 0x00210000u},      {{2024, 2, 29, 23, 59, 58}, 0x585dbf7du},
        {{2107, 12, 31, 23, 59, 58}, 0xff9fbf7du}, {{2021, 3, 14, 15, 9, 27}, 0x526e792du},  // odd seconds round down
        {{1970, 1, 1, 0, 0, 0}, 0x00210000u},  // before 1980: the first day MS-DOS knows
    };
    for (const auto& c : cases) EXPECT_EQ(DosDateTime(c.time), c.dos) << c.time.year << " " << c.time.second;
    const CalendarTime back = FromDosDateTime(0x585dbf7du);
    EXPECT_EQ((std::vector{back.year, back.month, back.day, back.hour, back.minute, back.second}),
              (std::vector{2024, 2, 29, 23, 59, 58}));
}

TEST(WriteRarArchive, FixedBlocksAreThoseOfARealRar3Archive) {
    // Marker block, archive header and end-of-archive block, byte for byte as
    // in libarchive's test_read_format_rar_unicode.rar, written by RAR 3.x
    // on Windows.
    const std::string expected(
        "Rar!\x1a\x07\x00"
        "\xcf\x90\x73\x00\x00\x0d\x00\x00\x00\x00\x00\x00\x00"
        "\xc4\x3d\x7b\x00\x40\x07\x00",
        27);
    EXPECT_EQ(WriteRarArchive({}), expected);
}

TEST(WriteRarArchive, FileHeaderFields) {
    const std::string a = WriteRarArchive({{"a.txt", "abc", 0x526e792du, 0x20}});
    const std::size_t h = 20;  // after marker and archive header
    ASSERT_EQ(a.size(), h + 37 + 3 + 7);
    EXPECT_EQ(a[h + 2], '\x74');             // HEAD_TYPE file
    EXPECT_EQ(U16(a, h + 3), 0x8000u);       // LONG_BLOCK only
    EXPECT_EQ(U16(a, h + 5), 37u);           // HEAD_SIZE: 32 + name
    EXPECT_EQ(U32(a, h + 7), 3u);            // PACK_SIZE
    EXPECT_EQ(U32(a, h + 11), 3u);           // UNP_SIZE
    EXPECT_EQ(a[h + 15], 2);                 // HOST_OS Windows
    EXPECT_EQ(U32(a, h + 16), 0x352441c2u);  // FILE_CRC = CRC-32("abc")
    EXPECT_EQ(U32(a, h + 20), 0x526e792du);  // FTIME
    EXPECT_EQ(a[h + 24], 20);                // UNP_VER of a stored file in RAR 3.x's archives
    EXPECT_EQ(a[h + 25], '\x30');            // METHOD store
    EXPECT_EQ(U16(a, h + 26), 5u);           // NAME_SIZE
    EXPECT_EQ(U32(a, h + 28), 0x20u);        // ATTR archive
    EXPECT_EQ(a.substr(h + 32, 5), "a.txt");
    EXPECT_EQ(a.substr(h + 37, 3), "abc");
    EXPECT_EQ(U16(a, h), Crc32(a.substr(h + 2, 35)) & 0xffff);  // HEAD_CRC
}

TEST(WriteRarArchive, NonAsciiNameIsUtf8WithUnicodeFlag) {
    const std::string a = WriteRarArchive({{"grüße.txt", "x"}});
    EXPECT_EQ(U16(a, 20 + 3), 0x8200u);
    EXPECT_EQ(a.substr(52, 11), "grüße.txt");
}

TEST(ReadRarArchive, RoundTripsWhatWasWritten) {
    const std::vector<std::vector<RarMember>> cases = {
        {},
        {{"java.jah", "MIDlet-Name: Spiel\r\n", 0x585dbf7du, 0x20}},
        {{"leer", {}}, {"bin.dat", AllByteValues(), 0x00210000u, 0x21}, {"grüße.txt", "ä"}},
    };
    for (const auto& members : cases) {
        std::string problem;
        const auto back = ReadRarArchive(WriteRarArchive(members), &problem);
        ASSERT_TRUE(back.has_value()) << problem;
        ASSERT_EQ(back->size(), members.size());
        for (std::size_t i = 0; i < members.size(); ++i) {
            EXPECT_EQ((*back)[i].name, members[i].name);
            EXPECT_EQ((*back)[i].data, members[i].data);
            EXPECT_EQ((*back)[i].dosTime, members[i].dosTime);
            EXPECT_EQ((*back)[i].attributes, members[i].attributes);
        }
    }
}

// A JAR of any size is packed without being held whole: its data is read
// in pieces far smaller than it, and the archive comes out as if written in
// one go, its check sum filled in afterwards.
TEST(RarWriter, CopiesAMemberInPiecesAndFillsInItsCheckSum) {
    class CountingSource final : public ByteSource {
    public:
        explicit CountingSource(std::string bytes) : bytes_(std::move(bytes)) {}
        std::uint64_t Size() override { return bytes_.size(); }
        std::string Read(std::uint64_t offset, std::size_t length) override {
            largest = std::max(largest, length);
            return bytes_.substr(static_cast<std::size_t>(offset), length);
        }
        std::size_t largest = 0;

    private:
        std::string bytes_;
    };
    class Sink final : public ByteSink {
    public:
        void Write(std::string_view bytes) override { archive += bytes; }
        void WriteAt(std::uint64_t offset, std::string_view bytes) override {
            ASSERT_LE(offset + bytes.size(), archive.size()) << "only over bytes written before";
            archive.replace(static_cast<std::size_t>(offset), bytes.size(), bytes);
        }
        std::string archive;
    };
    std::string jar(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < jar.size(); ++i) jar[i] = static_cast<char>((i * 7919) >> 5);
    CountingSource source(jar);
    Sink sink;
    RarWriter writer(sink);
    writer.Add("java.jah", source, 0x585dbf7du);
    writer.End();

    EXPECT_LT(source.largest, jar.size() / 8);
    ASSERT_EQ(writer.Written().size(), 1u);
    EXPECT_EQ(writer.Written()[0].crc, Crc32(jar));
    EXPECT_EQ(sink.archive, WriteRarArchive({{"java.jah", jar, 0x585dbf7du}}));
    const auto back = ReadRarArchive(sink.archive);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ((*back)[0].data, jar);
}

// Around a big member, the small writes reach the sink in two, none empty.
TEST(RarWriter, HandsSmallWritesOnInTwoCalls) {
    struct Sink final : ByteSink {
        void Write(std::string_view bytes) override {
            EXPECT_FALSE(bytes.empty()) << "a write of nothing";
            smallWrites += bytes.size() < 4096;
            archive += bytes;
        }
        void WriteAt(std::uint64_t at, std::string_view bytes) override { archive.replace(at, bytes.size(), bytes); }
        std::string archive;
        int smallWrites = 0;
    } sink;
    const std::vector<RarMember> members = {{"java.jah", std::string(3 << 20, 'j')}, {"java.utf", "MIDlet-1: S"}};
    RarWriter writer(sink);
    for (const RarMember& member : members) {
        MemorySource data(member.data);
        writer.Add(member.name, data, member.dosTime);
    }
    writer.End();
    EXPECT_LE(sink.smallWrites, 2);
    EXPECT_TRUE(ReadRarArchive(sink.archive) == members) << "not what was written";
}

TEST(ReadRarArchive, RejectsDamagedOrUnsupportedArchives) {
    const std::string good = WriteRarArchive({{"java.jah", "hello"}});
    const std::size_t fileHeader = 20;
    const std::size_t data = fileHeader + 32 + 8;
    const auto changed = [&](std::size_t pos, char value) {
        std::string b = good;
        b[pos] = value;
        return b;
    };
    // A compressed member, with its header checksum made valid again so that
    // the method is what the reader refuses.
    std::string compressed = changed(fileHeader + 25, '\x33');
    const std::uint32_t crc = Crc32(compressed.substr(fileHeader + 2, 40 - 2)) & 0xffff;
    compressed[fileHeader] = static_cast<char>(crc & 0xff);
    compressed[fileHeader + 1] = static_cast<char>(crc >> 8);

    const struct {
        const char* what;
        std::string archive;
        std::string_view problem;
    } cases[] = {
        {"empty file", {}, "marker"},
        {"RAR5 signature", std::string("Rar!\x1a\x07\x01\x00", 8), "marker"},
        {"header byte changed", changed(fileHeader + 33, 'X'), "HEAD_CRC"},
        {"data byte changed", changed(data, 'J'), "FILE_CRC"},
        {"cut inside the data", good.substr(0, data + 2), "truncated"},
        {"cut inside a header", good.substr(0, fileHeader + 4), "truncated"},
        {"cut before the end-of-archive block", good.substr(0, good.size() - 7), "end-of-archive"},
        {"compressed member", compressed, "stored"},
    };
    for (const auto& c : cases) {
        std::string problem;
        EXPECT_FALSE(ReadRarArchive(c.archive, &problem).has_value()) << c.what;
        EXPECT_NE(problem.find(c.problem), std::string::npos) << c.what << ": " << problem;
    }
}

TEST(FormatOf, TellsRar4FromRar5AndFromAnythingElse) {
    const struct {
        std::string bytes;
        ArchiveFormat format;
    } cases[] = {
        {std::string("Rar!\x1a\x07\x00", 7), ArchiveFormat::Rar4},
        {std::string("Rar!\x1a\x07\x01\x00", 8), ArchiveFormat::Rar5},
        {std::string("Rar!\x1a\x07\x01", 7), ArchiveFormat::Other},  // too short to tell
        {std::string("Rar!\x1a\x07\x02\x00", 8), ArchiveFormat::Other},
        {"PK\x03\x04", ArchiveFormat::Other},
        {"", ArchiveFormat::Other},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatOf(c.bytes), c.format) << testing::PrintToString(c.bytes);
}

}  // namespace
}  // namespace kestrane
