// Kestrane installed where a standard user may not write (its own folder
// under "Program Files") and rar.exe in a protected folder of its own: the
// build stages the members and its batch file in the user's own folder and
// still makes the right package, never one of stale members left behind.
// Registered to run without root's permission overrides (CMakeLists.txt).
#include <fstream>
#include <iterator>
#include <optional>

#include "Driver.h"

#include <commctrl.h>
#include "support/RarInMemory.h"
#include "support/ClassBytes.h"
#include "support/ZipWriter.h"

namespace {

using namespace e2e;
namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Member(const fs::path& package, const std::string& name) {
    const std::string bytes = ReadBytes(package);
    std::string error;
    const auto members = kestrane::ReadRarArchive(bytes, &error);
    if (!members) {
        ADD_FAILURE() << "no stored RAR archive: " << error;
        return {};
    }
    for (const auto& m : *members)
        if (m.name == name) return std::string(m.data.begin(), m.data.end());
    ADD_FAILURE() << "no member " << name;
    return {};
}

// The user's own folder for the program's files, as Windows names it for
// the program (under Wine: inside the prefix).
fs::path UserFolder() {
    wchar_t local[MAX_PATH] = {};
    GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH);
    return fs::path(local) / L"Kestrane";
}

// A suite of one MIDlet whose class and icon are in it.
std::string SuiteJar() {
    return kestrane::testing::ZipWriter()
        .Deflated("META-INF/MANIFEST.MF", kestrane::testing::ManifestText({{"MIDlet-1", "A, /a.png, a.Main"}}))
        .Stored("a.png", "png")
        .Deflated("a/Main.class", kestrane::testing::MinimalClass("a/Main"))
        .Bytes();
}

struct ProtectedCase {
    const char* name;
    bool programFolder, rarFolder;  // which of them the user may not write
};

const ProtectedCase kCases[] = {
    {"Neither", false, false},  // everything stays where it always was
    {"ProgramFolder", true, false},
    {"RarFolder", false, true},
    {"Both", true, true},
};

void PrintTo(const ProtectedCase& c, std::ostream* out) { *out << c.name; }

class ProtectedFolder : public testing::TestWithParam<ProtectedCase> {};

TEST_P(ProtectedFolder, BuildSucceedsWithThePackageOfTheInputs) {
    const ProtectedCase& c = GetParam();
    App app;
    const fs::path rarDir = app.Folder() / L"Programme" / L"RAR";
    const fs::path rar = app.InstallStandInArchiver(rarDir);
    const std::string jarBytes = SuiteJar();
    const std::string jadBytes =
        "MIDlet-1: A, /a.png, a.Main\r\nMIDlet-Name: A\r\nMIDlet-Jar-Size: " + std::to_string(jarBytes.size()) + "\r\n";
    const fs::path jar = app.WriteFile(L"a.jar", jarBytes);
    const fs::path jad = app.WriteFile(L"a.jad", jadBytes);
    const fs::path stj = app.Folder() / L"a.stj";
    // Members of an earlier build, which a silently redirected write would leave in use.
    app.WriteFile(app.ProgramFolder() / L"java.jah", "STALE");
    app.WriteFile(app.ProgramFolder() / L"java.utf", "STALE");
    std::error_code ignored;
    fs::remove(UserFolder() / L"java.jah", ignored);  // the prefix keeps it from the case before
    app.Start();
    app.SetText(IDC_TXTRAR, rar.wstring());
    app.SetText(IDC_TXTJAR, jar.wstring());
    app.SetText(IDC_TXTJAD, jad.wstring());
    app.SetText(IDC_TXTINI, L"suite=A\r\nnum=1\r\ndomain=midp1\r\nmidlet=A\r\nicon=/a.png\r\nclass=a.Main");
    app.SetText(IDC_TXTSTJ, stj.wstring());
    {
        std::optional<WriteProtected> program, rarFolder;
        if (c.programFolder) program.emplace(app.ProgramFolder());
        if (c.rarFolder) rarFolder.emplace(rarDir);
        app.Click(IDC_CMDSTJ);
        EXPECT_TRUE(app.ExpectBox(std::wstring(L"STJ-Datei erstellt!"), Icon::Information, L"Kestrane", 60s));
        EXPECT_FALSE(fs::exists(rarDir / L"stj.bat"));
    }
    EXPECT_EQ(Member(stj, "java.jah"), jarBytes);
    EXPECT_EQ(Member(stj, "java.utf"), jadBytes);
    if (c.programFolder) {
        EXPECT_EQ(ReadBytes(app.ProgramFolder() / L"java.jah"), "STALE") << "the protected folder was written";
        EXPECT_EQ(ReadBytes(UserFolder() / L"java.jah"), jarBytes) << "the members went to the user's own folder";
    } else {
        EXPECT_EQ(ReadBytes(app.ProgramFolder() / L"java.jah"), jarBytes) << "staged in the program's folder as ever";
        EXPECT_FALSE(fs::exists(UserFolder() / L"java.jah")) << "the user's folder was used without need";
    }
    EXPECT_FALSE(fs::exists(UserFolder() / L"stj.bat")) << "the batch file is deleted wherever it went";
}

