// The command-line tool's port against a real temporary folder, and the
// core's code-page tables against glibc's iconv, which shares nothing with them.
#include <gtest/gtest.h>
#include <iconv.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>

#include "cli/PosixSystem.h"
#include "descriptor/TextEncoding.h"
#include "package/AppError.h"
#include "package/RarArchive.h"
#include "support/ZipWriter.h"

namespace kestrane {
namespace {

namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder() : path_(fs::temp_directory_path() / ("kestrane-port-test-" + std::to_string(getpid()))) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() { fs::remove_all(path_); }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

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

TEST(CodePages, EveryCharacterOfTheBasicPlaneAsIconvHasIt) {
    for (const char* codePage : {"CP1252", "CP437"}) {
        if (!Iconv(codePage, "A")) GTEST_SKIP() << "iconv has no " << codePage;
        int differences = 0;
        for (char32_t code = 1; code < 0x10000; ++code) {
            if (code >= 0xD800 && code <= 0xDFFF) continue;
            // The five bytes Windows-1252 leaves free: Windows keeps them as
            // the control characters of the same number, iconv refuses them.
            if (std::string_view(codePage) == "CP1252" &&
                (code == 0x81 || code == 0x8D || code == 0x8F || code == 0x90 || code == 0x9D))
                continue;
            std::string utf8;
            AppendUtf8(utf8, code);
            const auto ours = std::string_view(codePage) == "CP437" ? Utf8ToCp437(utf8) : Utf8ToWindows1252(utf8);
            if (ours != Iconv(codePage, utf8) && ++differences < 5)
                ADD_FAILURE() << codePage << " U+" << std::hex << static_cast<unsigned>(code);
        }
        EXPECT_EQ(differences, 0) << codePage;
    }
}

TEST(CodePages, AWholeTextOrNothing) {
    EXPECT_EQ(Utf8ToWindows1252("Gr\u00f6\u00dfe 5 \u20ac"), std::optional<std::string>("Gr\xF6\xDF"
                                                                                        "e 5 \x80"));
    EXPECT_EQ(Utf8ToCp437("Gr\u00f6\u00dfe"), std::optional<std::string>("Gr\x94\xE1"
                                                                         "e"));
    EXPECT_EQ(Utf8ToWindows1252("Suite \u6f22"), std::nullopt);
    EXPECT_EQ(Utf8ToCp437("5 \u20ac"), std::nullopt);
    EXPECT_EQ(Utf8ToWindows1252("\xC3"), std::nullopt);  // cut in the middle of a character
}

TEST(PosixSystemTest, SourceDateEpochIsUtcInDosFormForDosNow) {
    // 2005-03-04 05:06:08 UTC, by date(1): date -u -d @1109912768
    EXPECT_EQ(DosTimeOfEpoch("1109912768"), DosDateTime({2005, 3, 4, 5, 6, 8}));
    EXPECT_EQ(DosTimeOfEpoch("4102444799"), DosDateTime({2099, 12, 31, 23, 59, 58}));  // 23:59:59, in steps of 2 s
    EXPECT_EQ(DosTimeOfEpoch("0"), kDosEpoch);  // 1970: before MS-DOS's first day
    for (const char* bad : {"", "12abc", "-5", " 1"}) EXPECT_EQ(DosTimeOfEpoch(bad), std::nullopt) << bad;

    PosixSystem fixed(DosTimeOfEpoch("1109912768"));
    EXPECT_EQ(fixed.DosNow(), DosDateTime({2005, 3, 4, 5, 6, 8}));
}

TEST(PosixSystemTest, LastWriteInLocalTime) {
    TempFolder folder;
    const std::string file = folder / "a.jar";
    testing::WriteFile(file, "x");
    const char* oldZone = std::getenv("TZ");
    const std::string saved = oldZone ? oldZone : "";
    setenv("TZ", "UTC-2", 1);  // two hours east of UTC, no summer time
    tzset();
    const std::time_t at = 1109912768;  // 2005-03-04 05:06:08 UTC
    fs::last_write_time(file, std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(at)));
    PosixSystem system;
    const std::uint32_t dos = system.DosLastWrite(file);
    oldZone ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
    tzset();
    EXPECT_EQ(dos, DosDateTime({2005, 3, 4, 7, 6, 8}));
}

TEST(PosixSystemTest, LinksAreNeitherWalkedNorFollowedWhenRemoving) {
    TempFolder folder;
    fs::create_directories(folder.Path() / "outside");
    testing::WriteFile(folder / "outside/keep.jar", "keep");
    fs::create_directories(folder.Path() / "tree/sub");
    testing::WriteFile(folder / "tree/sub/a\nb\\c.jar", "x");
    fs::create_directory_symlink(folder.Path() / "outside", folder.Path() / "tree/link");
    fs::create_symlink("loop.jar", folder.Path() / "tree/loop.jar");

    PosixSystem system;
    std::vector<FolderEntry> entries = system.ListFolder(folder / "tree/");
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "link");
    EXPECT_TRUE(entries[0].isFolder && entries[0].isLink);
    EXPECT_EQ(entries[1].name, "loop.jar");
    EXPECT_FALSE(entries[1].isFolder);
    EXPECT_EQ(entries[2].name, "sub");
    EXPECT_EQ(system.ListFolder(folder / "tree/sub/").at(0).name, "a\nb\\c.jar");  // a backslash is part of a name
    EXPECT_THROW(system.ReadWholeFile(folder / "tree/loop.jar"), AppError);

