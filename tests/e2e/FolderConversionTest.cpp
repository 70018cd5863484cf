// "Ordner umwandeln" worked from the outside: a folder of generated suites
// (real JARs, some with a JAD, some broken, names with umlauts, CJK, "%",
// "&" and "!") through the menu and through "/ordner", read back with the
// stand-in archiver's RAR reader; a cancel, targets that cannot be made, an
// archiver run that fails, two runs into one target at once, the source
// folder untouched and the working folder gone. One disabled case is the
// benchmark of 200 suites.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "Driver.h"
#include "support/RarInMemory.h"
#include "support/ClassBytes.h"
#include "support/ZipWriter.h"

namespace {

using namespace e2e;
namespace fs = std::filesystem;
namespace zip = kestrane::testing;
using Clock = std::chrono::steady_clock;
using testing::AllOf;
using testing::HasSubstr;
using testing::StartsWith;

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A suite as the tests make it: a real JAR whose manifest names one MIDlet.
struct SuiteSpec {
    std::wstring file;  // below the source folder
    std::string name;   // MIDlet-Name, also the MIDlet's
    std::string cls;
    enum Jad { None, Matching, WrongSize } jad = None;
    std::size_t dataBytes = 0;  // a stored data file of that size, for a large JAR
};

std::string JarOf(const SuiteSpec& s) {
    zip::ZipWriter jar;
    jar.Deflated("META-INF/MANIFEST.MF", zip::ManifestText({{"Manifest-Version", "1.0"},
                                                            {"MIDlet-1", s.name + ", /i.png, " + s.cls},
                                                            {"MIDlet-Name", s.name},
                                                            {"MIDlet-Version", "1.0"},
                                                            {"MIDlet-Vendor", "Test"}}))
        .Stored("i.png", "PNG" + s.name)
        .Deflated(s.cls + ".class",
                  zip::MinimalClass(s.cls, "javax/microedition/midlet/MIDlet", std::string(500, 'c') + s.name));
    if (s.dataBytes > 0) jar.Stored("daten.bin", std::string(s.dataBytes, 'd'));
    return jar.Bytes();
}

std::string JadOf(const SuiteSpec& s, std::size_t size) {
    return "MIDlet-1: " + s.name + ", /i.png, " + s.cls + "\r\nMIDlet-Name: " + s.name +
           "\r\nMIDlet-Version: 1.0\r\nMIDlet-Vendor: Test\r\nMIDlet-Jar-Size: " + std::to_string(size) + "\r\n";
}

// The six lines the phone reads, as the program writes them for such a suite.
std::string IniOf(const SuiteSpec& s) {
    return "suite=" + s.name + "\r\nnum=1\r\ndomain=midp1\r\nmidlet=" + s.name + "\r\nicon=/i.png\r\nclass=" + s.cls;
}

std::wstring WithoutJar(const std::wstring& file) { return file.substr(0, file.size() - 4); }

// Every file below a folder with its bytes and last write time.
std::map<fs::path, std::pair<std::string, fs::file_time_type>> Snapshot(const fs::path& folder) {
    std::map<fs::path, std::pair<std::string, fs::file_time_type>> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) files[entry.path()] = {ReadBytes(entry.path()), entry.last_write_time()};
    return files;
}

// The program's working folders: "kestrane-*" in the temporary folder it shares with the tests.
std::set<fs::path> WorkFolders() {
    wchar_t temp[MAX_PATH + 1] = L"";
    GetTempPathW(MAX_PATH + 1, temp);
    std::set<fs::path> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(temp, ec))
        if (entry.is_directory() && entry.path().filename().wstring().starts_with(L"kestrane-"))
            found.insert(entry.path());
    return found;
}

