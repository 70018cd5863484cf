// "Erstelle STJ" worked from the outside. Each case copies the stand-in
// archiver (tests/fakerar) into a rar folder of its own as rar.exe, and reads
// the package it writes back with the stand-in's RAR 4.x reader.
#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <thread>

#include "Driver.h"
#include "support/RarInMemory.h"
#include "support/ClassBytes.h"
#include "support/ZipWriter.h"

namespace {

using namespace e2e;
namespace fs = std::filesystem;
using namespace std::string_literals;
using Clock = std::chrono::steady_clock;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;

// Every control of the main window, labels included: the build disables them all.
constexpr int kAllControls[] = {IDC_LBLRAR,       IDC_TXTRAR,       IDC_CMDSEARCHRAR, IDC_LBLJAR,       IDC_TXTJAR,
                                IDC_CMDSEARCHJAR, IDC_CMDSEARCHJAD, IDC_LBLJAD,       IDC_LBLOBJ,       IDC_TXTJAD,
                                IDC_TXTOBJ,       IDC_CMDSEARCHOBJ, IDC_CMDINI,       IDC_TXTINI,       IDC_LBLINI,
                                IDC_CMDSTJ,       IDC_TXTSTJ,       IDC_LBLSTJ,       IDC_CMDSEARCHSTJ, IDC_LBLWAIT};
constexpr int kFields[] = {IDC_TXTRAR, IDC_TXTJAR, IDC_TXTJAD, IDC_TXTOBJ, IDC_TXTINI, IDC_TXTSTJ};

// The rows of the case tables print, and name their cases, by their `name`.
template <class Row>
requires requires(const Row& row) { row.name; }
void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }
const auto kRowName = [](const auto& param) { return std::string(param.param.name); };

const std::wstring kBuilt = L"STJ-Datei erstellt!";
const std::wstring kFailed = L"Erstellen fehlgeschlagen!";
// No line end at the end; "ü" tests that the file is written in the ANSI code page.
const std::wstring kIni =
    L"suite=Schlange\r\nnum=1\r\ndomain=midp1\r\nmidlet=Schlange für Jürgen\r\nicon=/s.png\r\nclass=com.example.Snake";
const std::string kObj = "OBJ\0\x01\x02\xff"s;

// A real suite whose JAD matches it, so that the checks find nothing. A
// stored entry of every byte value, zeros and line ends among them, has to
// arrive unchanged.
std::string JarBytes() {
    std::string everyByte;
    for (int round = 0; round < 4; ++round)
        for (int b = 0; b < 256; ++b) everyByte.push_back(static_cast<char>(b ^ round));
    return kestrane::testing::ZipWriter()
        .Deflated("META-INF/MANIFEST.MF",
                  kestrane::testing::ManifestText(
                      {{"MIDlet-1", "Schlange, /s.png, com.example.Snake"}, {"MIDlet-Name", "Schlange"}}))
        .Stored("s.png", "PNG")
        .Deflated("com/example/Snake.class", kestrane::testing::MinimalClass("com/example/Snake"))
        .Stored("data.bin", everyByte)
        .Bytes();
}

const std::string kJad = "MIDlet-1: Schlange, /s.png, com.example.Snake\r\nMIDlet-Name: Schlange\r\nMIDlet-Jar-Size: " +
                         std::to_string(JarBytes().size()) + "\r\n";

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Encode(const std::wstring& text, UINT codePage) {
    std::string out(text.size() * 4, '\0');
    out.resize(WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                   static_cast<int>(out.size()), nullptr, nullptr));
    return out;
}

std::wstring DoublePercents(const std::wstring& line) {
    std::wstring out;
    for (wchar_t c : line) out.append(c == L'%' ? 2 : 1, c);
    return out;
}

std::wstring ShortPath(const fs::path& path) {
    wchar_t out[MAX_PATH] = L"";
    if (!GetShortPathNameW(path.c_str(), out, MAX_PATH)) throw DriverError("GetShortPathName failed");
    return out;
}