    system.RemoveTree(folder / "tree/");
    EXPECT_FALSE(fs::exists(folder.Path() / "tree"));
    EXPECT_TRUE(fs::exists(folder.Path() / "outside/keep.jar"));
}

TEST(PosixSystemTest, IdentityByDeviceAndInode) {
    TempFolder folder;
    testing::WriteFile(folder / "a.jar", "a");
    testing::WriteFile(folder / "b.jar", "a");
    fs::create_hard_link(folder / "a.jar", folder / "hard.jar");
    PosixSystem system;
    EXPECT_TRUE(system.SameFile(folder / "a.jar", folder / "hard.jar"));
    EXPECT_TRUE(system.SameFile(folder / "a.jar", folder / "./a.jar"));
    EXPECT_FALSE(system.SameFile(folder / "a.jar", folder / "b.jar"));
    EXPECT_TRUE(system.SameFile(folder / "new.stj", folder / "./new.stj"));  // neither exists yet
}

TEST(PosixSystemTest, FailuresNameTheFileAndTheSystemsReason) {
    TempFolder folder;
    PosixSystem system;
    fs::create_directory(folder.Path() / "dir.jar");
    testing::WriteFile(folder / "file.txt", "x");
    struct Case {
        const char* what;
        std::function<void()> operation;
        std::string context;
    } cases[] = {
        {"missing", [&] { system.ReadWholeFile(folder / "none.jar"); },
         "Die Datei \u201E" + folder / "none.jar" + "\u201C konnte nicht gelesen werden."},
        {"a folder", [&] { system.OpenForReading(folder / "dir.jar"); },
         "Die Datei \u201E" + folder / "dir.jar" + "\u201C konnte nicht gelesen werden."},
        {"a full disk", [&] { system.WriteWholeFile("/dev/full", "bytes"); },
         "Die Datei \u201E/dev/full\u201C konnte nicht geschrieben werden."},
        {"below a file", [&] { system.CreateFolder(folder / "file.txt/x/"); },
         "Der Ordner \u201E" + folder / "file.txt/x/" + "\u201C konnte nicht angelegt werden."},
    };
    for (const Case& c : cases) {
        try {
            c.operation();
            ADD_FAILURE() << c.what << ": no error";
        } catch (const AppError& error) {
            EXPECT_EQ(error.Context(), c.context) << c.what;
            EXPECT_NE(error.Number(), 0u) << c.what;
            EXPECT_FALSE(error.Description().empty()) << c.what;
        }
    }
}

}  // namespace
}  // namespace kestrane
