// The command-line tool's port against a real temporary folder, and the
// core's code-page tables against glibc's iconv, which shares nothing with them.
#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "cli/PosixSystem.h"
#include "descriptor/TextEncoding.h"
#include "package/AppError.h"
#include "package/RarArchive.h"
#include "support/ZipWriter.h"

namespace kestrane {
namespace {

namespace fs = std::filesystem;

// What iconv makes of one character, or nothing when the code page lacks it.
std::optional<std::string> Iconv(const char* codePage, const std::string& utf8) {
    iconv_t converter = iconv_open(codePage, "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string in = utf8, out(8, '\0');
    char* from = in.data();
    char* to = out.data();
    std::size_t left = in.size(), room = out.size();
    const std::size_t done = iconv(converter, &from, &left, &to, &room);
    iconv_close(converter);
    if (done == static_cast<std::size_t>(-1)) return std::nullopt;
    out.resize(out.size() - room);
    return out;
}

TEST(CodePages, EveryCharacterOfTheBasicPlaneAsIconvHasItAndAWholeTextOrNothing) {
    for (const char* codePage : {"CP1252", "CP437"}) {
        if (!Iconv(codePage, "A")) GTEST_SKIP() << "iconv has no " << codePage;
        const bool cp437 = std::string_view(codePage) == "CP437";
        int differences = 0;
        for (char32_t code = 1; code < 0x10000; ++code) {
            // The five bytes Windows-1252 leaves free: Windows keeps them as
            // the control characters of the same number, iconv refuses them.
            const bool free1252 = code == 0x81 || code == 0x8D || code == 0x8F || code == 0x90 || code == 0x9D;
            if ((code >= 0xD800 && code <= 0xDFFF) || (!cp437 && free1252)) continue;
            std::string utf8;
            AppendUtf8(utf8, code);
            const auto ours = cp437 ? Utf8ToCp437(utf8) : Utf8ToWindows1252(utf8);
            if (ours != Iconv(codePage, utf8) && ++differences < 5)
                ADD_FAILURE() << codePage << " U+" << std::hex << static_cast<unsigned>(code);
        }
        EXPECT_EQ(differences, 0) << codePage;
    }
    EXPECT_EQ(Utf8ToCp437("Gr\u00f6\u00dfe"), std::optional<std::string>("Gr\x94\xE1"
                                                                         "e"));
    EXPECT_EQ(Utf8ToWindows1252("Suite \u6f22"), std::nullopt);
    EXPECT_EQ(Utf8ToCp437("5 \u20ac"), std::nullopt);
    EXPECT_EQ(Utf8ToWindows1252("\xC3"), std::nullopt);  // cut in the middle of a character
    // No UTF-8 by RFC 3629: 'A' and '\u00fc' in overlong forms, which a lenient
    // decoder would make characters of both pages, a lone continuation byte,
    // a lead byte before ASCII, and a surrogate.
    for (const char* bad : {"\xC1\x81", "\xE0\x83\xBC", "\xBC", "\xC3\x41", "\xED\xA0\x80"}) {
        EXPECT_EQ(Utf8ToWindows1252(bad), std::nullopt) << bad;
        EXPECT_EQ(Utf8ToCp437(bad), std::nullopt) << bad;
    }
}

TEST(PosixSystemTest, SourceDateEpochIsUtcInDosFormForLocalNowAndTheLastWriteIsLocalTime) {
    // 2005-03-04 05:06:08 UTC, by date(1): date -u -d @1109912768
    const auto dosOfEpoch = [](const char* epoch) { return DosDateTime(FixedNow(epoch).value()); };
    EXPECT_EQ(dosOfEpoch("1109912768"), DosDateTime({2005, 3, 4, 5, 6, 8}));
    EXPECT_EQ(dosOfEpoch("4102444799"), DosDateTime({2099, 12, 31, 23, 59, 58}));  // 23:59:59, in steps of 2 s
    EXPECT_EQ(dosOfEpoch("0"), kDosEpoch);                                         // 1970: before MS-DOS's first day
    for (const char* bad : {"", "12abc", "-5", " 1"}) EXPECT_EQ(FixedNow(bad), std::nullopt) << bad;
    EXPECT_EQ(DosDateTime(PosixSystem(FixedNow("1109912768")).LocalNow()), DosDateTime({2005, 3, 4, 5, 6, 8}));

    const fs::path file = fs::temp_directory_path() / ("kestrane-port-time-" + std::to_string(getpid()) + ".jar");
    testing::WriteFile(file, "x");
    fs::last_write_time(file, std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(1109912768)));
    const char* oldZone = std::getenv("TZ");
    const std::string saved = oldZone ? oldZone : "";
    setenv("TZ", "UTC-2", 1);  // two hours east of UTC, no summer time
    tzset();
    const std::uint32_t dos = DosDateTime(PosixSystem().OpenForReading(file.string())->LastWrite());
    oldZone ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
    tzset();
    fs::remove(file);
    EXPECT_EQ(dos, DosDateTime({2005, 3, 4, 7, 6, 8}));
}

class PosixSystemFiles : public ::testing::Test {
protected:
    fs::path root = fs::temp_directory_path() / ("kestrane-port-test-" + std::to_string(getpid()));
    PosixSystem system;