std::vector<std::string> MemberNames(const std::vector<kestrane::RarMember>& members) {
    std::vector<std::string> names;
    for (const auto& m : members) names.push_back(m.name);
    return names;
}

// The members of a package, read back; fails the test for a file that is none.
std::vector<kestrane::RarMember> ReadPackage(const fs::path& path) {
    const std::string bytes = ReadBytes(path);
    std::string error;
    auto members = kestrane::ReadRarArchive(bytes, &error);
    EXPECT_TRUE(members.has_value()) << Utf8(path.wstring()) << " is no stored RAR archive: " << error;
    return members.value_or(std::vector<kestrane::RarMember>{});
}

struct ArchiverRun {
    std::wstring cmdline, cwd;
};

// What the stand-in wrote to rar.log: one record per run.
std::vector<ArchiverRun> ReadRuns(const fs::path& log) {
    std::istringstream in(ReadBytes(log));
    std::vector<ArchiverRun> runs;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("cmdline="))
            runs.push_back({Wide(line.substr(8)), {}});
        else if (line.starts_with("cwd=") && !runs.empty())
            runs.back().cwd = Wide(line.substr(4));
    }
    return runs;
}

class PackageBuild : public testing::Test {
protected:
    void SetUp() override {
        rarDir = app.Folder() / L"rar";
        app.InstallStandInArchiver(rarDir);
        jar = app.WriteFile(L"Schlange.jar", JarBytes());
        jad = app.WriteFile(L"Schlange.jad", kJad);
        obj = app.WriteFile(L"Schlange.obj", kObj);
        stj = app.Folder() / L"Schlange.stj";
        app.Start();
    }

    void Fill(const fs::path& stjPath, bool withObj = false) {
        app.SetText(IDC_TXTRAR, (rarDir / L"rar.exe").wstring());
        app.SetText(IDC_TXTJAR, jar.wstring());
        app.SetText(IDC_TXTJAD, jad.wstring());
        app.SetText(IDC_TXTOBJ, withObj ? obj.wstring() : L"  ");
        app.SetText(IDC_TXTINI, kIni);
        app.SetText(IDC_TXTSTJ, stjPath.wstring());
    }
    std::vector<std::wstring> FieldTexts() const {
        std::vector<std::wstring> texts;
        for (int id : kFields) texts.push_back(app.Text(id));
        return texts;
    }
    std::vector<int> EnabledControls() const {
        std::vector<int> enabled;
        for (int id : kAllControls)
            if (IsWindowEnabled(app.Control(id))) enabled.push_back(id);
        return enabled;
    }
    bool WaitLabelShown() const { return IsWindowVisible(app.Control(IDC_LBLWAIT)) != FALSE; }
    testing::AssertionResult Idle() const {
        const std::vector<int> enabled = EnabledControls();
        if (enabled.size() != std::size(kAllControls))
            return testing::AssertionFailure()
                   << "only " << enabled.size() << " of " << std::size(kAllControls) << " controls are enabled";
        if (WaitLabelShown()) return testing::AssertionFailure() << "lblWait still shows";
        return testing::AssertionSuccess();
    }
    // The visible end of a build, whichever thread did its work: only then
    // can a test say that no further box comes.
    void WaitIdle() const {
        WaitFor([&] { return static_cast<bool>(Idle()); }, "every control enabled and lblWait hidden");
    }
    // Clicks "Erstelle STJ" and waits until a box shows (without answering it).
    Ms ClickAndWaitForBox(Ms timeout = 30s) {
        const auto start = Clock::now();
        app.Click(IDC_CMDSTJ);
        WaitFor([&] { return !app.Dialogs().empty(); }, "the result box", timeout);
        return std::chrono::duration_cast<Ms>(Clock::now() - start);
    }
    // The archiver's command line as the batch file should give it: the
    // package goes under its temporary name beside the STJ file.
    std::wstring Command(const std::wstring& stjShown, bool withObj = false) const {
        const std::wstring a = app.ProgramFolder().wstring() + L"\\";
        std::wstring line = L"rar.exe a -m0 -ep \"" + stjShown + L".kestrane-tmp\" \"" + a + L"java.jah\" \"" + a +
                            L"java.utf\" \"" + a + L"stjava.ini\"";
        if (withObj) line += L" \"" + a + L"java.obj\"";
        return line;
    }
    std::vector<ArchiverRun> Runs() const { return ReadRuns(rarDir / L"rar.log"); }

