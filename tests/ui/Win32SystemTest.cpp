// The window's port against a real temporary folder: what an opened file
// tells, and the sentence and system error number each refusal carries
// into the error box.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "package/AppError.h"
#include "ui/Win32System.h"

namespace kestrane {
namespace {

class Win32SystemFiles : public ::testing::Test {
protected:
    Win32System system;
    std::string root;

    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        root = Narrow(temp) + "kestrane-port-" + std::to_string(GetCurrentProcessId()) + "\\";
        system.RemoveTree(root);
        system.CreateFolder(root);
    }
    void TearDown() override { system.RemoveTree(root); }

    static std::string Narrow(const std::wstring& wide) {
        std::string narrow;
        for (wchar_t c : wide) narrow += static_cast<char>(c);  // the temporary folder's name is ASCII here
        return narrow;
    }
};

TEST_F(Win32SystemFiles, AnOpenedFileTellsItsSizeAndWhichFileItIs) {
    system.WriteWholeFile(root + "a.jar", std::string(70000, 'a'));
    system.CopyOver(root + "a.jar", root + "copy.jar");
    const auto opened = system.OpenForReading(root + "a.jar");
    EXPECT_EQ(opened->Size(), 70000u);
    EXPECT_EQ(opened->Read(69998, 2), "aa");
    ASSERT_TRUE(opened->Identity().has_value());
    // The same file under another spelling is the same file; a copy is not.
    EXPECT_EQ(system.OpenForReading(root + "A.JAR")->Identity(), opened->Identity());
    EXPECT_NE(system.OpenForReading(root + "copy.jar")->Identity(), opened->Identity());
    EXPECT_THROW(opened->Read(69999, 2), AppError);  // past the end

    // Cut short by another program while open: the file's end is the reason,
    // whatever failed before the read.
    const std::wstring wide = std::wstring(root.begin(), root.end()) + L"a.jar";
    const HANDLE cutter = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(cutter, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end{};
    end.QuadPart = 1000;
    EXPECT_TRUE(SetFilePointerEx(cutter, end, nullptr, FILE_BEGIN) && SetEndOfFile(cutter));
    CloseHandle(cutter);
    SetLastError(ERROR_ACCESS_DENIED);
    try {
        opened->Read(500, 1000);
        ADD_FAILURE() << "read past the new end";
    } catch (const AppError& error) {
        EXPECT_EQ(error.Number(), static_cast<DWORD>(ERROR_HANDLE_EOF));
    }
}

// What the folder conversion asks of a folder: its names (without "." and
// ".."), which of them are folders, and each file's stamp; a name of another
// case is the same file, as everywhere on Windows.
TEST_F(Win32SystemFiles, AFolderListsItsNamesOnceAndAFileItsStamp) {
    system.CreateFolder(root + "Spiele\\Unter\\");
    system.WriteWholeFile(root + "Spiele\\Snake.jar", std::string(5000, 's'));
    system.WriteWholeFile(root + "Spiele\\Snake \u00E4.jad", "MIDlet-Name: Snake\r\n");
    std::vector<std::pair<std::string, bool>> listed;
    for (const FolderEntry& entry : system.ListFolder(root + "Spiele\\"))
        listed.emplace_back(entry.name, entry.isFolder);
    std::sort(listed.begin(), listed.end());
    const std::vector<std::pair<std::string, bool>> expected = {
        {"Snake \u00E4.jad", false}, {"Snake.jar", false}, {"Unter", true}};
    EXPECT_EQ(listed, expected);

    const FileStamp stamp = system.Stamp(root + "Spiele\\Snake.jar");
    EXPECT_TRUE(stamp.exists);
    EXPECT_EQ(stamp.size, 5000u);
    EXPECT_EQ(system.Stamp(root + "SPIELE\\snake.JAR"), stamp);
    EXPECT_FALSE(system.Stamp(root + "Spiele\\Unter").exists);  // a folder is no file
    EXPECT_FALSE(system.Stamp(root + "Spiele\\none.jar").exists);
    EXPECT_TRUE(system.SameFile(root + "Spiele\\Snake.jar", root + "spiele\\SNAKE.jar"));
    EXPECT_FALSE(system.SameFile(root + "Spiele\\Snake.jar", root + "Spiele\\Snake \u00E4.jad"));
}

// Below those there, however the path begins (\\?\ as \\server\share\), never in a file's place.
// The paths the batch file and rar.exe are given: made whole against the
// current folder, and the 8.3 form of a file that has one names that file.
TEST_F(Win32SystemFiles, AFullPathIsMadeFromTheCurrentFolderAndAShortOneNamesTheSameFile) {
    const std::string name = "ein langer Dateiname mit Leerzeichen.jar";
    system.WriteWholeFile(root + name, "j");
    ASSERT_TRUE(SetCurrentDirectoryW(std::wstring(root.begin(), root.end()).c_str()));
    EXPECT_EQ(system.FullPath("unter\\..\\" + name), root + name);
    EXPECT_EQ(system.FullPath(""), "");
    const std::optional<std::string> shortPath = system.ShortPath(root + name);
    ASSERT_TRUE(shortPath.has_value());
    EXPECT_EQ(shortPath->find(' '), std::string::npos) << *shortPath;
    EXPECT_TRUE(system.SameFile(*shortPath, root + name)) << *shortPath;
    EXPECT_EQ(system.ShortPath(root + "fehlt.jar"), std::nullopt);
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    SetCurrentDirectoryW(temp);  // the folder goes after the test
}

TEST_F(Win32SystemFiles, AFolderIsMadeBelowThoseThereAndNotInAFilesPlace) {
    system.WriteWholeFile(root + "a.jar", "a");
    for (const std::string& folder :
         {"\\\\?\\" + root + "lang\\unter\\", root + "vor/tief//", root + "lang", root.substr(0, 3)})
        EXPECT_NO_THROW(system.CreateFolder(folder)) << folder;
    for (const char* made : {"lang\\unter\\b.jar", "vor\\tief\\b.jar"})
        EXPECT_NO_THROW(system.WriteWholeFile(root + made, "b")) << made;
    for (const std::string& folder : {root + "a.jar\\", root + "a.jar\\unter\\"})
        EXPECT_THROW(system.CreateFolder(folder), AppError) << folder;
}

TEST_F(Win32SystemFiles, EachRefusalNamesTheFileAndCarriesTheSystemsNumber) {
    system.WriteWholeFile(root + "file.txt", "x");
    const std::string none = root + "none.jar", nowhere = root + "nowhere\\a.jar";
    const auto file = [](const std::string& path, const char* verb) {
        return "Die Datei \u201E" + path + "\u201C konnte nicht " + verb + " werden.";
    };
    // The numbers as Windows documents them for these calls:
    // ERROR_FILE_NOT_FOUND (2) and ERROR_PATH_NOT_FOUND (3).
    struct Case {
        std::function<void()> operation;
        std::string context;
        DWORD number;
    };
    const Case cases[] = {
        {[&] { system.OpenForReading(none); }, file(none, "gelesen"), 2},
        {[&] { system.OpenForReading(nowhere); }, file(nowhere, "gelesen"), 3},
        {[&] { system.WriteWholeFile(nowhere, "x"); }, file(nowhere, "geschrieben"), 3},
        {[&] { system.Delete(none); }, file(none, "gel\u00F6scht"), 2},
        {[&] { system.ListFolder(root + "nowhere\\"); },
         "Der Ordner \u201E" + root + "nowhere\\\u201C konnte nicht gelesen werden.", 3},
    };
    for (const Case& c : cases) {
        try {
            c.operation();
            ADD_FAILURE() << c.context << ": no error";
        } catch (const AppError& error) {
            EXPECT_EQ(error.Context(), c.context);
            EXPECT_EQ(error.Number(), c.number) << c.context;
            EXPECT_FALSE(error.Description().empty()) << c.context;
        }
    }
    // A copy or a move that fails names both files.
    for (const auto& operation : {std::function<void()>([&] { system.CopyOver(none, root + "b.jar"); }),
                                  std::function<void()>([&] { system.MoveOver(none, root + "b.jar"); })}) {
        try {
            operation();
            ADD_FAILURE() << "no error";
        } catch (const AppError& error) {
            EXPECT_NE(error.Context().find("\u201E" + none + "\u201C"), std::string::npos) << error.Context();
            EXPECT_NE(error.Context().find("\u201E" + root + "b.jar\u201C"), std::string::npos) << error.Context();
            EXPECT_EQ(error.Number(), 2u) << error.Context();
        }
    }
    const auto untouched = system.OpenForReading(root + "file.txt");  // nothing above touched it
    EXPECT_EQ(untouched->Read(0, untouched->Size()), "x");
}

}  // namespace
}  // namespace kestrane
