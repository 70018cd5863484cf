// "Erstelle STJ": the batch line handed to the user's rar.exe, the success
// check, the order of the build steps as the window and the disk see them,
// and the waits in between.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "package/AppError.h"
#include "package/BatchFile.h"
#include "package/PackageBuild.h"

namespace kestrane {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::AllOf;
using testing::AnyOf;
using testing::Eq;
using testing::ElementsAreArray;
using testing::HasSubstr;
using testing::Matcher;
using testing::StartsWith;

std::chrono::milliseconds Since(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t);
}

TEST(BatchFolder, FolderOfRarExeWithOneTrailingBackslash) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\Tools\\rar.exe", "C:\\Tools\\"}, {"C:\\rar.exe", "C:\\"}, {"\\rar.exe", "\\"}, {"rar.exe", "\\"},
        {"", "\\"}, {"C:\\Program Files\\Packer\\rar.exe", "C:\\Program Files\\Packer\\"},
        {"C:\\Prog (x86)\\A&B^\xC3\xA4\\rar.exe", "C:\\Prog (x86)\\A&B^\xC3\xA4\\"},
        {"\\\\server\\share\\rar.exe", "\\\\server\\share\\"},
        {"C:/Tools/rar.exe", "C:/Tools\\"}, {"C:/rar.exe", "C:/"},
    };
    for (const auto& [rar, folder] : cases) EXPECT_EQ(BatchFolder(rar), folder) << rar;
}

TEST(ArchiverCommand, QuotesEveryPathAndAddsObjOnlyWhenGiven) {
    const std::string base =
        R"(rar.exe a -m0 -ep "D:\out\game.stj" "C:\App\java.jah" "C:\App\java.utf" "C:\App\stjava.ini")";
    struct Case {
        std::string stj, app, obj, line;
    };
    const Case cases[] = {
        {"D:\\out\\game.stj", "C:\\App\\", "", base},
        {"D:\\out\\game.stj", "C:\\App\\", "   ", base},
        {"D:\\out\\game.stj", "C:\\App\\", "C:\\App\\java.obj", base + R"( "C:\App\java.obj")"},
        {"D:\\Meine Spiele (alt)\\A&B^C 100%.stj", "C:\\Pr\xC3\xBC" "fung & Co\\", "",
         "rar.exe a -m0 -ep \"D:\\Meine Spiele (alt)\\A&B^C 100%.stj\" \"C:\\Pr\xC3\xBC" "fung & Co\\java.jah\" "
         "\"C:\\Pr\xC3\xBC" "fung & Co\\java.utf\" \"C:\\Pr\xC3\xBC" "fung & Co\\stjava.ini\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ArchiverCommand(c.stj, c.app + "java.jah", c.app + "java.utf", c.app + "stjava.ini", c.obj), c.line);
}

TEST(EscapePercents, DoublesEveryPercentSign) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""}, {"no sign", "no sign"}, {"D:\\100%\\spiel.stj", "D:\\100%%\\spiel.stj"},
        {"%PATH%", "%%PATH%%"}, {"%%", "%%%%"}, {"%~dp0", "%%~dp0"},
    };
    for (const auto& [line, escaped] : cases) EXPECT_EQ(EscapePercents(line), escaped);
}

// The window and the disk in one, writing everything that happens into one log.
class FakeSystem final : public BuildWindow, public PackageFiles {
public:
    std::string FieldText(Field f) override { return fields[f]; }
    std::string IniText() override { return ini; }
    void ClearStj() override { Add("clear stj"); }
    void ShowWaitLabel(bool on) override { Toggle(label, on, "label on", "label off"); }
    void SetControlsEnabled(bool on) override { Toggle(controls, on, "controls on", "controls off"); }
    std::string AppPath() override { return "C:\\App\\"; }
    void ShowMessage(std::string_view text, MessageIcon icon) override {
        Add((icon == MessageIcon::Critical ? "critical " : "info ") + std::string(text));
    }
    void ProcessPendingEvents() override { ++processed; }
    void WaitForEvent(std::chrono::milliseconds timeout) override { std::this_thread::sleep_for(timeout); }