    App app;
    fs::path rarDir, jar, jad, obj, stj;
};

// ---- A build that works ----

class FullBuild : public PackageBuild, public testing::WithParamInterface<bool> {};

TEST_P(FullBuild, StoresTheInputsUnderTheirMemberNamesAndReturnsToIdle) {
    const bool withObj = GetParam();
    Fill(stj, withObj);
    ClickAndWaitForBox();
    EXPECT_TRUE(app.ExpectBox(kBuilt, Icon::Information));
    app.Drain();

    const std::string ini = Encode(kIni, CP_ACP);
    EXPECT_EQ(ReadBytes(app.ProgramFolder() / L"stjava.ini"), ini) << "stjava.ini holds txtINI in ANSI, nothing added";
    const auto members = ReadPackage(stj);
    std::vector<std::pair<std::string, std::string>> expected = {
        {"java.jah", JarBytes()}, {"java.utf", kJad}, {"stjava.ini", ini}};
    if (withObj) expected.emplace_back("java.obj", kObj);
    ASSERT_EQ(members.size(), expected.size()) << testing::PrintToString(MemberNames(members));
    for (size_t i = 0; i < members.size(); ++i) {
        EXPECT_EQ(members[i].name, expected[i].first);
        EXPECT_TRUE(std::string(members[i].data.begin(), members[i].data.end()) == expected[i].second)
            << members[i].name << " differs from its input";
    }

    const auto runs = Runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].cmdline, Command(stj.wstring(), withObj));
    EXPECT_EQ(runs[0].cwd, rarDir.wstring()) << "the archiver runs in the rar folder";
    EXPECT_FALSE(fs::exists(rarDir / L"stj.bat")) << "stj.bat is deleted after the build";
    EXPECT_TRUE(Idle());
    EXPECT_EQ(app.Text(IDC_TXTSTJ), L"");
    EXPECT_EQ(app.Text(IDC_TXTJAR), jar.wstring()) << "the other fields keep their text";
    EXPECT_EQ(app.Text(IDC_TXTINI), kIni);

    app.Click(IDC_CMDSTJ);  // a second press at once
    EXPECT_TRUE(app.ExpectBox(L"STJ-Datei nicht angegeben!"s, Icon::Error));
    EXPECT_TRUE(app.ExpectNoBox());
    EXPECT_EQ(Runs().size(), 1u) << "the archiver ran once";
}

INSTANTIATE_TEST_SUITE_P(PackageBuild, FullBuild, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& param) { return param.param ? "WithObj" : "NoObj"; });