    void SetUp() override {
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }
    std::string At(const std::string& name) const { return (root / name).string(); }
    std::string ReadBack(const std::string& path) {
        const std::unique_ptr<FileToRead> file = system.OpenForReading(path);
        return file->Read(0, static_cast<std::size_t>(file->Size()));
    }
};

TEST_F(PosixSystemFiles, LinksAreNeitherWalkedNorFollowedWhenRemoving) {
    fs::create_directories(root / "outside");
    testing::WriteFile(At("outside/keep.jar"), "keep");
    fs::create_directories(root / "tree/sub");
    testing::WriteFile(At("tree/sub/a\nb\\c.jar"), "x");
    fs::create_directory_symlink(root / "outside", root / "tree/link");
    fs::create_symlink("loop.jar", root / "tree/loop.jar");

    std::vector<FolderEntry> entries = system.ListFolder(At("tree/"));
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "link");
    EXPECT_TRUE(entries[0].isFolder && entries[0].isLink);
    EXPECT_EQ(entries[1].name, "loop.jar");
    EXPECT_FALSE(entries[1].isFolder);
    EXPECT_EQ(entries[2].name, "sub");
    EXPECT_EQ(system.ListFolder(At("tree/sub/")).at(0).name, "a\nb\\c.jar");  // a backslash is part of a name
    EXPECT_THROW(system.OpenForReading(At("tree/loop.jar")), AppError);