    struct Run final : ArchiverRun {  // ends `runEndsAfter` after its start, or never
        explicit Run(FakeSystem& s) : sys(s) {}
        std::optional<std::uint32_t> ExitCode() override {
            if (sys.runEndsAfter && Since(sys.runAt) >= *sys.runEndsAfter) return sys.exitCode;
            return std::nullopt;
        }
        void WaitForEndOrEvent(std::chrono::milliseconds timeout) override {
            auto nap = timeout;
            if (sys.runEndsAfter) nap = std::min(nap, std::max(0ms, *sys.runEndsAfter - Since(sys.runAt)));
            std::this_thread::sleep_for(nap);
        }
        FakeSystem& sys;
    };
    std::unique_ptr<ArchiverRun> RunHidden(const std::string& batch, const std::string& folder) override {
        Add("run " + batch);
        runAt = Clock::now();
        runFolder = folder;
        Fail("run");
        return std::make_unique<Run>(*this);
    }

    std::optional<std::string> OemSafePath(const std::string& path) override {
        asked.push_back(path);
        const auto it = oemForms.find(path);
        return it == oemForms.end() ? std::optional(path) : it->second;
    }
    void WriteOemText(const std::string& path, const std::string& text) override { Add("bat " + path + ": " + text); }
    bool AnsiCanRepresent(const std::string& text) override { return text == ini && ansi; }
    void WriteAnsiText(const std::string& path, const std::string& text) override {
        Add("write " + path + " = " + text);
        Fail("write");
    }
    void CopyOver(const std::string& from, const std::string& to) override {
        Add("copy " + from + " -> " + to);
        Fail("copy " + to);
    }
    void Delete(const std::string& path) override {
        Add("delete " + path);
        Fail("delete");
    }
    std::string FullPath(const std::string& path) override {  // the program's current folder is C:\Work
        return path.find(':') == std::string::npos && path.rfind('\\', 0) != 0 ? "C:\\Work\\" + path : path;
    }
    FileStamp Stamp(const std::string& path) override {  // the archiver writes the STJ file once it runs
        EXPECT_EQ(path, FullPath(fields[Field::STJ]));
        return runAt != Clock::time_point{} && Since(runAt) >= stjWrittenAfter ? stampAfter : stampBefore;
    }

    void Add(std::string event) {
        log.push_back(std::move(event));
        at[log.back()] = Clock::now();
    }
    void Toggle(bool& state, bool on, const char* onEvent, const char* offEvent) {
        if (on != state) Add(on ? onEvent : offEvent);  // repeating the same state is not an event
        state = on;
    }
    void Fail(const std::string& op) {
        if (failOn.count(op)) throw AppError("Vorgang " + op + " fehlgeschlagen.", 5, "Zugriff verweigert");
    }

    std::map<Field, std::string> fields{{Field::RAR, "C:\\Tools\\rar.exe"}, {Field::JAR, " D:\\in\\snake.jar"},
                                        {Field::JAD, "D:\\in\\snake.jad"},  {Field::OBJ, "   "},
                                        {Field::STJ, "D:\\out\\game.stj"}};
    std::string ini = "suite=Snake\r\nnum=1\r\ndomain=midp1\r\nmidlet=Snake\r\nicon=/s.png\r\nclass=Main";
    bool ansi = true;
    std::map<std::string, std::optional<std::string>> oemForms;  // paths the OEM code page cannot take as they are
    std::set<std::string> failOn;
    std::optional<std::chrono::milliseconds> runEndsAfter = 0ms;
    std::uint32_t exitCode = 0;
    std::chrono::milliseconds stjWrittenAfter = 0ms;
    FileStamp stampBefore{false, 0, 0}, stampAfter{true, 4096, 1234};

    bool label = false, controls = true;
    int processed = 0;
    Clock::time_point runAt{};
    std::string runFolder;
    std::vector<std::string> asked, log;
    std::map<std::string, Clock::time_point> at;
};