TEST_F(PackageBuild, WhileTheArchiverRunsTheWaitLabelShowsAndEveryControlIsDisabled) {
    app.WriteFile(rarDir / L"rar.sleep", "1500");
    Fill(stj);
    app.Click(IDC_CMDSTJ);
    // lblWait is the last control the build disables.
    WaitFor([&] { return WaitLabelShown() && !IsWindowEnabled(app.Control(IDC_LBLWAIT)); }, "the busy window");
    const auto busy = Clock::now();
    EXPECT_EQ(ReadBytes(rarDir / L"stj.bat"), Encode(DoublePercents(Command(stj.wstring())), CP_OEMCP))
        << "one line in the OEM code page, no line end";

    int samples = 0;
    for (const auto deadline = busy + 30s; Clock::now() < deadline; std::this_thread::sleep_for(30ms)) {
        const bool label = WaitLabelShown();
        const std::vector<int> enabled = EnabledControls();
        if (!app.Dialogs().empty()) break;  // the result came between the reads
        ++samples;
        // The label shows for both settling waits and the archiver's 1.5 s at least.
        if (Clock::now() - busy < 2s) {
            EXPECT_TRUE(label) << "lblWait hidden during the build";
        }
        EXPECT_THAT(enabled, IsEmpty()) << "controls enabled during the build";
    }
    EXPECT_GT(samples, 30) << "the build ended too soon to be watched";
    EXPECT_TRUE(app.ExpectBox(kBuilt, Icon::Information));
    app.Drain();
    EXPECT_TRUE(Idle());
}

// ---- What the archiver did decides the result ----
// The core's tests decide every exit code and file state; these show the
// result box, the real waits and the file times the system reports.

struct OutcomeCase {
    const char* name;
    // Beside the stand-in: rar.fail ends with 3 and writes nothing, rar.half
    // writes half its archive and ends with 5.
    const wchar_t* steering;
    int sleepMs;      // rar.sleep
    bool oldPackage;  // the STJ file exists before the build
    bool built;
};

const OutcomeCase kOutcomes[] = {
    {"ReplacedPackage", nullptr, 0, true, true},
    {"FailingArchiverOverAnOldPackage", L"rar.fail", 0, true, false},
    {"HalfArchiveOverAnOldPackage", L"rar.half", 0, true, false},
    {"HalfArchiveWithoutAnOldPackage", L"rar.half", 0, false, false},
    {"SlowArchiver", nullptr, 5000, false, true},
};

class BuildOutcome : public PackageBuild, public testing::WithParamInterface<OutcomeCase> {};

TEST_P(BuildOutcome, ReportsWhatTheArchiverDid) {
    const OutcomeCase& c = GetParam();
    if (c.steering) app.WriteFile(rarDir / c.steering, "");
    if (c.sleepMs) app.WriteFile(rarDir / L"rar.sleep", std::to_string(c.sleepMs));
    const std::string old = kestrane::WriteRarArchive({{"alt.txt", "alt"}});
    if (c.oldPackage) app.WriteFile(stj, old);
    Fill(stj);

    const Ms took = ClickAndWaitForBox();
    EXPECT_TRUE(c.built ? app.ExpectBox(kBuilt, Icon::Information) : app.ExpectBox(kFailed, Icon::Error));
    app.Drain();
    // One settling second before the start, then the second one or the archiver, whichever is longer.
    EXPECT_GE(took, Ms(1000 + std::max(1000, c.sleepMs)));
    EXPECT_EQ(Runs().size(), 1u);
    EXPECT_FALSE(fs::exists(rarDir / L"stj.bat"));
    EXPECT_TRUE(Idle());
    EXPECT_EQ(app.Text(IDC_TXTSTJ), L"");

    if (c.built)
        EXPECT_THAT(MemberNames(ReadPackage(stj)), ElementsAre("java.jah", "java.utf", "stjava.ini"));
    else if (c.oldPackage)
        EXPECT_TRUE(ReadBytes(stj) == old) << "the old package is left alone";
    else
        EXPECT_FALSE(fs::exists(stj)) << "no package came of it";
    EXPECT_TRUE(std::ranges::none_of(fs::directory_iterator(app.Folder()), [](const auto& entry) {
        return entry.path().extension() == L".kestrane-tmp";
    })) << "a temporary package stayed";
}

INSTANTIATE_TEST_SUITE_P(PackageBuild, BuildOutcome, testing::ValuesIn(kOutcomes), kRowName);

// ---- STJ paths that the command interpreter would mangle ----