INSTANTIATE_TEST_SUITE_P(ProtectedFolders, ProtectedFolder, testing::ValuesIn(kCases),
                         [](const auto& param) { return std::string(param.param.name); });

// Kestrane packing itself into a folder the user may not write: it says so,
// and the package there stays as it was, with nothing half written beside it.
TEST(ProtectedTarget, PackingItselfLeavesTheOldPackageAsItWas) {
    App app;
    const std::string jarBytes = SuiteJar();
    const fs::path jar = app.WriteFile(L"a.jar", jarBytes);
    const fs::path jad = app.WriteFile(L"a.jad", "MIDlet-1: A, /a.png, a.Main\r\nMIDlet-Name: A\r\nMIDlet-Jar-Size: " +
                                                     std::to_string(jarBytes.size()) + "\r\n");
    const fs::path targetDir = app.Folder() / L"Ziel";
    fs::create_directories(targetDir);
    const fs::path stj = app.WriteFile(targetDir / L"a.stj", "altes Paket");
    app.Start();
    app.SetText(IDC_TXTJAR, jar.wstring());
    app.SetText(IDC_TXTJAD, jad.wstring());
    app.SetText(IDC_TXTINI, L"suite=A\r\nnum=1\r\ndomain=midp1\r\nmidlet=A\r\nicon=/a.png\r\nclass=a.Main");
    app.SetText(IDC_TXTSTJ, stj.wstring());
    {
        WriteProtected protectedTarget(targetDir);
        app.Click(IDC_CMDSTJ);
        const Box box = app.WaitBox(30s);
        app.Answer(box);
        EXPECT_EQ(box.icon, Icon::Error) << box;
        EXPECT_THAT(Utf8(box.text), testing::HasSubstr(Utf8(targetDir.wstring()))) << "the box names where it failed";
    }
    EXPECT_EQ(ReadBytes(stj), "altes Paket");
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(targetDir)) files.push_back(entry.path().filename());
    EXPECT_EQ(files, std::vector<fs::path>{L"a.stj"}) << "something was left beside the package";
    EXPECT_EQ(app.Text(IDC_TXTSTJ), stj.wstring()) << "the field keeps its text after a failure";
}

// "Ordner umwandeln" into a folder the user may not write: found out before
// the first suite, said once with the folder's name; nothing is started.
// Through "/ordner" the program says nothing and ends with exit code 2.
class ProtectedFolderTarget : public testing::TestWithParam<bool> {};

TEST_P(ProtectedFolderTarget, IsFoundOutBeforeTheFirstSuite) {
    const bool unattended = GetParam();
    App app;
    const fs::path source = app.Folder() / L"Spiele";
    fs::create_directories(source);
    for (const wchar_t* name : {L"a.jar", L"b.jar"}) app.WriteFile(source / name, SuiteJar());
    const fs::path targetDir = app.Folder() / L"Ziel";
    fs::create_directories(targetDir);
    WriteProtected protectedTarget(targetDir);
    if (unattended) {
        app.Launch(L"/ordner \"" + source.wstring() + L"\" \"" + targetDir.wstring() + L"\"");
        EXPECT_EQ(app.WaitExit(60s), 2u);
    } else {
        app.Start();
        app.Menu(IDM_FILE_FOLDER);
        const HWND folder = app.WaitWindowOfClass(KESTRANE_FOLDER_CLASS);
        SetWindowTextW(GetDlgItem(folder, IDC_FOLDER_TXTSOURCE), source.c_str());
        SetWindowTextW(GetDlgItem(folder, IDC_FOLDER_TXTTARGET), targetDir.c_str());
        PostMessageW(GetDlgItem(folder, IDC_FOLDER_CMDSTART), BM_CLICK, 0, 0);
        const Box box = app.WaitBox(30s);
        app.Answer(box);
        EXPECT_EQ(box.icon, Icon::Error) << box;
        EXPECT_THAT(Utf8(box.text), testing::HasSubstr(Utf8(targetDir.wstring()))) << "the box names the folder";
        EXPECT_EQ(SendMessageW(GetDlgItem(folder, IDC_FOLDER_LVWRESULTS), LVM_GETITEMCOUNT, 0, 0), 0)
            << "no suite was started";
        EXPECT_TRUE(app.ExpectNoBox()) << "one message, not one per suite";
    }
    EXPECT_TRUE(fs::is_empty(targetDir));
}

INSTANTIATE_TEST_SUITE_P(ProtectedFolders, ProtectedFolderTarget, testing::Bool(),
                         [](const auto& param) { return std::string(param.param ? "Ordner" : "Window"); });

}  // namespace