TEST(WriteBatchFile, CarriesShortFormsEscapesPercentsAndRefusesTheRest) {
    FakeSystem sys;
    const std::string stj = "D:\\100%\\Spiele \xE2\x82\xAC\\x.stj";  // the euro sign has no OEM form
    sys.oemForms[stj] = "D:\\100%\\SPIELE~1\\X.STJ";
    EXPECT_EQ(WriteBatchFile("C:\\rar.exe", stj, "j", "u", "i", "C:\\App\\java.obj", sys, sys), "C:\\stj.bat");
    EXPECT_EQ(WriteBatchFile("rar.exe", stj, "j", "u", "i", "", sys, sys), "\\stj.bat");
    EXPECT_EQ(sys.asked, (std::vector<std::string>{stj, "j", "u", "i", "C:\\App\\java.obj", stj, "j", "u", "i"}));
    EXPECT_EQ(sys.log, (std::vector<std::string>{
                           R"(bat C:\stj.bat: rar.exe a -m0 -ep "D:\100%%\SPIELE~1\X.STJ" "j" "u" "i" )"
                           R"("C:\App\java.obj")",
                           R"(bat \stj.bat: rar.exe a -m0 -ep "D:\100%%\SPIELE~1\X.STJ" "j" "u" "i")"}));

    sys.log.clear();
    const std::string jah = "C:\\\xE2\x82\xAC\\java.jah";
    sys.oemForms[jah] = std::nullopt;
    EXPECT_EQ(WriteBatchFile("rar.exe", "s", jah, "u", "i", "o", sys, sys), std::nullopt);
    ASSERT_EQ(sys.log.size(), 1u);  // the message only: no batch file
    EXPECT_THAT(sys.log[0], AllOf(StartsWith("critical "), HasSubstr(jah)));
}