struct PathCase {
    const char* name;
    const wchar_t* folder;
    bool shortForm;  // the OEM code page lacks a character: the batch file names the folder's 8.3 form
};

const PathCase kPaths[] = {
    {"Umlauts", L"Spiele für Jürgen", false},
    {"Percent", L"100% fertig %OS%", false},
    {"EuroSign", L"Preis 5 €", true},
};

class StjPath : public PackageBuild, public testing::WithParamInterface<PathCase> {};

TEST_P(StjPath, PackageArrivesWhereTheUserSaid) {
    const PathCase& c = GetParam();
    const fs::path folder = app.Folder() / c.folder;
    fs::create_directories(folder);
    const fs::path target = folder / L"Schlange.stj";
    Fill(target);
    ClickAndWaitForBox();
    EXPECT_TRUE(app.ExpectBox(kBuilt, Icon::Information));
    EXPECT_THAT(MemberNames(ReadPackage(target)), ElementsAre("java.jah", "java.utf", "stjava.ini"));
    const std::wstring shown = c.shortForm ? ShortPath(folder) + L"\\Schlange.stj" : target.wstring();
    const auto runs = Runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].cmdline, Command(shown));
    EXPECT_TRUE(std::ranges::none_of(fs::directory_iterator(app.Folder()), [](const auto& entry) {
        return entry.path().extension() == L".stj";
    })) << "no package beside the intended folder";
}

INSTANTIATE_TEST_SUITE_P(PackageBuild, StjPath, testing::ValuesIn(kPaths), kRowName);

TEST_F(PackageBuild, RelativeStjPathMeansTheProgramsCurrentFolder) {
    Fill(app.Folder() / L"unused.stj");
    app.SetText(IDC_TXTSTJ, L"Relativ.stj");  // the program runs in app.Folder(), rar.exe elsewhere
    ClickAndWaitForBox();
    EXPECT_TRUE(app.ExpectBox(kBuilt, Icon::Information));
    const fs::path target = app.Folder() / L"Relativ.stj";
    EXPECT_THAT(MemberNames(ReadPackage(target)), ElementsAre("java.jah", "java.utf", "stjava.ini"));
    const auto runs = Runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].cmdline, Command(target.wstring()));
}

// ---- Closing during a build ----

TEST_F(PackageBuild, CloseDuringABuildEndsTheProgramAfterTheResultWithTheSettingSaved) {
    app.WriteFile(rarDir / L"rar.sleep", "1000");
    Fill(stj);
    app.Click(IDC_CMDSTJ);
    WaitFor([&] { return WaitLabelShown(); }, "the waiting label");
    PostMessageW(app.Main(), WM_CLOSE, 0, 0);
    app.Drain();
    EXPECT_TRUE(app.Running()) << "the close waits for the build";
    const Box box = app.WaitBox(30s);
    EXPECT_TRUE(app.Running()) << "the result is shown before the program ends";
    EXPECT_EQ(box.text, kBuilt);
    app.Answer(box);
    EXPECT_EQ(app.WaitExit(), 0u);
    EXPECT_EQ(app.Setting(), (RegValue{REG_SZ, (rarDir / L"rar.exe").wstring()}));
    EXPECT_THAT(MemberNames(ReadPackage(stj)), ElementsAre("java.jah", "java.utf", "stjava.ini"));
}

// ---- Nothing else runs in the middle of a build ----

