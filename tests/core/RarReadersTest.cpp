// Every package Kestrane's own packer writes, read by archivers that share no
// code with it: lsar/unar, bsdtar (libarchive), 7-Zip and RARLAB's unrar.
// Each must list exactly the members and give back every byte. A reader
// that is not installed, or cannot read RAR at all, is skipped with the
// reason.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "support/RarInMemory.h"
#include "support/UnixShell.h"

namespace kestrane {
namespace {

namespace fs = std::filesystem;

using Ran = testing::ShellRun;

Ran Shell(const std::vector<std::string>& argv) { return testing::RunShell(argv, {}, {"LC_ALL=C.UTF-8"}); }

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Random(std::size_t size, unsigned seed) {
    std::mt19937 gen(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(gen() & 0xFF);
    return bytes;
}

std::string AllByteValues() {
    std::string bytes(256, '\0');
    for (int i = 0; i < 256; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<char>(i);
    return bytes;
}

// One archiver: how to test an archive and how to unpack it into a folder.
struct Reader {
    const char* name;
    std::string program;  // empty: not installed
    std::vector<std::string> (*test)(const std::string& program, const std::string& archive);
    std::vector<std::string> (*extract)(const std::string& program, const std::string& archive,
                                        const std::string& into);
    // Why the reader cannot serve here, or empty.
    std::string (*unusable)(const std::string& program);
};

void PrintTo(const Reader& reader, std::ostream* out) { *out << reader.name; }

std::string Usable(const std::string&) { return {}; }

// Debian's 7-Zip leaves the RAR format out for its licence.
std::string SevenZipWithoutRar(const std::string& program) {
    const Ran formats = Shell({program, "i"});
    return formats.output.find(" Rar ") == std::string::npos
               ? program + " here has no RAR format (Debian's 7zip package leaves it out)"
               : std::string();
}

const Reader kReaders[] = {
    {"lsar/unar", KESTRANE_UNAR,
     [](const std::string&, const std::string& a) {
         return std::vector<std::string>{KESTRANE_LSAR, "-t", a};
     },
     [](const std::string& p, const std::string& a, const std::string& o) {
         return std::vector<std::string>{p, "-q", "-D", "-o", o, a};
     },
     Usable},
    {"bsdtar", KESTRANE_BSDTAR,
     [](const std::string& p, const std::string& a) {
         return std::vector<std::string>{p, "-tf", a};
     },
     [](const std::string& p, const std::string& a, const std::string& o) {
         return std::vector<std::string>{p, "-xf", a, "-C", o};
     },
     Usable},
    {"7-Zip", KESTRANE_7ZIP,
     // -bb1: name each member as it is tested.
     [](const std::string& p, const std::string& a) {
         return std::vector<std::string>{p, "t", "-bb1", a};
     },
     [](const std::string& p, const std::string& a, const std::string& o) {
         return std::vector<std::string>{p, "x", "-o" + o, a};
     },
     SevenZipWithoutRar},
    {"unrar", KESTRANE_UNRAR,
     [](const std::string& p, const std::string& a) {
         return std::vector<std::string>{p, "t", a};
     },
     [](const std::string& p, const std::string& a, const std::string& o) {
         return std::vector<std::string>{p, "x", "-inul", a, o + "/"};
     },
     Usable},
};

using Contents = std::map<std::string, std::string>;

// Every member name the program writes, with the sizes and bytes that go wrong first.
const std::vector<std::pair<const char*, std::vector<RarMember>>> kPackages = {
    {"the four members",
     {{"java.jah", Random(64 * 1024, 1), 0x30EF5A00, kArchiveAttribute},
      {"java.utf", "MIDlet-Name: Spiel\r\nMIDlet-Jar-Size: 65536\r\n", 0x30EF5A00, kArchiveAttribute},
      {"stjava.ini", "suite=Spiel\r\nnum=1\r\ndomain=midp1\r\nmidlet=Spiel\r\nicon=/i.png\r\nclass=Main", 0x3124A3C5,
       kArchiveAttribute},
      {"java.obj", "O", 0x30EF5A00, kArchiveAttribute}}},
    {"empty and one byte",
     {{"java.jah", "", kDosEpoch, kArchiveAttribute}, {"java.utf", "x", kDosEpoch, kArchiveAttribute}}},
    {"5 MiB and all byte values",
     {{"java.jah", Random(5 * 1024 * 1024, 2), 0x585dbf7d, kArchiveAttribute},
      {"java.utf", AllByteValues(), 0x585dbf7d, kArchiveAttribute},
      {"stjava.ini", "suite=Gro\xDF", 0x585dbf7d, kArchiveAttribute}}},
};

Contents Unpacked(const fs::path& folder) {
    Contents found;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (!entry.is_directory()) found[fs::relative(entry.path(), folder).string()] = Slurp(entry.path());
    return found;
}

class IndependentReader : public ::testing::TestWithParam<Reader> {};

TEST_P(IndependentReader, TakesEveryPackageWholeAndByteForByte) {
    const Reader& reader = GetParam();
    if (reader.program.empty()) GTEST_SKIP() << reader.name << " is not installed here";
    if (const std::string why = reader.unusable(reader.program); !why.empty()) GTEST_SKIP() << why;

    const fs::path root = fs::temp_directory_path() / ("kestrane-readers-" + std::to_string(getpid()));
    fs::remove_all(root);
    int n = 0;
    for (const auto& [label, members] : kPackages) {
        SCOPED_TRACE(label);
        const fs::path folder = root / std::to_string(++n);
        fs::create_directories(folder / "out");
        const std::string archive = (folder / "Spiel.stj").string();
        const std::string bytes = WriteRarArchive(members);
        std::ofstream(archive, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));

        const Ran test = Shell(reader.test(reader.program, archive));
        EXPECT_EQ(test.exitCode, 0) << test.output;
        Contents expected;
        for (const RarMember& member : members) {
            expected[member.name] = member.data;
            EXPECT_NE(test.output.find(member.name), std::string::npos) << member.name << " not listed:\n"
                                                                        << test.output;
        }
        const Ran extract = Shell(reader.extract(reader.program, archive, (folder / "out").string()));
        EXPECT_EQ(extract.exitCode, 0) << extract.output;
        const Contents found = Unpacked(folder / "out");
        EXPECT_EQ(found.size(), expected.size());
        for (const auto& [name, data] : expected) {
            const auto it = found.find(name);
            ASSERT_NE(it, found.end()) << name << " not unpacked";
            EXPECT_TRUE(it->second == data)
                << name << " differs (" << it->second.size() << " bytes, " << data.size() << " written)";
        }
    }
    if (!HasFailure()) fs::remove_all(root);
}

INSTANTIATE_TEST_SUITE_P(RarArchive, IndependentReader, ::testing::ValuesIn(kReaders),
                         [](const ::testing::TestParamInfo<Reader>& reader) {
                             std::string name;
                             for (const char c : std::string(reader.param.name))
                                 if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                             return name;
                         });

}  // namespace
}  // namespace kestrane