std::map<std::string, std::string> Members(const fs::path& package) {
    const std::string bytes = ReadBytes(package);
    std::string error;
    const auto members = kestrane::ReadRarArchive(bytes, &error);
    EXPECT_TRUE(members.has_value()) << Utf8(package.wstring()) << ": " << error;
    std::map<std::string, std::string> out;
    if (members)
        for (const auto& m : *members) out[m.name] = std::string(m.data.begin(), m.data.end());
    return out;
}

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    for (std::size_t start = 0, end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

class FolderConversion : public testing::Test {
protected:
    void SetUp() override {
        rarDir = app.Folder() / L"rar";
        source = app.Folder() / L"Spiele & Co 100%";
        target = app.Folder() / L"STJ ü";
        fs::create_directories(rarDir);
        fs::create_directories(source);
        wchar_t fakeRar[MAX_PATH];
        const DWORD n = GetEnvironmentVariableW(L"KESTRANE_FAKERAR", fakeRar, MAX_PATH);
        ASSERT_TRUE(n > 0 && n < MAX_PATH) << "KESTRANE_FAKERAR (the stand-in rar.exe) is not set";
        fs::copy_file(FromUnix(Utf8(fakeRar)), rarDir / L"rar.exe");
        workFoldersBefore = WorkFolders();
    }

    // Writes the suite's JAR (and JAD) below the source folder; returns the JAR's bytes.
    std::string Add(const SuiteSpec& s) {
        const fs::path jar = source / s.file;
        fs::create_directories(jar.parent_path());
        const std::string bytes = JarOf(s);
        zip::WriteFile(jar, bytes);
        if (s.jad != SuiteSpec::None)
            zip::WriteFile(jar.parent_path() / (WithoutJar(jar.filename().wstring()) + L".jad"),
                           JadOf(s, s.jad == SuiteSpec::Matching ? bytes.size() : 12345));
        return bytes;
    }

    HWND Folder() const { return folder; }
    HWND Item(int id) const {
        HWND control = GetDlgItem(folder, id);
        if (!control)
            throw DriverError("the folder window has no control " + std::to_string(id) +
                              (!IsWindow(folder)          ? " (the window is gone"
                               : !IsWindowVisible(folder) ? " (the window is hidden"
                                                          : " (the window is there") +
                              (app.Running() ? ", the program runs)" : ", the program has ended)"));
        return control;
    }
    std::wstring Text(int id) const { return WindowText(Item(id)); }
    void Set(int id, const std::wstring& text) const {
        if (!SendMessageTimeoutW(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 5000,
                                 nullptr))
            throw DriverError("no answer to WM_SETTEXT");
    }
    void Check(int id, bool on) const { SendMessageW(Item(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }
    int Rows() const { return static_cast<int>(SendMessageW(Item(IDC_FOLDER_LVWRESULTS), LVM_GETITEMCOUNT, 0, 0)); }
    bool Ended() const {
        return Text(IDC_FOLDER_CMDSTART) == L"Start" && Text(IDC_FOLDER_LBLSTATUS).find(L" von ") != std::wstring::npos;
    }

    // The menu item, with rar.exe typed into the main window unless told
    // otherwise; the folder window's fields then name the source and `into`.
    void OpenThroughTheMenu(const fs::path& into = {}, bool withRarExe = true) {
        app.Start();
        if (withRarExe) app.SetText(IDC_TXTRAR, (rarDir / L"rar.exe").wstring());
        app.Menu(IDM_FILE_FOLDER);
        folder = app.WaitWindowOfClass(KESTRANE_FOLDER_CLASS);
        Set(IDC_FOLDER_TXTSOURCE, source.wstring());
        if (!into.empty()) Set(IDC_FOLDER_TXTTARGET, into.wstring());
    }
    void StartAndWait(Ms timeout = 120s) {
        PostMessageW(Item(IDC_FOLDER_CMDSTART), BM_CLICK, 0, 0);
        // Kestrane packing itself may be through before the start was seen.
        WaitFor([&] { return Text(IDC_FOLDER_CMDSTART) == L"Abbrechen" || Ended() || !app.Dialogs().empty(); },
                "the run's start");
        WaitFor([&] { return Ended() || !app.Dialogs().empty(); }, "the run's end", timeout);
    }
    void ExpectWorkFoldersGone() const {
        EXPECT_EQ(WorkFolders(), workFoldersBefore) << "a working folder stayed behind";
    }

    App app;
    fs::path rarDir, source, target;
    HWND folder = nullptr;
    std::set<fs::path> workFoldersBefore;
};

// The suites most cases share: two of them fail their checks.
const SuiteSpec kGood[] = {
    {L"Schlange.jar", "Schlange", "s/Main", SuiteSpec::Matching},
    {L"Würmer & Co 100%!.jar", "Wuermer", "w/Main"},
    {L"漢字ゲーム.jar", "Kanji", "k/Main"},
    {L"Falsch.JAR", "Falsch", "f/Main", SuiteSpec::WrongSize},
    {L"eins\\Spiel.jar", "EinsSpiel", "e/Main"},
    {L"zwei\\tief\\Spiel.jar", "ZweiSpiel", "z/Main", SuiteSpec::Matching},
};

TEST_F(FolderConversion, ThroughTheMenuEverySuiteBecomesOneCorrectPackage) {
    std::map<std::wstring, std::string> jars;
    for (const SuiteSpec& s : kGood) jars[s.file] = Add(s);
    zip::WriteFile(source / L"kaputt.jar", jars[L"Schlange.jar"].substr(0, 100));
    zip::WriteFile(source / L"ohne Manifest.jar", zip::ZipWriter().Stored("a.class", "x").Bytes());
    zip::WriteFile(source / L"liesmich.txt", "kein Spiel");
    const auto before = Snapshot(source);

    OpenThroughTheMenu(target);
    EXPECT_FALSE(IsWindowEnabled(app.Main())) << "the main window waits while the folder window is open";
    Check(IDC_FOLDER_CHKSUBFOLDERS, true);
    StartAndWait();

    ASSERT_TRUE(app.Dialogs().empty()) << ReadBox(app.Dialogs().front());
    EXPECT_EQ(Text(IDC_FOLDER_LBLSTATUS),
              L"6 von 8 erstellt, 0 vorhanden, 2 übersprungen, 0 fehlgeschlagen, "
              L"6 von 8 laufen auf dem Telefon");
    EXPECT_EQ(Rows(), 8);
    for (const SuiteSpec& s : kGood) {
        const fs::path package = target / (WithoutJar(s.file) + L".stj");
        SCOPED_TRACE(Utf8(package.wstring()));
        ASSERT_TRUE(fs::exists(package));
        auto members = Members(package);
        EXPECT_EQ(members.size(), 3u);
        EXPECT_TRUE(members["java.jah"] == jars[s.file]) << "the JAR byte for byte";
        EXPECT_EQ(members["stjava.ini"], IniOf(s));
        const std::string& jad = members["java.utf"];
        if (s.jad == SuiteSpec::None) {
            EXPECT_THAT(jad, HasSubstr("MIDlet-Jar-URL: " + Utf8(fs::path(s.file).filename().wstring()) + "\r\n"));
            EXPECT_THAT(jad, HasSubstr("MIDlet-1: " + s.name + ", /i.png, " + s.cls + "\r\n"));
        }
        if (s.jad != SuiteSpec::None) {
            EXPECT_EQ(jad, JadOf(s, jars[s.file].size())) << "the real size in the package";
        }
        EXPECT_THAT(jad, HasSubstr("MIDlet-Jar-Size: " + std::to_string(jars[s.file].size()) + "\r\n"));
    }
    EXPECT_FALSE(fs::exists(target / L"kaputt.stj"));
    EXPECT_FALSE(fs::exists(target / L"ohne Manifest.stj"));
    EXPECT_EQ(Snapshot(source), before) << "the source folder is only read";
    EXPECT_FALSE(fs::exists(rarDir / L"stj.bat")) << "rar.exe is started directly";
    ExpectWorkFoldersGone();

    // The list as written at the end: UTF-8, one line per suite between a heading and the counts.
    const std::string log = ReadBytes(target / L"kestrane-protokoll.txt");
    ASSERT_THAT(log, StartsWith("\xEF\xBB\xBF"));
    const std::vector<std::wstring> lines = Lines(Wide(log.substr(3)));
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], L"Datei\tSuite\tErgebnis\tTelefon");
    EXPECT_EQ(lines[9], Text(IDC_FOLDER_LBLSTATUS));
    const std::wstring all = Wide(log);
    EXPECT_THAT(Utf8(all), HasSubstr("\r\nkaputt.jar\t\tübersprungen: "));
    EXPECT_THAT(Utf8(all), HasSubstr("\r\n漢字ゲーム.jar\tKanji\terstellt"));
    EXPECT_THAT(Utf8(all), HasSubstr("\r\nzwei\\tief\\Spiel.jar\tZweiSpiel\terstellt\tläuft\r\n"));
    EXPECT_THAT(Utf8(all), HasSubstr("\r\nFalsch.JAR\tFalsch\terstellt – MIDlet-Jar-Size"));

    // The last row, selected and copied as Ctrl+C copies it.
    PostMessageW(Item(IDC_FOLDER_LVWRESULTS), WM_KEYDOWN, VK_END, 0);
    app.Drain();
    SendMessageW(Folder(), WM_COPY, 0, 0);
    ASSERT_TRUE(OpenClipboard(nullptr));
    const HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const std::wstring copied = data ? static_cast<const wchar_t*>(GlobalLock(data)) : L"";
    if (data) GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(copied, lines[8] + L"\r\n");

    PostMessageW(Folder(), WM_CLOSE, 0, 0);
    WaitFor([&] { return !IsWindow(folder); }, "the folder window to close");
    WaitFor([&] { return IsWindowEnabled(app.Main()) != FALSE; }, "the main window to take input again");
    EXPECT_EQ(app.Close(), 0u);
}

// "/ordner" as a script runs it: nothing to click, the program ends with the
// run, and its exit code and log say how it went.
struct CommandLineCase {
    const char* name;
    const wchar_t* switches;  // after the two folders
    bool withBrokenJar;
    bool withoutSource;
    DWORD exitCode;
    friend void PrintTo(const CommandLineCase& c, std::ostream* out) { *out << c.name; }
};

// The program's copy is named after the case: short names keep its path within MAX_PATH.
class Ordner : public FolderConversion, public testing::WithParamInterface<CommandLineCase> {};

TEST_P(Ordner, EndsByItselfWithItsExitCode) {
    const CommandLineCase& c = GetParam();
    for (const SuiteSpec& s : kGood) Add(s);
    if (c.withBrokenJar) zip::WriteFile(source / L"kaputt.jar", "PK\x03\x04 kein Archiv");
    if (c.withoutSource) fs::remove_all(source);
    fs::create_directories(target);
    // An older package of the suite, with an OBJ file the new one does not have.
    const std::string old = kestrane::WriteRarArchive(
        {{"java.jah", "alt"}, {"java.utf", "alt"}, {"stjava.ini", "alt"}, {"java.obj", "alt"}});
    zip::WriteFile(target / L"Schlange.stj", old);
    const bool deep = std::wstring(c.switches).find(L"/unterordner") != std::wstring::npos;
    const bool overwrite = std::wstring(c.switches).find(L"/ueberschreiben") != std::wstring::npos;

    app.Launch(L"/ordner \"" + source.wstring() + L"\" \"" + target.wstring() + L"\" " + c.switches);
    EXPECT_EQ(app.WaitExit(120s), c.exitCode);

    const std::string log = ReadBytes(target / L"kestrane-protokoll.txt");
    ASSERT_THAT(log, StartsWith("\xEF\xBB\xBF")) << "no log";
    const std::vector<std::wstring> lines = Lines(Wide(log.substr(3)));
    if (c.withoutSource) {
        EXPECT_THAT(Utf8(Wide(log)), HasSubstr(Utf8(source.wstring()))) << "the log names the missing folder";
        EXPECT_EQ(ReadBytes(target / L"Schlange.stj"), old);
        return;
    }
    const std::size_t suites = (deep ? 6 : 4) + (c.withBrokenJar ? 1 : 0);
    EXPECT_EQ(lines.size(), suites + 2) << "a heading, a line per suite and the counts";
    EXPECT_EQ(fs::exists(target / L"zwei" / L"tief" / L"Spiel.stj"), deep);
    if (overwrite) {
        std::vector<std::string> names;
        for (const auto& [name, bytes] : Members(target / L"Schlange.stj")) names.push_back(name);
        EXPECT_THAT(names, testing::ElementsAre("java.jah", "java.utf", "stjava.ini")) << "exactly the new members";
    } else {
        EXPECT_EQ(ReadBytes(target / L"Schlange.stj"), old);
    }
    EXPECT_EQ(Members(target / L"漢字ゲーム.stj").size(), 3u);
    ExpectWorkFoldersGone();
}

INSTANTIATE_TEST_SUITE_P(
    F, Ordner,
    testing::Values(CommandLineCase{"AllBuilt", L"", false, false, 0}, CommandLineCase{"Skipped", L"", true, false, 1},
                    CommandLineCase{"BothSwitches", L"/unterordner /ueberschreiben", false, false, 0},
                    CommandLineCase{"NoSource", L"/unterordner", false, true, 2}),
    [](const auto& param) { return std::string(param.param.name); });

// Two scripts converting one folder into one target at the same time, both
// overwriting: whichever run put a package last, each is whole, and so is the list.
TEST_F(FolderConversion, TwoRunsAtOnceIntoOneTargetLeaveEveryPackageWhole) {
    std::map<std::wstring, std::string> jars;
    for (int i = 0; i < 12; ++i) {
        const std::wstring file = L"Spiel" + std::to_wstring(10 + i) + L".jar";
        jars[file] = Add({file, "S" + std::to_string(i), "s/M", SuiteSpec::None, 300 * 1024});
    }
    const std::wstring arguments =
        L"/ordner \"" + source.wstring() + L"\" \"" + target.wstring() + L"\" /ueberschreiben";
    // The driver works one program at a time: the other run is started here.
    std::wstring command = L"\"" + app.ExePath().wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION other{};
    ASSERT_TRUE(CreateProcessW(app.ExePath().c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               app.Folder().c_str(), &startup, &other));
    CloseHandle(other.hThread);
    app.Launch(arguments);
    DWORD otherCode = 999;
    if (WaitForSingleObject(other.hProcess, 120000) == WAIT_OBJECT_0)
        GetExitCodeProcess(other.hProcess, &otherCode);
    else
        TerminateProcess(other.hProcess, otherCode);
    EXPECT_EQ(otherCode, 0u) << "the other run (999: it did not end within 120 s)";
    EXPECT_EQ(app.WaitExit(120s), 0u);
    FILETIME created[2], ended[2], unused;
    GetProcessTimes(other.hProcess, &created[0], &ended[0], &unused, &unused);
    GetProcessTimes(app.Process(), &created[1], &ended[1], &unused, &unused);
    CloseHandle(other.hProcess);
    ASSERT_TRUE(CompareFileTime(&created[0], &ended[1]) < 0 && CompareFileTime(&created[1], &ended[0]) < 0)
        << "the two runs did not overlap";

    for (const auto& entry : fs::recursive_directory_iterator(target))
        EXPECT_NE(entry.path().extension(), L".kestrane-tmp") << Utf8(entry.path().wstring());
    for (const auto& [file, jar] : jars) {
        const fs::path package = target / (WithoutJar(file) + L".stj");
        SCOPED_TRACE(Utf8(package.wstring()));
        EXPECT_EQ(ReadBytes(package).substr(0, 7), std::string("Rar!\x1A\x07\x00", 7)) << "RAR 4";
        auto members = Members(package);
        EXPECT_EQ(members.size(), 3u);
        EXPECT_TRUE(members["java.jah"] == jar) << "the JAR byte for byte";
    }
    const std::string log = ReadBytes(target / L"kestrane-protokoll.txt");
    ASSERT_THAT(log, StartsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(Lines(Wide(log.substr(3))).size(), 14u) << "a heading, a line per suite and the counts";
    EXPECT_THAT(log, testing::EndsWith("\r\n12 von 12 erstellt, 0 vorhanden, 0 übersprungen, 0 fehlgeschlagen, "
                                       "12 von 12 laufen auf dem Telefon\r\n"));
    ExpectWorkFoldersGone();
}

TEST_F(FolderConversion, ACancelShowsAtOnceAndStopsAfterTheCurrentSuite) {
    for (int i = 0; i < 12; ++i) Add({L"Spiel" + std::to_wstring(10 + i) + L".jar", "S" + std::to_string(i), "s/M"});
    zip::WriteFile(rarDir / L"rar.sleep", "400");
    OpenThroughTheMenu(target);
    Check(IDC_FOLDER_CHKARCHIVER, true);  // a slow rar.exe: time to cancel
    PostMessageW(Item(IDC_FOLDER_CMDSTART), BM_CLICK, 0, 0);
    WaitFor([&] { return Rows() >= 2; }, "two suites done", 60s);

    // The window answers at once while rar.exe works.
    const auto asked = Clock::now();
    DWORD_PTR ignored = 0;
    EXPECT_TRUE(SendMessageTimeoutW(folder, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &ignored));
    EXPECT_LT(Clock::now() - asked, 500ms);
    EXPECT_EQ(Text(IDC_FOLDER_CMDSTART), L"Abbrechen");
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_FOLDER_TXTSOURCE)));

    const int rowsAtCancel = Rows();
    PostMessageW(Item(IDC_FOLDER_CMDSTART), BM_CLICK, 0, 0);
    // The window says so at once; rar.exe's current run is left to finish.
    WaitFor([&] { return Text(IDC_FOLDER_LBLSTATUS).find(L"abgebrochen") != std::wstring::npos; }, "the cancel to show",
            1s);
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_FOLDER_CMDSTART))) << "no second cancel while it takes effect";
    WaitFor([&] { return Ended(); }, "the run to stop", 10s);
    const int rows = Rows();
    // A row posted before the click was handled, and the suite then running.
    EXPECT_LE(rows, rowsAtCancel + 2);
    EXPECT_THAT(Utf8(Text(IDC_FOLDER_LBLSTATUS)), HasSubstr("abgebrochen"));
    int packages = 0;
    for (const auto& entry : fs::directory_iterator(target)) packages += entry.path().extension() == L".stj";
    EXPECT_EQ(packages, rows) << "every suite that started was finished";
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_FOLDER_TXTSOURCE)));
    ExpectWorkFoldersGone();
    EXPECT_TRUE(fs::exists(target / L"kestrane-protokoll.txt"));
}