TEST_F(PackageBuild, CommandsPostedDuringABuildAreIgnoredAndWorkAgainAfterIt) {
    app.CopyReadme();
    app.WriteFile(rarDir / L"rar.sleep", "1500");
    const fs::path other = app.WriteFile(L"Andere.jad", "MIDlet-Name: Andere\r\nMIDlet-1: Andere, /a.png, a.Main\r\n");
    Fill(stj);
    app.Click(IDC_CMDSTJ);
    WaitFor([&] { return WaitLabelShown() && !IsWindowEnabled(app.Control(IDC_LBLWAIT)); }, "the busy window");
    // What another program, or an accelerator, could send while the controls are grey.
    app.SetText(IDC_TXTJAD, other.wstring());
    const auto post = [&](int id, bool button) {
        PostMessageW(app.Main(), WM_COMMAND, MAKEWPARAM(id, button ? BN_CLICKED : 0),
                     button ? reinterpret_cast<LPARAM>(app.Control(id)) : 0);
    };
    post(IDC_CMDINI, true);
    post(IDC_CMDSEARCHJAD, true);
    post(IDC_CMDSTJ, true);
    app.Menu(IDM_HELP_HELP);
    app.Menu(IDM_HELP_ABOUT);
    app.Drain();

    // The first window to show is the build's result, and the INI text is untouched.
    const Box box = app.WaitBox(30s);
    EXPECT_EQ(box.text, kBuilt);
    EXPECT_EQ(app.Dialogs().size(), 1u) << "a file dialog opened during the build";
    EXPECT_EQ(app.FindWindowOfClass(KESTRANE_INFO_CLASS), nullptr) << "the About window opened during the build";
    EXPECT_EQ(app.Text(IDC_TXTINI), kIni);
    EXPECT_THAT(app.ShellOpened(), IsEmpty()) << "the readme was opened during the build";
    app.Answer(box);
    WaitIdle();
    EXPECT_TRUE(app.ExpectNoBox());
    EXPECT_EQ(Runs().size(), 1u) << "a second build started";

    // The same command, posted once the build is over, does its work.
    post(IDC_CMDINI, true);
    app.Drain();
    WaitFor([&] { return app.Text(IDC_TXTINI).find(L"suite=Andere") == 0; }, "the INI text of the other JAD");
}

// ---- Failing file operations ----

// Which file operation fails is the core's to test; this shows the system's
// own number reaching the user.
TEST_F(PackageBuild, AMissingJarShowsTheSystemsNumberAndKeepsEveryField) {
    Fill(stj, true);
    app.SetText(IDC_TXTJAR, (app.Folder() / L"fehlt.jar").wstring());
    const auto before = FieldTexts();
    app.Click(IDC_CMDSTJ);
    EXPECT_TRUE(app.ExpectBox(HasSubstr(L"Fehler 2"), Icon::Error));
    ASSERT_TRUE(app.Running());
    WaitIdle();
    EXPECT_TRUE(app.ExpectNoBox());
    EXPECT_EQ(FieldTexts(), before);
    EXPECT_FALSE(fs::exists(rarDir / L"stj.bat"));
    EXPECT_THAT(Runs(), IsEmpty()) << "the archiver did not run";
    EXPECT_FALSE(fs::exists(stj));
}

// ---- Inputs that would cost the user a file, or that cannot work ----

struct RefusedCase {
    const char* name;
    void (*change)(App& app);
    const wchar_t* message;  // a part of it
};

// The STJ path spelled differently from the input it names.
std::wstring Shouted(std::wstring path) {
    std::transform(path.begin(), path.end(), path.begin(), [](wchar_t c) { return static_cast<wchar_t>(towupper(c)); });
    return path;
}

// Which input the STJ path may not name is the core's to test; these show that
// the system's own sense of one file and of a missing folder reaches the user.
const RefusedCase kRefused[] = {
    {"StjIsTheJadInCapitals", [](App& app) { app.SetText(IDC_TXTSTJ, Shouted(app.Text(IDC_TXTJAD))); },
     L"zugleich die JAD-Datei"},
    {"MissingRarFolder", [](App& app) { app.SetText(IDC_TXTRAR, (app.Folder() / L"kein Ordner\\rar.exe").wstring()); },
     L"kein Ordner"},
};

class Refused : public PackageBuild, public testing::WithParamInterface<RefusedCase> {};

