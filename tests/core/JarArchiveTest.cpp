// Reading JARs as they come: made by Python's zipfile and Info-ZIP (the
// committed corpus, with Python's own reading of it as the truth), by the
// tests' writer, and broken the ways downloads and tools break them.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "descriptor/JarArchive.h"
#include "support/ZipWriter.h"

namespace kestrane {
namespace {

using testing::ZipEntry;
using testing::ZipWriter;

std::string ReadFileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    if (!file) throw std::runtime_error("cannot read " + path);
    return bytes.str();
}

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

JarReading Read(const std::string& bytes) {
    MemorySource source(bytes);
    return ReadJar(source);
}

TEST(JarCorpus, ReadsWhatPythonsZipfileReads) {
    const std::string folder = KESTRANE_FUZZ_DIR;
    std::istringstream facts(ReadFileBytes(folder + "/jar-corpus-facts.txt"));
    std::string line, file;
    JarContents expected;
    bool broken = false;
    int archives = 0;
    while (std::getline(facts, line)) {
        if (line.rfind("file ", 0) == 0) {
            file = line.substr(5), expected = {}, broken = false;
        } else if (line.rfind("entry ", 0) == 0) {
            expected.entries.push_back(line.substr(6));
        } else if (line.rfind("manifest ", 0) == 0) {
            expected.manifest = FromHex(line.substr(9));
        } else if (line == "broken") {
            broken = true;
        } else if (line == "end") {
            SCOPED_TRACE(file);
            ++archives;
            const JarReading read = Read(ReadFileBytes(folder + "/jar-corpus/" + file));
            if (broken) {
                EXPECT_FALSE(read.contents);
                EXPECT_NE(read.problem, JarFault::None);
            } else {
                ASSERT_TRUE(read.contents) << static_cast<int>(read.problem);
                EXPECT_EQ(read.contents->entries, expected.entries);
                EXPECT_EQ(read.contents->manifest, expected.manifest);
                EXPECT_EQ(read.problem, JarFault::None);
            }
        }
    }
    EXPECT_GE(archives, 10);
}

struct GoodCase {
    const char* what;
    std::string jar;
    std::vector<std::string> entries;
    std::optional<std::string> manifest;
    friend void PrintTo(const GoodCase& c, std::ostream* out) { *out << c.what; }
};

const std::string kManifest = "Manifest-Version: 1.0\r\nMIDlet-1: Snake, /s.png, a.b.Snake\r\n\r\n";
const auto kManifestSize = static_cast<std::uint32_t>(kManifest.size());

// A JAR of one entry, the manifest unless `change` renames it.
template <class Change>
std::string JarWith(Change change) {
    ZipEntry entry;
    entry.name = "META-INF/MANIFEST.MF";
    entry.data = kManifest;
    change(entry);
    return ZipWriter().Add(entry).Bytes();
}

std::vector<GoodCase> GoodCases() {
    ZipWriter withComment;
    withComment.Deflated("META-INF/MANIFEST.MF", kManifest);
    withComment.comment = std::string("PK\x05\x06", 4) + std::string(30, 'x');
    // A long comment whose last bytes hold a record that fits: the end record
    // that ends with the file lies beyond them.
    ZipWriter withLongComment;
    withLongComment.Deflated("META-INF/MANIFEST.MF", kManifest);
    withLongComment.comment = std::string(600, 'x') + std::string("PK\x05\x06", 4) + std::string(18, '\0') + "tail";
    // Stored, deflated, data descriptors, lower case names, no manifest and
    // an empty archive come from Python and Info-ZIP in JarCorpus above.
    return {
        {"the first of two names in different case",
         ZipWriter().Stored("Meta-Inf/Manifest.MF", "first").Stored("META-INF/MANIFEST.MF", "second").Bytes(),
         {"Meta-Inf/Manifest.MF", "META-INF/MANIFEST.MF"},
         "first"},
        {"a look-alike is no manifest",
         ZipWriter().Deflated("META-INF/MANIFEST.MF.bak", "x").Deflated("MANIFEST.MF", "y").Bytes(),
         {"META-INF/MANIFEST.MF.bak", "MANIFEST.MF"},
         std::nullopt},
        {"a comment holding an end signature", withComment.Bytes(), {"META-INF/MANIFEST.MF"}, kManifest},
        {"a long comment holding an end record", withLongComment.Bytes(), {"META-INF/MANIFEST.MF"}, kManifest},
        {"empty manifest, deflated",
         ZipWriter().Deflated("META-INF/MANIFEST.MF", "").Bytes(),
         {"META-INF/MANIFEST.MF"},
         ""},
        {"UTF-8 entry name",
         ZipWriter()
             .Stored("bilder/gr\xC3\xBC"
                     "n.png",
                     "x")
             .Bytes(),
         {"bilder/gr\xC3\xBC"
          "n.png"},
         std::nullopt},
        {"an encrypted entry that is not the manifest",
         JarWith([](ZipEntry& e) {
             e.name = "secret.bin";
             e.method = 0;
             e.encrypted = true;
         }),
         {"secret.bin"},
         std::nullopt},
    };
}

class JarGood : public ::testing::TestWithParam<GoodCase> {};

TEST_P(JarGood, ListsEntriesAndReadsTheManifest) {
    const GoodCase& c = GetParam();
    const JarReading read = Read(c.jar);
    ASSERT_TRUE(read.contents) << static_cast<int>(read.problem);
    EXPECT_EQ(read.contents->entries, c.entries);
    EXPECT_EQ(read.contents->manifest, c.manifest);
}

INSTANTIATE_TEST_SUITE_P(Jars, JarGood, ::testing::ValuesIn(GoodCases()));

TEST(JarArchive, ManifestUpToOneMebibyte) {
    const std::string big(kMaxManifestSize, 'x');
    const JarReading read = Read(ZipWriter().Deflated("META-INF/MANIFEST.MF", big).Bytes());
    ASSERT_TRUE(read.contents) << static_cast<int>(read.problem);
    EXPECT_EQ(read.contents->manifest, big);
    EXPECT_EQ(Read(ZipWriter().Deflated("META-INF/MANIFEST.MF", big + "x").Bytes()).problem,
              JarFault::ManifestTooLarge);
}

struct BadCase {
    const char* what;
    std::string jar;
    JarFault problem;
    std::uint16_t method = 0;
    friend void PrintTo(const BadCase& c, std::ostream* out) { *out << c.what; }
};

void Patch32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

std::string Patched(std::string bytes, std::size_t at, std::uint32_t value) {
    Patch32(bytes, at, value);
    return bytes;
}

std::vector<BadCase> BadCases() {
    const std::string jar = ZipWriter().Deflated("META-INF/MANIFEST.MF", kManifest).Deflated("a/B.class", "x").Bytes();
    const std::size_t end = jar.size() - 22;                        // the end record
    const std::size_t central = jar.size() - 22 - 2 * 46 - 20 - 9;  // the first central header
    const JarFault damaged = JarFault::Damaged, notZip = JarFault::NotZip, manifestDamaged = JarFault::ManifestDamaged;
    return {
        {"empty file", "", notZip},
        {"shorter than an end record", std::string(21, '\0'), notZip},
        {"a text file", kManifest + kManifest, notZip},
        {"first entry only, end cut off", jar.substr(0, 70), damaged},
        {"size larger than the data", JarWith([](ZipEntry& e) { e.declaredSize = kManifestSize + 1; }),
         manifestDamaged},
        {"size smaller than the data", JarWith([](ZipEntry& e) { e.declaredSize = kManifestSize - 1; }),
         manifestDamaged},
        {"stored, sizes differ", JarWith([](ZipEntry& e) {
             e.method = 0;
             e.declaredSize = kManifestSize - 1;
         }),
         manifestDamaged},
        {"wrong CRC", JarWith([](ZipEntry& e) { e.declaredCrc = 0xDEADBEEF; }), manifestDamaged},
        {"compressed size too small", JarWith([](ZipEntry& e) { e.declaredCompressedSize = 5; }), manifestDamaged},
        {"compressed size past the directory", JarWith([](ZipEntry& e) { e.declaredCompressedSize = 100000; }),
         damaged},
        {"size of 4 GiB", JarWith([](ZipEntry& e) { e.declaredSize = 0xFFFFFFF0; }), JarFault::ManifestTooLarge},
        {"bzip2 method", JarWith([](ZipEntry& e) { e.method = 12; }), JarFault::ManifestMethod, 12},
        {"encrypted", JarWith([](ZipEntry& e) { e.encrypted = true; }), JarFault::ManifestEncrypted},
        {"ZIP64",
         [] {
             ZipWriter z;
             z.Deflated("META-INF/MANIFEST.MF", kManifest);
             z.zip64End = true;
             return z.Bytes();
         }(),
         JarFault::Zip64},
        {"second disk", Patched(jar, end + 4, 1), JarFault::MultiPart},
        {"directory offset past the end", Patched(jar, end + 16, 0x7FFFFFFF), damaged},
        {"directory size past the end", Patched(jar, end + 12, 0x100000), damaged},
        {"directory of 32 MiB", Patched(jar, end + 12, 32u << 20), JarFault::DirectoryTooLarge},
        {"more entries than the directory holds", Patched(jar, end + 8, 3 | 3u << 16), damaged},
        {"central header signature", Patched(jar, central, 0x12345678), damaged},
        {"local header signature", Patched(jar, 0, 0x12345678), damaged},
        {"local header name length", Patched(jar, 26, 19), damaged},
        {"local offset past the directory", Patched(jar, central + 42, static_cast<std::uint32_t>(central)), damaged},
    };
}

class JarBad : public ::testing::TestWithParam<BadCase> {};

TEST_P(JarBad, IsRefusedWithTheReason) {
    const JarReading read = Read(GetParam().jar);
    EXPECT_FALSE(read.contents);
    EXPECT_EQ(read.problem, GetParam().problem);
    EXPECT_EQ(read.method, GetParam().method);
}

INSTANTIATE_TEST_SUITE_P(Jars, JarBad, ::testing::ValuesIn(BadCases()));

TEST(JarArchive, EveryTruncationIsRefused) {
    const std::string jar = ZipWriter().Stored("META-INF/", "").Deflated("META-INF/MANIFEST.MF", kManifest).Bytes();
    for (std::size_t length = 0; length < jar.size(); ++length) {
        const JarReading read = Read(jar.substr(0, length));  // a read past the end would throw
        EXPECT_FALSE(read.contents) << length;
        EXPECT_EQ(read.problem, length < 4 ? JarFault::NotZip : JarFault::Damaged) << length;
    }
}

TEST(JarArchive, AnyChangedByteIsReadOrRefused) {
    const std::string jar = ZipWriter().Deflated("META-INF/MANIFEST.MF", kManifest).Stored("a/B.class", "xyz").Bytes();
    for (std::size_t at = 0; at < jar.size(); ++at) {
        for (const char value : {'\0', '\xFF', static_cast<char>(jar[at] ^ 0x01)}) {
            std::string changed = jar;
            changed[at] = value;
            const JarReading read = Read(changed);
            EXPECT_NE(read.contents.has_value(), read.problem != JarFault::None) << at;
            // A manifest that comes out is the one that went in: the CRC guards it.
            if (read.contents && read.contents->manifest) {
                EXPECT_EQ(read.contents->manifest, kManifest) << at;
            }
        }
    }
}

// Counts what is read; throws like a file would for bytes outside it, and
// once where told to, as a share that drops out.
class CountingSource : public ByteSource {
public:
    explicit CountingSource(const std::string& bytes) : bytes_(bytes) {}
    std::uint64_t Size() override { return bytes_.size(); }
    std::string Read(std::uint64_t offset, std::size_t length) override {
        read += length;
        ++calls;
        if (std::exchange(failNext, false)) throw std::runtime_error("Lesefehler");
        return MemorySource(bytes_).Read(offset, length);
    }
    std::size_t read = 0;
    std::size_t calls = 0;
    bool failNext = false;

private:
    const std::string& bytes_;
};

TEST(JarArchive, ReadsTheDirectoryAndTheManifestOnly) {
    std::string noise(4 << 20, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>(i * 2654435761u >> 13);
    const std::string jar =
        ZipWriter().Stored("res/level.bin", noise).Deflated("META-INF/MANIFEST.MF", kManifest).Bytes();
    CountingSource source(jar);
    const JarReading read = ReadJar(source);
    ASSERT_TRUE(read.contents) << static_cast<int>(read.problem);
    EXPECT_EQ(read.contents->manifest, kManifest);
    EXPECT_LT(source.read, 70'000u);  // the last 64 KiB, the directory, the manifest
}

// Whatever is asked, the bytes are the file's; small reads close together
// cost one read of the file between them.
TEST(ReadAheadSource, GivesTheFilesBytesWithFewerReads) {
    std::string bytes(300'000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 2654435761u >> 11);
    CountingSource file(bytes);
    ReadAheadSource ahead(file, 8192);
    const std::pair<std::uint64_t, std::size_t> reads[] = {
        {0, 7},      {7, 13},       {20, 40},     {8185, 7},    {8190, 4},  // inside, at and across a piece's end
        {100, 9000}, {299'990, 10}, {299'999, 1}, {300'000, 0}, {5, 0},
    };
    for (const auto& [offset, length] : reads)
        EXPECT_EQ(ahead.Read(offset, length), bytes.substr(offset, length)) << offset << "+" << length;
    EXPECT_LE(file.calls, 6u);
    EXPECT_THROW(ahead.Read(299'995, 10), std::out_of_range);
}

// A file that fails one read (a network share that drops out) and then reads
// again: what the failed read was to bring is never served from before it.
TEST(ReadAheadSource, AfterAFailedReadReadsTheFileAgain) {
    std::string bytes(20'000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 256);
    CountingSource file(bytes);
    ReadAheadSource ahead(file, 4096);
    EXPECT_EQ(ahead.Read(0, 10), bytes.substr(0, 10));
    file.failNext = true;
    EXPECT_THROW(ahead.Read(8192, 10), std::runtime_error);
    for (const std::uint64_t offset : {8192u, 0u, 8195u})
        EXPECT_EQ(ahead.Read(offset, 10), bytes.substr(offset, 10)) << offset;
}

TEST(JarArchive, FailuresOfTheSourcePassThrough) {
    class FailingSource : public ByteSource {
    public:
        std::uint64_t Size() override { return 1000; }
        std::string Read(std::uint64_t, std::size_t) override { throw std::runtime_error("Lesefehler"); }
    } source;
    EXPECT_THROW(ReadJar(source), std::runtime_error);
}

}  // namespace
}  // namespace kestrane