class FolderKeys : public FolderConversion, public testing::WithParamInterface<int> {
protected:
    int FocusedId() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(folder, nullptr), &info);
        return info.hwndFocus && GetParent(info.hwndFocus) == folder ? GetDlgCtrlID(info.hwndFocus) : 0;
    }
};

// Enter starts nothing and Esc closes the window wherever the focus is, as
// in a dialog: in a field and in the many-line detail field below the list.
TEST_P(FolderKeys, EnterChangesNothingAndEscapeCloses) {
    OpenThroughTheMenu(target);
    for (int i = 0; i < 30 && FocusedId() != GetParam(); ++i) app.Key(VK_TAB);
    ASSERT_EQ(FocusedId(), GetParam()) << "Tab never reaches the control";
    app.Key(VK_RETURN);
    ASSERT_TRUE(IsWindow(folder)) << "Enter closed the window";
    EXPECT_EQ(Text(IDC_FOLDER_CMDSTART), L"Start") << "Enter started a run";
    EXPECT_EQ(Text(IDC_FOLDER_TXTSOURCE), source.wstring());
    app.Key(VK_ESCAPE);
    WaitFor([&] { return !IsWindow(folder); }, "the folder window to close");
    WaitFor([&] { return IsWindowEnabled(app.Main()) != FALSE; }, "the main window to take input again");
    EXPECT_TRUE(app.Dialogs().empty()) << "a box or dialog opened";
    EXPECT_FALSE(fs::exists(target)) << "nothing was converted";
    EXPECT_EQ(app.Close(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Focus, FolderKeys, testing::Values(IDC_FOLDER_TXTSOURCE, IDC_FOLDER_TXTDETAIL));

struct TargetCase {
    const char* name;
    std::function<fs::path(const fs::path& caseFolder)> target;
    friend void PrintTo(const TargetCase& c, std::ostream* out) { *out << c.name; }
};

class BadTarget : public FolderConversion, public testing::WithParamInterface<TargetCase> {};

// Refused once, naming the folder, with the system's reason; nothing runs.
TEST_P(BadTarget, Refused) {
    Add(kGood[0]);
    const fs::path bad = GetParam().target(app.Folder());
    OpenThroughTheMenu(bad);
    PostMessageW(Item(IDC_FOLDER_CMDSTART), BM_CLICK, 0, 0);
    const Box box = app.WaitBox();
    EXPECT_EQ(box.icon, Icon::Error);
    EXPECT_THAT(Utf8(box.text), HasSubstr("In den Zielordner „" + Utf8(bad.wstring())));
    EXPECT_THAT(Utf8(box.text), HasSubstr("Fehler ")) << "with the system's reason";
    app.Answer(box);
    EXPECT_EQ(Rows(), 0);
    EXPECT_FALSE(fs::exists(rarDir / L"rar.log")) << "rar.exe never ran";
    EXPECT_EQ(Text(IDC_FOLDER_CMDSTART), L"Start");
    ExpectWorkFoldersGone();
}

INSTANTIATE_TEST_SUITE_P(F, BadTarget,
                         testing::Values(TargetCase{"UnderFile",
                                                    [](const fs::path& f) {
                                                        zip::WriteFile(f / L"datei.txt", "x");
                                                        return f / L"datei.txt" / L"ziel";
                                                    }},
                                         TargetCase{"NoDrive",
                                                    [](const fs::path&) {
                                                        for (wchar_t d = L'Q'; d <= L'Y'; ++d) {
                                                            const std::wstring root = std::wstring(1, d) + L":\\";
                                                            if (GetDriveTypeW(root.c_str()) == DRIVE_NO_ROOT_DIR)
                                                                return fs::path(root) / L"ziel";
                                                        }
                                                        throw DriverError("no free drive letter");
                                                    }}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(FolderConversion, AnArchiverRunThatFailsFailsItsSuiteOnlyAndSaysWhy) {
    for (const char* name : {"A", "B", "C"}) Add({Wide(name) + L".jar", name, "x/M"});
    // rar.exe writes each package under a name of its own first; the stand-in
    // cannot read this "archive" there: exit code 2.
    fs::create_directories(target / L"B.stj.kestrane-tmp");
    zip::WriteFile(target / L"B.stj", "vorher");
    OpenThroughTheMenu(target);
    Check(IDC_FOLDER_CHKARCHIVER, true);
    Check(IDC_FOLDER_CHKOVERWRITE, true);
    StartAndWait();
    EXPECT_EQ(Text(IDC_FOLDER_LBLSTATUS),
              L"2 von 3 erstellt, 0 vorhanden, 0 übersprungen, 1 fehlgeschlagen, "
              L"3 von 3 laufen auf dem Telefon");
    EXPECT_EQ(Members(target / L"A.stj").size(), 3u);
    EXPECT_EQ(Members(target / L"C.stj").size(), 3u);
    EXPECT_EQ(ReadBytes(target / L"B.stj"), "vorher") << "a failed suite leaves the package there as it was";
    const std::string log = ReadBytes(target / L"kestrane-protokoll.txt");
    EXPECT_THAT(log, HasSubstr("\r\nB.jar\tB\tfehlgeschlagen: rar.exe endete mit dem Fehlercode 2."));
    ExpectWorkFoldersGone();
}

// Without "Mit rar.exe packen" Kestrane packs every suite itself: no
// rar.exe needed, none started.
TEST_F(FolderConversion, WithoutRarExeKestranePacksEverySuiteItself) {
    std::map<std::wstring, std::string> jars;
    for (const char* name : {"A", "B"})
        jars[Wide(name)] = Add({Wide(name) + L".jar", name, "x/M", SuiteSpec::Matching});
    OpenThroughTheMenu(target, false);
    StartAndWait();
    ASSERT_TRUE(app.Dialogs().empty()) << ReadBox(app.Dialogs().front());
    EXPECT_EQ(Text(IDC_FOLDER_LBLSTATUS),
              L"2 von 2 erstellt, 0 vorhanden, 0 übersprungen, 0 fehlgeschlagen, "
              L"2 von 2 laufen auf dem Telefon");
    for (const auto& [name, jar] : jars) {
        const fs::path package = target / (name + L".stj");
        EXPECT_EQ(ReadBytes(package).substr(0, 7), std::string("Rar!\x1A\x07\x00", 7)) << "the phone's format";
        auto members = Members(package);
        EXPECT_TRUE(members["java.jah"] == jar);
        EXPECT_EQ(members.size(), 3u);
    }
    EXPECT_FALSE(fs::exists(rarDir / L"rar.log")) << "rar.exe ran";
    ExpectWorkFoldersGone();
}

std::string Utf16Le(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (const wchar_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return bytes;
}

// Suites as collections hold them: a JAD named apart from its JAR that finds
// it through MIDlet-Jar-URL, a JAD that leaves MIDlet-1 to the manifest, a
// JAD saved as UTF-16, and a package that is there already. Each becomes the
// package the phone needs; the user's files stay as they are.
TEST_F(FolderConversion, EverySuiteOfACollectionBecomesTheRightPackage) {
    const SuiteSpec spiel{L"Spiel.jar", "Spiel", "s/Main"}, alt{L"Alt.jar", "Alt", "a/Main"},
        breit{L"Breit.jar", "Breit", "b/Main"}, da{L"Da.jar", "Da", "d/Main"};
    const std::string spielJar = Add(spiel), altJar = Add(alt), breitJar = Add(breit);
    Add(da);
    const std::string spielJad = "MIDlet-Jar-URL: Spiel.jar\r\n" + JadOf(spiel, spielJar.size());
    zip::WriteFile(source / L"Spiel Version 2.jad", spielJad);
    std::string altJad = JadOf(alt, altJar.size());
    altJad.erase(0, altJad.find("\r\n") + 2);  // without its MIDlet-1 line
    zip::WriteFile(source / L"Alt.jad", altJad);
    const std::wstring breitText = Wide(JadOf(breit, breitJar.size())) + L"MIDlet-Description: Spaß für Jürgen\r\n";
    zip::WriteFile(source / L"Breit.jad", Utf16Le(breitText));
    fs::create_directories(target);
    zip::WriteFile(target / L"Da.stj", "vorher");
    const auto before = Snapshot(source);

    OpenThroughTheMenu(target, false);
    StartAndWait();
    ASSERT_TRUE(app.Dialogs().empty()) << ReadBox(app.Dialogs().front());
    EXPECT_EQ(Text(IDC_FOLDER_LBLSTATUS),
              L"3 von 4 erstellt, 1 vorhanden, 0 übersprungen, 0 fehlgeschlagen, "
              L"4 von 4 laufen auf dem Telefon");

    auto spielPackage = Members(target / L"Spiel.stj");
    EXPECT_EQ(spielPackage["java.utf"], spielJad) << "the user's own JAD, found through its MIDlet-Jar-URL";
    EXPECT_EQ(spielPackage["stjava.ini"], IniOf(spiel));
    auto altPackage = Members(target / L"Alt.stj");
    EXPECT_EQ(altPackage["java.utf"], altJad) << "the JAD as the user wrote it";
    EXPECT_EQ(altPackage["stjava.ini"], IniOf(alt)) << "MIDlet-1 from the manifest";
    auto breitPackage = Members(target / L"Breit.stj");
    EXPECT_EQ(breitPackage["java.utf"], Utf8(breitText)) << "UTF-8 in the package";
    EXPECT_EQ(breitPackage["stjava.ini"], IniOf(breit));
    EXPECT_TRUE(altPackage["java.jah"] == altJar && breitPackage["java.jah"] == breitJar &&
                spielPackage["java.jah"] == spielJar);
    EXPECT_EQ(ReadBytes(target / L"Da.stj"), "vorher");
    EXPECT_EQ(Snapshot(source), before) << "the source folder is only read";

    const std::string log = ReadBytes(target / L"kestrane-protokoll.txt");
    const std::vector<std::wstring> lines = Lines(Wide(log.substr(3)));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_THAT(Utf8(lines[1]), AllOf(StartsWith("Alt.jar\tAlt\terstellt – "), HasSubstr("MIDlet-1")));
    EXPECT_THAT(Utf8(lines[2]), AllOf(StartsWith("Breit.jar\tBreit\terstellt – "), HasSubstr("UTF-16")));
    EXPECT_EQ(Utf8(lines[3]), "Da.jar\tDa\tvorhanden\tläuft");
    EXPECT_EQ(Utf8(lines[4]), "Spiel.jar\tSpiel\terstellt\tläuft");
    EXPECT_EQ(lines[5], Text(IDC_FOLDER_LBLSTATUS));

    // The first row chosen: its reason shows whole below the list.
    EXPECT_EQ(Text(IDC_FOLDER_TXTDETAIL), L"");
    PostMessageW(Item(IDC_FOLDER_LVWRESULTS), WM_KEYDOWN, VK_HOME, 0);
    app.Drain();
    const std::wstring altRow = lines[1];
    const std::size_t reason = altRow.find(L"\terstellt") + 1;
    const std::wstring altReason = altRow.substr(reason, altRow.rfind(L'\t') - reason);
    WaitFor([&] { return Text(IDC_FOLDER_TXTDETAIL) == L"Alt.jar\r\n" + altReason; }, "the row's reason in full");
}

// The window is made larger: the list and the reasons' column grow with it,
// what is below the list moves down, the buttons move right; it gets no
// smaller than it was made.
TEST_F(FolderConversion, TheWindowGrowsAndTheListWithIt) {
    OpenThroughTheMenu({}, false);
    const int ids[] = {IDC_FOLDER_LBLSOURCE,  IDC_FOLDER_TXTSOURCE, IDC_FOLDER_CMDSOURCE,   IDC_FOLDER_CMDSTART,
                       IDC_FOLDER_LVWRESULTS, IDC_FOLDER_TXTDETAIL, IDC_FOLDER_PRGPROGRESS, IDC_FOLDER_LBLSTATUS};
    auto places = [&] {
        std::map<int, RECT> out;
        for (const int id : ids) {
            RECT r{};
            GetWindowRect(Item(id), &r);
            MapWindowPoints(nullptr, folder, reinterpret_cast<POINT*>(&r), 2);
            out[id] = r;
        }
        return out;
    };
    auto reasonsWidth = [&] { return SendMessageW(Item(IDC_FOLDER_LVWRESULTS), LVM_GETCOLUMNWIDTH, 3, 0); };
    const auto small = places();
    const LRESULT reasonsBefore = reasonsWidth();
    RECT frame{};
    GetWindowRect(folder, &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    constexpr int kWider = 300, kTaller = 200;
    SetWindowPos(folder, nullptr, 0, 0, width + kWider, height + kTaller, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    WaitFor([&] { return places()[IDC_FOLDER_LVWRESULTS].right == small.at(IDC_FOLDER_LVWRESULTS).right + kWider; },
            "the list to grow");
    const auto large = places();
    auto moved = [&](int id, int dx, int dy, int grownX, int grownY) {
        const RECT& a = small.at(id);
        const RECT& b = large.at(id);
        EXPECT_EQ(b.left - a.left, dx) << id;
        EXPECT_EQ(b.top - a.top, dy) << id;
        EXPECT_EQ((b.right - b.left) - (a.right - a.left), grownX) << id;
        EXPECT_EQ((b.bottom - b.top) - (a.bottom - a.top), grownY) << id;
    };
    moved(IDC_FOLDER_LBLSOURCE, 0, 0, 0, 0);
    moved(IDC_FOLDER_TXTSOURCE, 0, 0, kWider, 0);
    moved(IDC_FOLDER_CMDSOURCE, kWider, 0, 0, 0);
    moved(IDC_FOLDER_CMDSTART, kWider, 0, 0, 0);
    moved(IDC_FOLDER_LVWRESULTS, 0, 0, kWider, kTaller);
    for (const int below : {IDC_FOLDER_TXTDETAIL, IDC_FOLDER_PRGPROGRESS, IDC_FOLDER_LBLSTATUS})
        moved(below, 0, kTaller, kWider, 0);
    EXPECT_EQ(reasonsWidth(), reasonsBefore + kWider) << "the reasons' column takes the new width";

    SetWindowPos(folder, nullptr, 0, 0, width / 2, height / 2, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    app.Drain();
    GetWindowRect(folder, &frame);
    EXPECT_GE(frame.right - frame.left, width);
    EXPECT_GE(frame.bottom - frame.top, height);
    EXPECT_EQ(places()[IDC_FOLDER_LVWRESULTS].right, small.at(IDC_FOLDER_LVWRESULTS).right);
}

// rar.exe 5.50 and later write RAR5 unless told otherwise: with rar.exe
// each such package is a failed suite, and none stays in the target.
TEST_F(FolderConversion, ARar5PackageFromRarExeIsAFailedSuiteAndNoneStays) {
    for (const char* name : {"A", "B"}) Add({Wide(name) + L".jar", name, "x/M", SuiteSpec::Matching});
    zip::WriteFile(rarDir / L"rar.rar5", "");
    OpenThroughTheMenu(target);
    Check(IDC_FOLDER_CHKARCHIVER, true);
    StartAndWait();
    EXPECT_EQ(Text(IDC_FOLDER_LBLSTATUS),
              L"0 von 2 erstellt, 0 vorhanden, 0 übersprungen, 2 fehlgeschlagen, "
              L"2 von 2 laufen auf dem Telefon");
    std::vector<fs::path> left;
    for (const auto& entry : fs::directory_iterator(target))
        if (entry.path().filename() != L"kestrane-protokoll.txt") left.push_back(entry.path().filename());
    EXPECT_THAT(left, testing::IsEmpty()) << "a package the phone cannot read, or a half one, stayed";
    const std::string log = ReadBytes(target / L"kestrane-protokoll.txt");
    for (const char* row : {"\r\nA.jar\tA\tfehlgeschlagen: rar.exe hat die STJ-Datei im neuen RAR5-Format geschrieben",
                            "\r\nB.jar\tB\tfehlgeschlagen: rar.exe hat die STJ-Datei im neuen RAR5-Format geschrieben"})
        EXPECT_THAT(log, HasSubstr(row));
}

// ---- Benchmark: run by hand (see the closing note of the folder conversion) ----

struct Memory {
    double privateMb = 0, workingSetMb = 0;
};

Memory MemoryOf(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
        return {};
    // The commit charge: the private bytes (Wine leaves PrivateUsage at 0 for another process).
    return {counters.PagefileUsage / 1048576.0, counters.WorkingSetSize / 1048576.0};
}

// Converts the folder into `into` as the window does, checked or not
// "Mit rar.exe packen"; the milliseconds from the click to the run's end,
// and the memory at suite 20 and at the end.
struct BenchRun {
    double ms = 0;
    Memory at20, atEnd;
};

TEST_F(FolderConversion, DISABLED_Benchmark200Suites) {
    constexpr int kSuites = 200;
    for (int i = 0; i < kSuites; ++i)
        Add({L"Spiel" + std::to_wstring(1000 + i) + L".jar", "S" + std::to_string(i), "s/M", SuiteSpec::Matching});
    OpenThroughTheMenu();
    auto convert = [&](const fs::path& into, bool withRar) {
        Set(IDC_FOLDER_TXTTARGET, into.wstring());
        Check(IDC_FOLDER_CHKARCHIVER, withRar);
        BenchRun run;
        const auto started = Clock::now();
        PostMessageW(Item(IDC_FOLDER_CMDSTART), BM_CLICK, 0, 0);
        if (Ended()) WaitFor([&] { return !Ended(); }, "the click taken, not the last run's end", 60s);
        WaitFor([&] { return Rows() >= 20 || Ended(); }, "20 suites", 300s);
        run.at20 = MemoryOf(app.Process());
        WaitFor([&] { return Ended() && Rows() == kSuites; }, "the run's end", 900s);
        run.ms = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
        run.atEnd = MemoryOf(app.Process());
        return run;
    };
    const std::wstring allBuilt =
        L"200 von 200 erstellt, 0 vorhanden, 0 übersprungen, 0 fehlgeschlagen, 200 von 200 laufen auf dem Telefon";
    const BenchRun itself = convert(app.Folder() / L"selbst", false);
    EXPECT_EQ(Text(IDC_FOLDER_LBLSTATUS), allBuilt);
    const BenchRun withRar = convert(app.Folder() / L"rar", true);
    EXPECT_EQ(Text(IDC_FOLDER_LBLSTATUS), allBuilt);

    // The same JAR and JAD files copied, as the least any packing must do.
    const fs::path copies = app.Folder() / L"kopie";
    fs::create_directories(copies);
    const auto copyStarted = Clock::now();
    for (const auto& entry : fs::directory_iterator(source))
        ASSERT_TRUE(CopyFileW(entry.path().c_str(), (copies / entry.path().filename()).c_str(), FALSE));
    const double copyMs = std::chrono::duration<double, std::milli>(Clock::now() - copyStarted).count();

    std::printf(
        "suites: %d\nKestrane packing itself: %.0f ms (%.2f ms a suite)\n"
        "through the stand-in rar.exe: %.0f ms (%.2f ms a suite)\n"
        "CopyFileW of the JARs and JADs: %.0f ms\n"
        "packing itself / copying: %.2f\nrar.exe / packing itself: %.1f\n"
        "memory packing itself at suite 20: private %.1f MB, working set %.1f MB; at the end %.1f / %.1f MB\n",
        kSuites, itself.ms, itself.ms / kSuites, withRar.ms, withRar.ms / kSuites, copyMs, itself.ms / copyMs,
        withRar.ms / itself.ms, itself.at20.privateMb, itself.at20.workingSetMb, itself.atEnd.privateMb,
        itself.atEnd.workingSetMb);
    EXPECT_GT(itself.at20.workingSetMb, 0.0) << "no memory figures from the system";
}

}  // namespace