TEST_P(Refused, BeforeAnythingIsWrittenWithEveryFieldKept) {
    const RefusedCase& c = GetParam();
    Fill(stj, true);
    c.change(app);
    const auto before = FieldTexts();
    const std::string jarBefore = ReadBytes(jar), jadBefore = ReadBytes(jad), objBefore = ReadBytes(obj);
    app.Click(IDC_CMDSTJ);
    EXPECT_TRUE(app.ExpectBox(HasSubstr(c.message), Icon::Error));
    WaitIdle();
    EXPECT_TRUE(app.ExpectNoBox());
    EXPECT_EQ(FieldTexts(), before);
    EXPECT_FALSE(fs::exists(app.ProgramFolder() / L"stjava.ini")) << "a member was staged";
    EXPECT_FALSE(fs::exists(rarDir / L"stj.bat"));
    EXPECT_THAT(Runs(), IsEmpty()) << "the archiver ran";
    EXPECT_TRUE(ReadBytes(jar) == jarBefore && ReadBytes(jad) == jadBefore && ReadBytes(obj) == objBefore)
        << "an input changed";
}

INSTANTIATE_TEST_SUITE_P(PackageBuild, Refused, testing::ValuesIn(kRefused), kRowName);

// ---- Kestrane packing itself, and today's rar.exe ----

// What readers that no one here wrote make of a package: each that the
// machine has unpacks or tests it; the unpacked members must be the inputs.
void ExpectReadersTakeIt(const fs::path& package, const std::vector<std::pair<std::string, std::string>>& expected) {
    const fs::path folder = package.parent_path();
    const std::string archive = UnixQuoted(package);
    const UnixRun unar = RunOnUnix("rm -rf unar-out && unar -q -D -o unar-out " + archive, folder);
    EXPECT_EQ(unar.exitCode, 0) << "unar: " << unar.output;
    for (const auto& [name, bytes] : expected)
        EXPECT_TRUE(ReadBytes(folder / L"unar-out" / Wide(name)) == bytes) << name << " as unar unpacks it";
    std::size_t unpacked = 0;
    for (const auto& entry : fs::directory_iterator(folder / L"unar-out")) unpacked += entry.is_regular_file();
    EXPECT_EQ(unpacked, expected.size()) << "unar unpacked other members";
    // Where the machine has them: RARLAB's own reader, and 7-Zip with its RAR reader.
    for (const char* test : {"unrar t ", "7z t "}) {
        const std::string program = std::string(test).substr(0, std::string(test).find(' '));
        if (RunOnUnix("command -v " + program, folder).exitCode != 0) continue;
        const UnixRun run = RunOnUnix(test + archive, folder);
        EXPECT_EQ(run.exitCode, 0) << program << ": " << run.output;
        EXPECT_THAT(run.output, testing::AnyOf(HasSubstr("All OK"), HasSubstr("Everything is Ok"))) << program;
    }
}

TEST_F(PackageBuild, WithoutRarExeKestranePacksTheSuiteItselfForTheReadersToTake) {
    Fill(stj, true);
    app.SetText(IDC_TXTRAR, L"");
    ClickAndWaitForBox();
    EXPECT_TRUE(app.ExpectBox(kBuilt, Icon::Information));
    app.Drain();
    EXPECT_FALSE(fs::exists(rarDir / L"rar.log")) << "rar.exe ran";
    EXPECT_EQ(ReadBytes(stj).substr(0, 7), std::string("Rar!\x1A\x07\x00", 7)) << "the phone's RAR format";
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"java.jah", JarBytes()}, {"java.utf", kJad}, {"stjava.ini", Encode(kIni, CP_ACP)}, {"java.obj", kObj}};
    const auto members = ReadPackage(stj);
    EXPECT_EQ(MemberNames(members), (std::vector<std::string>{"java.jah", "java.utf", "stjava.ini", "java.obj"}));
    ExpectReadersTakeIt(stj, expected);
    EXPECT_FALSE(fs::exists(fs::path(stj.wstring() + L".kestrane-tmp"))) << "the temporary package stayed";
    EXPECT_TRUE(Idle());
    EXPECT_EQ(app.Text(IDC_TXTSTJ), L"");
}