    system.RemoveTree(At("tree/"));
    EXPECT_FALSE(fs::exists(root / "tree"));
    EXPECT_TRUE(fs::exists(root / "outside/keep.jar"));
}

TEST_F(PosixSystemFiles, IdentityByDeviceAndInode) {
    testing::WriteFile(At("a.jar"), "a");
    testing::WriteFile(At("b.jar"), "a");
    fs::create_hard_link(root / "a.jar", root / "hard.jar");
    EXPECT_TRUE(system.SameFile(At("a.jar"), At("hard.jar")));
    EXPECT_FALSE(system.SameFile(At("a.jar"), At("b.jar")));
    EXPECT_TRUE(system.SameFile(At("new.stj"), At("./new.stj")));  // neither exists yet
    // An opened file tells the same.
    const auto identity = [&](const char* name) { return system.OpenForReading(At(name))->Identity(); };
    ASSERT_TRUE(identity("a.jar").has_value());
    EXPECT_EQ(identity("a.jar"), identity("hard.jar"));
    EXPECT_NE(identity("a.jar"), identity("b.jar"));
}

// A package is written front to back, its headers filled in afterwards; one
// left unfinished (a JAR that could not be read midway) leaves nothing.
TEST_F(PosixSystemFiles, ANewFileIsFilledInAfterwardsAndGoesWhenLeftUnfinished) {
    std::string written;
    {
        const std::unique_ptr<NewFile> file = system.CreateNewFile(At("game.stj"));
        file->Write("abcdef");
        file->WriteAt(1, "XY");
        file->Write("gh");
        file->Finish();
        written = file->Path();
    }
    EXPECT_EQ(fs::path(written).parent_path(), root);
    EXPECT_EQ(ReadBack(written), "aXYdefgh");
    std::string unfinished;
    {
        const std::unique_ptr<NewFile> file = system.CreateNewFile(At("game.stj"));
        file->Write("half");
        unfinished = file->Path();
        EXPECT_NE(unfinished, written);
    }
    EXPECT_FALSE(fs::exists(unfinished));
    EXPECT_EQ(std::distance(fs::directory_iterator(root), fs::directory_iterator()), 1);
}

// A JAR's piece between two headers, each filled in afterwards: the one
// after the piece first, then the one before it.
TEST_F(PosixSystemFiles, ANewFileTakesHeadersFilledInOnEitherSideOfABigPiece) {
    const std::string piece(1 << 20, 'j');
    const std::unique_ptr<NewFile> file = system.CreateNewFile(At("game.stj"));
    for (const std::string_view bytes : {std::string_view("head"), std::string_view(piece), std::string_view("tail")})
        file->Write(bytes);
    file->WriteAt(4 + piece.size(), "TAIL");
    file->WriteAt(0, "HEAD");
    file->Finish();
    EXPECT_TRUE(ReadBack(file->Path()) == "HEAD" + piece + "TAIL") << "not what was written";
}

TEST_F(PosixSystemFiles, AWholeFileReplacesALongerOneAndAShortenedFileFailsItsRead) {
    testing::WriteFile(At("game.jad"), "MIDlet-Name: Ein langer Name\r\n");
    system.WriteWholeFile(At("game.jad"), "kurz");
    system.AppendToFile(At("game.jad"), "+1");
    const std::unique_ptr<FileToRead> opened = system.OpenForReading(At("game.jad"));
    EXPECT_EQ(opened->Read(0, 6), "kurz+1");
    fs::resize_file(root / "game.jad", 2);
    EXPECT_THROW(opened->Read(0, 6), AppError);
}

// Deleting takes a link away and leaves what it leads to; a folder, or a
// name that is not there, is refused and named.
TEST_F(PosixSystemFiles, DeletingRemovesALinkNotItsFileAndRefusesAFolder) {
    testing::WriteFile(At("game.jar"), "keep");
    fs::create_symlink(root / "game.jar", root / "link.jar");
    fs::create_directory(root / "dir.jar");
    system.Delete(At("link.jar"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(root / "link.jar")));
    EXPECT_EQ(ReadBack(At("game.jar")), "keep");
    for (const char* name : {"dir.jar", "none.jar"}) {
        try {
            system.Delete(At(name));
            ADD_FAILURE() << name << ": deleted";
        } catch (const AppError& error) {
            EXPECT_EQ(error.Context(), "Die Datei \u201E" + At(name) + "\u201C konnte nicht gel\u00f6scht werden.");
        }
    }
    EXPECT_TRUE(fs::is_directory(root / "dir.jar"));
}

// What is no file is refused on opening, before a byte is read, with what it is.
TEST_F(PosixSystemFiles, WhatIsNoFileIsRefusedOnOpeningWithWhatItIs) {
    ASSERT_EQ(mkfifo(At("pipe.jar").c_str(), 0644), 0);
    const std::pair<std::string, std::string> cases[] = {
        {At("pipe.jar"), "benannte Pipe"},
        {"/dev/null", "Ger\u00e4t"},
    };
    for (const auto& [path, what] : cases) {
        try {
            system.OpenForReading(path);
            ADD_FAILURE() << path << ": opened";
        } catch (const AppError& error) {
            EXPECT_NE(error.Report().find(what), std::string::npos) << error.Report();
        }
    }
}

TEST_F(PosixSystemFiles, FailuresNameTheFileAndTheSystemsReason) {
    fs::create_directory(root / "dir.jar");
    testing::WriteFile(At("file.txt"), "x");
    const auto reading = [&](const std::string& name) {
        return "Die Datei \u201E" + At(name) + "\u201C konnte nicht gelesen werden.";
    };
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { system.OpenForReading(At("none.jar")); }, reading("none.jar")},
        {[&] { system.OpenForReading(At("dir.jar")); }, reading("dir.jar")},
        {[&] { system.WriteWholeFile("/dev/full", "bytes"); },
         "Die Datei \u201E/dev/full\u201C konnte nicht geschrieben werden."},
        {[&] { system.CreateFolder(At("file.txt/x/")); },
         "Der Ordner \u201E" + At("file.txt/x/") + "\u201C konnte nicht angelegt werden."},
    };
    for (const auto& [operation, context] : cases) {
        try {
            operation();
            ADD_FAILURE() << context << ": no error";
        } catch (const AppError& error) {
            EXPECT_EQ(error.Context(), context);
            EXPECT_NE(error.Number(), 0u) << context;
            EXPECT_FALSE(error.Description().empty()) << context;
        }
    }
}

}  // namespace
}  // namespace kestrane