TEST(BuildSucceeded, NeedsExitCodeZeroAndACreatedOrChangedFile) {
    const FileStamp none{false, 0, 0}, old{true, 100, 50}, bigger{true, 200, 50}, newer{true, 100, 51};
    struct Case {
        std::optional<std::uint32_t> code;
        FileStamp before, after;
        bool ok;
    };
    const Case cases[] = {
        {0u, none, old, true},            {0u, old, bigger, true},   {0u, old, newer, true},
        {std::nullopt, none, old, false}, {3u, none, old, false},    {3u, old, newer, false},
        {0u, old, old, false},            {0u, none, none, false},   {0u, old, none, false},
        {0u, FileStamp{false, 7, 9}, none, false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(BuildSucceeded(cases[i].code, cases[i].before, cases[i].after), cases[i].ok) << "case " << i;
}

const std::string kIniWrite =
    "write C:\\App\\stjava.ini = suite=Snake\r\nnum=1\r\ndomain=midp1\r\nmidlet=Snake\r\nicon=/s.png\r\nclass=Main";
const std::string kCopyJar = "copy  D:\\in\\snake.jar -> C:\\App\\java.jah";
const std::string kCopyJad = "copy D:\\in\\snake.jad -> C:\\App\\java.utf";
const std::string kBat = "bat C:\\Tools\\stj.bat: " + std::string(R"(rar.exe a -m0 -ep "D:\out\game.stj" )") +
                         R"("C:\App\java.jah" "C:\App\java.utf" "C:\App\stjava.ini")";
const std::string kRun = "run C:\\Tools\\stj.bat", kDelete = "delete C:\\Tools\\stj.bat";

std::vector<Matcher<std::string>> Staged(std::initializer_list<Matcher<std::string>> rest) {
    std::vector<Matcher<std::string>> events{Eq(kIniWrite), Eq(kCopyJar), Eq(kCopyJad), Eq(kBat)};
    events.insert(events.end(), rest);
    return events;
}

struct BuildCase {
    const char* what;
    std::map<Field, std::string> fields;
    std::set<std::string> failOn;
    std::vector<Matcher<std::string>> log;  // a thrown AppError ends the list with "AppError"
    bool ansi = true;
    std::optional<std::chrono::milliseconds> runEndsAfter = 0ms;
    std::uint32_t exitCode = 0;
    bool stjChanges = true;
    friend void PrintTo(const BuildCase& c, std::ostream* out) { *out << c.what; }
};

const std::string kNoJarJad = "critical " + std::string(kNoJarOrJadMessage);
const std::string kFailed = "critical " + std::string(kFailedMessage);
const std::string kNoOem = "D:\\\xE2\x82\xAC.stj";  // the euro sign has no OEM form and no short name here
const auto kReported =
    Staged({"label on", "controls off", kRun, kDelete, "label off", kFailed, "controls on", "clear stj"});
const auto kRaised = Staged({"label on", "controls off", kRun, kDelete, "label off", "controls on", "AppError"});

const BuildCase kBuildCases[] = {
    // Stopped before anything is written.
    {"no JAR", {{Field::JAR, ""}}, {}, {Eq(kNoJarJad)}},
    {"JAD only spaces, STJ empty too", {{Field::JAD, "   "}, {Field::STJ, ""}}, {}, {Eq(kNoJarJad)}},
    {"both empty, INI not ANSI", {{Field::JAR, " "}, {Field::JAD, ""}, {Field::STJ, " "}}, {}, {Eq(kNoJarJad)}, false},
    {"no STJ, INI not ANSI", {{Field::STJ, "  "}}, {}, {Eq("critical " + std::string(kNoStjMessage))}, false},
    {"INI not ANSI", {}, {}, {Eq("critical " + std::string(kIniNotAnsiMessage))}, false},
    // Stopped while staging: the window never went busy.
    {"copying the JAD fails", {}, {"copy C:\\App\\java.utf"},
     {Eq(kIniWrite), Eq(kCopyJar), Eq(kCopyJad), Eq("AppError")}},
    {"STJ path has no OEM form", {{Field::STJ, kNoOem}}, {},
     {Eq(kIniWrite), Eq(kCopyJar), Eq(kCopyJad), AllOf(StartsWith("critical "), HasSubstr(kNoOem))}},
    // Ran the archiver (one to two seconds each).
    {"exit code 3", {}, {}, kReported, true, 0ms, 3},
    {"STJ file unchanged", {}, {}, kReported, true, 0ms, 0, false},
    {"archiver never ends", {}, {}, kReported, true, std::nullopt},
    {"deleting the batch file fails", {}, {"delete"}, kRaised},
    {"starting the batch file fails", {}, {"run"}, kRaised},
};

class Build : public testing::TestWithParam<BuildCase> {};

TEST_P(Build, StepsAndOutcome) {
    const BuildCase& c = GetParam();
    FakeSystem sys;
    sys.oemForms[kNoOem] = std::nullopt;
    for (const auto& [field, text] : c.fields) sys.fields[field] = text;
    sys.failOn = c.failOn;
    sys.ansi = c.ansi;
    sys.runEndsAfter = c.runEndsAfter;
    sys.exitCode = c.exitCode;
    if (!c.stjChanges) sys.stampBefore = sys.stampAfter;
    const auto started = Clock::now();
    try {
        BuildPackage(sys, sys, 1500ms);
    } catch (const AppError&) {
        sys.log.push_back("AppError");
    }
    EXPECT_THAT(sys.log, ElementsAreArray(c.log));
    EXPECT_FALSE(sys.label);
    EXPECT_TRUE(sys.controls);
    if (sys.at.count(kRun)) {
        EXPECT_GE(sys.at[kRun] - sys.at["label on"], 1000ms);  // the settling wait before the start
        EXPECT_THAT(sys.runFolder, AnyOf(Eq("C:\\Tools"), Eq("C:\\Tools\\")));
    }
    if (sys.at.count(kDelete) && !c.failOn.count("run")) {
        EXPECT_GE(sys.at[kDelete] - sys.runAt, 1000ms);  // and the one after it
        // Giving up at the limit, counted from (just before) the start of the run.
        if (!c.runEndsAfter) {
            EXPECT_GE(sys.at[kDelete] - sys.runAt, 1450ms);
        }
        EXPECT_LT(sys.at[kDelete] - sys.runAt, 2000ms);
    }
    EXPECT_LT(Since(started), 4s);
}

INSTANTIATE_TEST_SUITE_P(Package, Build, testing::ValuesIn(kBuildCases),
                         [](const auto& param) { return "case" + std::to_string(param.index); });

TEST(BuildPackage, SuccessfulBuildWithObjWaitsForTheArchiver) {
    FakeSystem sys;
    sys.fields[Field::OBJ] = " D:\\in\\snake.obj";
    sys.runEndsAfter = 1300ms;  // past the second settling wait
    sys.stjWrittenAfter = 1200ms;
    BuildPackage(sys, sys, 5s);
    EXPECT_EQ(sys.log, (std::vector<std::string>{kIniWrite, kCopyJar, kCopyJad,
                                                 "copy  D:\\in\\snake.obj -> C:\\App\\java.obj",
                                                 kBat + R"( "C:\App\java.obj")", "label on", "controls off", kRun,
                                                 kDelete, "label off", "info " + std::string(kBuiltMessage),
                                                 "controls on", "clear stj"}));
    EXPECT_GE(sys.at[kDelete] - sys.runAt, 1300ms);
    EXPECT_LT(sys.at[kDelete] - sys.runAt, 2000ms);
    EXPECT_GE(sys.processed, 2);
}

TEST(BuildPackage, RelativeStjPathMeansTheProgramsFolderForTheArchiverToo) {
    FakeSystem sys;
    sys.fields[Field::STJ] = "out\\game.stj";
    sys.runEndsAfter = 0ms;
    sys.stjWrittenAfter = 0ms;
    BuildPackage(sys, sys, 5s);
    EXPECT_THAT(sys.log, testing::Contains(HasSubstr(R"(-ep "C:\Work\out\game.stj" ")")));
    EXPECT_THAT(sys.log, testing::Contains("info " + std::string(kBuiltMessage)));
}

// Counts what a wait asks of the window; WaitForEvent really sleeps unless
// events keep arriving.
struct CountingPump final : EventPump {
    void ProcessPendingEvents() override { ++processed; }
    void WaitForEvent(std::chrono::milliseconds timeout) override {
        ++waits;
        EXPECT_GE(timeout, 0ms);
        if (!busy) std::this_thread::sleep_for(timeout);
    }
    bool busy = false;
    int processed = 0, waits = 0;
};

TEST(Delay, WaitsTheTimeSleepingBetweenEventsAndProcessesThemAtLeastOnce) {
    struct Case {
        int ms;
        bool busy;  // events keep coming: the delay still lasts
        std::chrono::milliseconds least, most;
        int mostWaits;
    };
    const Case cases[] = {{50, false, 50ms, 500ms, 5}, {30, true, 30ms, 500ms, 1 << 30},
                          {0, false, 0ms, 20ms, 1}, {-1, false, 0ms, 20ms, 1}, {-5000, false, 0ms, 20ms, 1}};
    for (const Case& c : cases) {
        CountingPump pump;
        pump.busy = c.busy;
        const auto started = Clock::now();
        Delay(c.ms, pump);
        const auto took = Clock::now() - started;
        EXPECT_GE(took, c.least) << c.ms;
        EXPECT_LT(took, c.most) << c.ms;
        EXPECT_GE(pump.processed, 1) << c.ms;
        EXPECT_LE(pump.waits, c.mostWaits) << c.ms;
    }
}

TEST(WaitUntil, ChecksAfterEachRoundOfEventsAndSleepsWhatIsLeft) {
    CountingPump pump;
    int checks = 0;
    std::vector<std::chrono::milliseconds> sleeps;
    EXPECT_TRUE(WaitUntil(5s, pump, [&] { return ++checks == 3 && pump.processed == 3; },
                          [&](std::chrono::milliseconds remaining) { sleeps.push_back(remaining); }));
    ASSERT_EQ(sleeps.size(), 2u);
    for (const auto remaining : sleeps) EXPECT_TRUE(remaining > 4s && remaining <= 5s) << remaining.count();
    // With no time left it still looks once.
    EXPECT_TRUE(WaitUntil(0ms, pump, [] { return true; }, [](std::chrono::milliseconds) {}));
    EXPECT_FALSE(WaitUntil(-5ms, pump, [] { return false; }, [](std::chrono::milliseconds) {}));
}

}  // namespace
}  // namespace kestrane