// rar.exe 5.50 and later write RAR5 unless told otherwise, and rar 7 writes
// nothing else; the stand-in does so with rar.rar5 beside it.
class TodaysRar : public PackageBuild, public testing::WithParamInterface<bool> {};

TEST_P(TodaysRar, ARar5PackageIsNoSuccessAndTheUserChoosesWhatBecomesOfIt) {
    const bool packItself = GetParam();
    app.WriteFile(rarDir / L"rar.rar5", "");
    Fill(stj, true);
    ClickAndWaitForBox();
    const Box box = app.WaitBox();
    EXPECT_THAT(Utf8(box.text), HasSubstr("RAR5-Format"));
    EXPECT_THAT(Utf8(box.text), HasSubstr("das das Telefon nicht lesen kann"));
    EXPECT_THAT(Utf8(box.text), HasSubstr("selbst packen"));
    EXPECT_THAT(Utf8(box.text), HasSubstr("verworfen")) << "the user hears that rar.exe's file is gone";
    EXPECT_EQ(box.icon, Icon::Warning);
    EXPECT_EQ(App::ButtonText(box, IDYES), L"&Ja");
    EXPECT_EQ(App::ButtonText(box, IDNO), L"&Nein");
    EXPECT_FALSE(fs::exists(stj)) << "nothing the phone cannot read at the STJ file's name";
    EXPECT_FALSE(fs::exists(fs::path(stj.wstring() + L".kestrane-tmp"))) << "the temporary package stayed";
    app.Press(box, packItself ? IDYES : IDNO);
    if (packItself) {
        EXPECT_TRUE(app.ExpectBox(kBuilt, Icon::Information));
        EXPECT_EQ(MemberNames(ReadPackage(stj)),
                  (std::vector<std::string>{"java.jah", "java.utf", "stjava.ini", "java.obj"}));
    }
    WaitIdle();
    if (!packItself) {
        EXPECT_TRUE(app.ExpectNoBox()) << "no word of success for a package the phone cannot read";
    }
    EXPECT_EQ(Runs().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(PackageBuild, TodaysRar, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& param) { return param.param ? "Ja" : "Nein"; });

// ---- Time and processor use ----

// Five builds in a row: each waits its two settling seconds, and Kestrane
// sleeps while it waits rather than spinning.
TEST_F(PackageBuild, BuildTakesTwoSettlingSecondsAndLittleProcessorTime) {
    const auto atStart = ProcessCpuTime(app.Main());
    ASSERT_GT(atStart.count(), 0) << "GetProcessTimes reports nothing for the program";
    std::vector<Ms> took;
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE("build " + std::to_string(i + 1));
        Fill(app.Folder() / (L"Schlange" + std::to_wstring(i) + L".stj"));
        const auto cpuBefore = ProcessCpuTime(app.Main());
        took.push_back(ClickAndWaitForBox());
        const auto cpu = ProcessCpuTime(app.Main()) - cpuBefore;
        ASSERT_TRUE(app.ExpectBox(kBuilt, Icon::Information));
        std::cout << "build " << i + 1 << ": " << took.back().count() << " ms to the result box, " << cpu.count() / 1000
                  << " ms of processor time\n";
        EXPECT_GE(took.back(), 2000ms);
        EXPECT_LT(took.back(), 8000ms);
        EXPECT_LT(cpu * 4, took.back()) << "more than a quarter of the time on the processor: " << cpu.count() << " us";
    }
    std::sort(took.begin(), took.end());
    std::cout << "median " << took[2].count() << " ms\n";
    RecordProperty("median_build_ms", static_cast<int>(took[2].count()));
}

}  // namespace
