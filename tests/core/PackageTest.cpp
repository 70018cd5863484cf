// "Erstelle STJ": the batch line handed to the user's rar.exe, the success
// check, the order of the build steps as the system sees them, and the waits
// in between, all on a fake clock.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "FakeSystem.h"
#include "package/AppError.h"
#include "package/BatchFile.h"
#include "package/PackageBuild.h"
#include "support/RarInMemory.h"

namespace kestrane {
namespace {

using namespace std::chrono_literals;
using testing::AllOf;
using testing::Contains;
using testing::ElementsAreArray;
using testing::Eq;
using testing::HasSubstr;
using testing::Matcher;
using testing::Not;
using testing::StartsWith;
using testing_support::FakeSystem;
using testing_support::Ms;

TEST(BatchFolder, FolderOfRarExeWithOneTrailingBackslash) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\Tools\\rar.exe", "C:\\Tools\\"},
        {"C:\\rar.exe", "C:\\"},
        {"\\rar.exe", "\\"},
        {"rar.exe", "\\"},
        {"", "\\"},
        {"C:\\Program Files\\Packer\\rar.exe", "C:\\Program Files\\Packer\\"},
        {"C:\\Prog (x86)\\A&B^\xC3\xA4\\rar.exe", "C:\\Prog (x86)\\A&B^\xC3\xA4\\"},
        {"\\\\server\\share\\rar.exe", "\\\\server\\share\\"},
        {"C:/Tools/rar.exe", "C:/Tools\\"},
        {"C:/rar.exe", "C:/"},
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
        {"D:\\Meine Spiele (alt)\\A&B^C 100%.stj",
         "C:\\Pr\xC3\xBC"
         "fung & Co\\",
         "",
         "rar.exe a -m0 -ep \"D:\\Meine Spiele (alt)\\A&B^C 100%.stj\" \"C:\\Pr\xC3\xBC"
         "fung & Co\\java.jah\" "
         "\"C:\\Pr\xC3\xBC"
         "fung & Co\\java.utf\" \"C:\\Pr\xC3\xBC"
         "fung & Co\\stjava.ini\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(
            ArchiverCommand("rar.exe", c.stj, c.app + "java.jah", c.app + "java.utf", c.app + "stjava.ini", c.obj),
            c.line);
}

TEST(EscapePercents, DoublesEveryPercentSign) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},       {"no sign", "no sign"}, {"D:\\100%\\spiel.stj", "D:\\100%%\\spiel.stj"}, {"%PATH%", "%%PATH%%"},
        {"%%", "%%%%"}, {"%~dp0", "%%~dp0"},
    };
    for (const auto& [line, escaped] : cases) EXPECT_EQ(EscapePercents(line), escaped);
}

TEST(BuildSucceeded, NeedsExitCodeZeroAndACreatedOrChangedFile) {
    const FileStamp none{false, 0, 0}, old{true, 100, 50}, bigger{true, 200, 50}, newer{true, 100, 51};
    struct Case {
        std::optional<std::uint32_t> code;
        FileStamp before, after;
        bool ok;
    };
    const Case cases[] = {
        {0u, none, old, true},  {0u, old, bigger, true},
        {0u, old, newer, true}, {std::nullopt, none, old, false},
        {3u, none, old, false}, {3u, old, newer, false},
        {0u, old, old, false},  {0u, none, none, false},
        {0u, old, none, false}, {0u, FileStamp{false, 7, 9}, none, false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(BuildSucceeded(cases[i].code, cases[i].before, cases[i].after), cases[i].ok) << "case " << i;
}

TEST(OemSafePath, CarriesTheShortFormOrTheFoldersShortFormOrNothing) {
    FakeSystem sys;
    const std::string euroFile = "D:\\Spiele \xE2\x82\xAC\\x.stj";  // the euro sign has no OEM form
    sys.shortForms[euroFile] = "D:\\SPIELE~1\\X.STJ";
    const std::string newFile = "D:\\Spiele \xE2\x82\xAC\\neu.stj";  // not made yet: only its folder has a short form
    sys.shortForms["D:\\Spiele \xE2\x82\xAC\\"] = "D:\\SPIELE~1\\";
    const std::string stillEuro = "D:\\\xE2\x82\xAC\\a.stj";
    sys.shortForms[stillEuro] = "D:\\\xE2\x82\xAC\\A.STJ";  // a short form that is no better
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"C:\\Pr\xC3\xBC"
         "fung & Co\\100%\\java.jah",
         "C:\\Pr\xC3\xBC"
         "fung & Co\\100%\\java.jah"},
        {euroFile, "D:\\SPIELE~1\\X.STJ"},
        {newFile, "D:\\SPIELE~1\\neu.stj"},
        {stillEuro, std::nullopt},
        {"\xE2\x82\xAC.stj", std::nullopt},
    };
    for (const auto& [path, carried] : cases) EXPECT_EQ(OemSafePath(path, sys), carried) << path;
}

TEST(WriteBatchFile, WritesTheEscapedLineBesideRarExe) {
    FakeSystem sys;
    EXPECT_EQ(WriteBatchFile("C:\\Tools\\", R"(rar.exe a -m0 -ep "D:\100%\x.stj")", sys), "C:\\Tools\\stj.bat");
    EXPECT_EQ(sys.files["C:\\Tools\\stj.bat"], R"(rar.exe a -m0 -ep "D:\100%%\x.stj")");
    EXPECT_EQ(WriteBatchFile("\\", "rar.exe a", sys), "\\stj.bat");
    sys.failOn.insert("write C:\\Tools\\stj.bat");
    EXPECT_THROW(WriteBatchFile("C:\\Tools\\", "x", sys), AppError);
}

// A user's suite on the fake disk, and the request the window would make of it.
struct Suite {
    FakeSystem sys;
    PackageRequest request{"C:\\Tools\\rar.exe",
                           " D:\\in\\snake.jar",
                           "D:\\in\\snake.jad",
                           "   ",
                           "D:\\out\\game.stj",
                           "suite=Snake\r\nnum=1\r\ndomain=midp1\r\nmidlet=Snake\r\nicon=/s.png\r\nclass=Main",
                           "C:\\App\\",
                           "",
                           std::nullopt,
                           std::nullopt,
                           false};
    // What the window does with the busy state, in the same log.
    struct Progress final : BuildProgress {
        explicit Progress(FakeSystem& s) : sys(s) {}
        void WaitingForArchiver(bool waiting) override { sys.Add(waiting ? "busy" : "idle"); }
        FakeSystem& sys;
    } progress{sys};

    Suite() {
        sys.files[" D:\\in\\snake.jar"] = "JARBYTES";
        sys.files["D:\\in\\snake.jad"] = "JADBYTES";
        sys.files["D:\\in\\snake.obj"] = "OBJBYTES";
        sys.files["C:\\Tools\\rar.exe"] = "MZ";
    }
    Outcome Build(const BuildOptions& options = {1000ms, 1000ms, 1500ms}) {
        return BuildPackage(request, sys, options, &progress);
    }
};

const std::string kIniWrite =
    "write C:\\App\\stjava.ini = suite=Snake\r\nnum=1\r\ndomain=midp1\r\nmidlet=Snake\r\nicon=/s.png\r\nclass=Main";
const std::string kCopyJar = "copy  D:\\in\\snake.jar -> C:\\App\\java.jah";
// The JAD is read first: a UTF-16 one is staged as UTF-8, not copied.
const std::string kReadJad = "open D:\\in\\snake.jad";
const std::string kCopyJad = "copy D:\\in\\snake.jad -> C:\\App\\java.utf";
const std::string kBat = "write C:\\Tools\\stj.bat = " + std::string(R"(rar.exe a -m0 -ep "D:\out\game.stj" )") +
                         R"("C:\App\java.jah" "C:\App\java.utf" "C:\App\stjava.ini")";
const std::string kRun = "run C:\\Tools\\stj.bat in C:\\Tools", kDelete = "delete C:\\Tools\\stj.bat";

std::vector<Matcher<std::string>> Staged(std::initializer_list<Matcher<std::string>> rest) {
    std::vector<Matcher<std::string>> events{Eq(kIniWrite), Eq(kCopyJar), Eq(kReadJad), Eq(kCopyJad), Eq(kBat)};
    events.insert(events.end(), rest);
    return events;
}

struct BuildCase {
    const char* what;
    void (*change)(Suite&);
    Outcome::Kind kind;
    std::vector<Matcher<std::string>> log;
    friend void PrintTo(const BuildCase& c, std::ostream* out) { *out << c.what; }
};

const std::string kNoOem = "D:\\\xE2\x82\xAC.stj";  // no OEM form and no short name
const auto kRanAndFailed = Staged({"busy", kRun, kDelete, "idle"});

const BuildCase kBuildCases[] = {
    // Refused before anything is written.
    {"no JAR", [](Suite& s) { s.request.jar = ""; }, Outcome::Kind::InputProblem, {}},
    {"JAD only spaces, STJ empty too",
     [](Suite& s) {
         s.request.jad = "   ";
         s.request.stj = "";
     },
     Outcome::Kind::InputProblem,
     {}},
    {"no STJ, INI not ANSI",
     [](Suite& s) {
         s.request.stj = "  ";
         s.request.iniText += "\xE6\xBC\xA2";
     },
     Outcome::Kind::InputProblem,
     {}},
    {"INI not ANSI", [](Suite& s) { s.request.iniText = "suite=\xE6\xBC\xA2"; }, Outcome::Kind::InputProblem, {}},
    {"STJ path has no OEM form", [](Suite& s) { s.request.stj = kNoOem; }, Outcome::Kind::InputProblem, {}},
    {"STJ is the JAD", [](Suite& s) { s.request.stj = "d:\\IN\\Snake.JAD"; }, Outcome::Kind::InputProblem, {}},
    {"no rar.exe in its folder",
     [](Suite& s) { s.sys.files.erase("C:\\Tools\\rar.exe"); },
     Outcome::Kind::InputProblem,
     {}},
    {"staging folder has no OEM form",
     [](Suite& s) { s.request.stagingFolder = "C:\\\xE2\x82\xAC\\"; },
     Outcome::Kind::InputProblem,
     {}},
    // Stopped while staging: the window never went busy.
    {"copying the JAD fails",
     [](Suite& s) { s.sys.failOn.insert("copy C:\\App\\java.utf"); },
     Outcome::Kind::SystemError,
     {Eq(kIniWrite), Eq(kCopyJar), Eq(kReadJad), Eq(kCopyJad)}},
    {"the JAR is gone",
     [](Suite& s) { s.sys.files.erase(" D:\\in\\snake.jar"); },
     Outcome::Kind::SystemError,
     {Eq(kIniWrite), Eq(kCopyJar)}},
    {"rar.exe's folder cannot be written", [](Suite& s) { s.sys.failOn.insert("write C:\\Tools\\stj.bat"); },
     Outcome::Kind::SystemError, Staged({})},
    // The archiver ran.
    {"exit code 3", [](Suite& s) { s.sys.archiver.exitCode = 3; }, Outcome::Kind::ArchiverFailed,
     Staged({"busy", kRun, "archived D:\\out\\game.stj", kDelete, "idle"})},
    {"no package written", [](Suite& s) { s.sys.archiver.writesPackage = false; }, Outcome::Kind::ArchiverFailed,
     kRanAndFailed},
    {"archiver never ends", [](Suite& s) { s.sys.archiver.endsAfter.reset(); }, Outcome::Kind::ArchiverFailed,
     kRanAndFailed},
    {"deleting the batch file fails", [](Suite& s) { s.sys.failOn.insert("delete C:\\Tools\\stj.bat"); },
     Outcome::Kind::SystemError, Staged({"busy", kRun, "archived D:\\out\\game.stj", kDelete, "idle"})},
    {"starting the batch file fails", [](Suite& s) { s.sys.failOn.insert("run"); }, Outcome::Kind::SystemError,
     Staged({"busy", kRun, kDelete, "idle"})},
};

class Build : public testing::TestWithParam<BuildCase> {};

TEST_P(Build, StepsAndOutcome) {
    const BuildCase& c = GetParam();
    Suite suite;
    c.change(suite);
    const std::map<std::string, std::string> before = suite.sys.files;
    const Outcome outcome = suite.Build();
    EXPECT_EQ(outcome.kind, c.kind);
    EXPECT_THAT(suite.sys.log, ElementsAreArray(c.log));
    EXPECT_FALSE(outcome.message.empty());
    EXPECT_EQ(outcome.error.has_value(), c.kind == Outcome::Kind::SystemError);
    if (c.kind == Outcome::Kind::InputProblem) {
        EXPECT_EQ(suite.sys.files, before);  // nothing written
    }
    // The batch file is gone afterwards, unless deleting it was what failed.
    const bool deleteFails = suite.sys.failOn.count("delete C:\\Tools\\stj.bat") > 0;
    EXPECT_EQ(suite.sys.files.count("C:\\Tools\\stj.bat"), deleteFails ? 1u : 0u);
    if (suite.sys.at.count(kRun)) {
        // The settling wait before the start, the one after it, and the limit
        // counted from the start, all on the fake clock.
        EXPECT_EQ(suite.sys.at[kRun] - suite.sys.at["busy"], 1000ms);
        const Ms ran = suite.sys.at[kDelete] - suite.sys.at[kRun];
        if (!suite.sys.failOn.count("run")) {
            EXPECT_GE(ran, 1000ms);
        }
        if (!suite.sys.archiver.endsAfter) {
            EXPECT_EQ(ran, 1500ms);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Package, Build, testing::ValuesIn(kBuildCases),
                         [](const auto& param) { return "case" + std::to_string(param.index); });

TEST(BuildPackage, MessagesOfTheRefusalsAndResults) {
    struct Case {
        void (*change)(Suite&);
        Matcher<const std::string&> message;
    };
    const Case cases[] = {
        {[](Suite& s) { s.request.jar = " "; }, Eq("JAR- oder JAD-Datei nicht angegeben!")},
        {[](Suite& s) {
             s.request.jad = " ";
             s.request.stj = "";
         },
         Eq("JAR- oder JAD-Datei nicht angegeben!")},
        {[](Suite& s) { s.request.stj = ""; }, Eq("STJ-Datei nicht angegeben!")},
        {[](Suite& s) { s.request.stj = kNoOem; }, HasSubstr(kNoOem)},
        {[](Suite& s) { s.request.iniText = "\xE6\xBC\xA2"; }, HasSubstr("ANSI")},
        {[](Suite& s) { s.request.stj = s.request.jar; }, HasSubstr("zugleich die JAR-Datei")},
        {[](Suite& s) { s.request.stj = "d:\\IN\\Snake.JAD"; }, HasSubstr("zugleich die JAD-Datei")},
        {[](Suite& s) { s.request.obj = "D:\\out\\game.stj"; }, HasSubstr("zugleich die OBJ-Datei")},
        {[](Suite& s) {
             s.request.rar = "C:\\Tools\\winrar.exe";
             s.sys.files.erase("C:\\Tools\\rar.exe");
         },
         HasSubstr("C:\\Tools\\")},
        {[](Suite& s) { s.request.rar = "  "; }, Eq("STJ-Datei erstellt!")},  // Kestrane packs it itself
        {[](Suite&) {}, Eq("STJ-Datei erstellt!")},
        {[](Suite& s) { s.sys.archiver.exitCode = 1; }, Eq("Erstellen fehlgeschlagen!")},
        // rar.exe ended well, but what it wrote is neither RAR 4 nor RAR5: still no package for the phone.
        {[](Suite& s) {
             s.sys.archiver.writesPackage = false;
             s.sys.Schedule(500ms, [&s] { s.sys.files["D:\\out\\game.stj"] = "PK\x03\x04"; });
         },
         Eq("Erstellen fehlgeschlagen!")},
        {[](Suite& s) { s.sys.failOn.insert("copy C:\\App\\java.jah"); },
         AllOf(HasSubstr("java.jah"), HasSubstr("Fehler 5: Zugriff verweigert"))},
        {[](Suite& s) { s.request.obj = "D:\\in\\fehlt.obj"; }, AllOf(HasSubstr("fehlt.obj"), HasSubstr("Fehler 2"))},
        {[](Suite& s) { s.sys.files.erase("D:\\in\\snake.jad"); },
         AllOf(HasSubstr("snake.jad"), HasSubstr("Fehler 2"))},
    };
    for (const Case& c : cases) {
        Suite suite;
        c.change(suite);
        EXPECT_THAT(suite.Build().message, c.message);
    }
}

TEST(BuildPackage, BuildsAPackageWithoutAWindowOrWaits) {
    Suite suite;
    suite.request.obj = "D:\\in\\snake.obj";
    suite.sys.archiver.endsAfter = 250ms;
    const Outcome outcome = BuildPackage(suite.request, suite.sys);
    EXPECT_EQ(outcome.kind, Outcome::Kind::Built);
    EXPECT_EQ(suite.sys.Archived("D:\\out\\game.stj"),
              "java.jah=JARBYTES;java.utf=JADBYTES;stjava.ini=" + suite.request.iniText + ";java.obj=OBJBYTES;");
    EXPECT_EQ(suite.sys.at[kRun], 0ms);       // no settling wait
    EXPECT_EQ(suite.sys.at[kDelete], 250ms);  // as soon as the archiver ended
    EXPECT_THAT(suite.sys.log, Not(Contains("busy")));
    EXPECT_EQ(suite.sys.files.count("C:\\Tools\\stj.bat"), 0u);
}

// "Erstelle STJ" after "Ja" on the UTF-16 finding: the phone reads java.utf
// as UTF-8 only, so rar.exe's staged copy and Kestrane's own member are UTF-8.
TEST(BuildPackage, AUtf16JadBecomesUtf8InThePackageWhicheverWayItIsPacked) {
    auto utf16le = [](const std::string& ascii) {
        std::string out = "\xFF\xFE";
        for (const char c : ascii) out += std::string{c, '\0'};
        return out;
    };
    const std::string wide = utf16le("MIDlet-Name: Snake\r\nMIDlet-Jar-Size: 3\r\n");
    for (const bool itself : {false, true}) {
        using Size = std::optional<std::uint64_t>;
        for (const Size corrected : {Size(), Size(8)}) {
            SCOPED_TRACE(std::string(itself ? "itself" : "rar.exe") + (corrected ? ", size corrected" : ""));
            Suite suite;
            suite.sys.files["D:\\in\\snake.jad"] = wide;
            if (itself) suite.request.rar = "";
            suite.request.correctedJarSize = corrected;
            EXPECT_EQ(BuildPackage(suite.request, suite.sys).kind, Outcome::Kind::Built);
            const std::string utf =
                std::string("MIDlet-Name: Snake\r\nMIDlet-Jar-Size: ") + (corrected ? "8" : "3") + "\r\n";
            EXPECT_EQ(suite.sys.Archived("D:\\out\\game.stj"),
                      "java.jah=JARBYTES;java.utf=" + utf + ";stjava.ini=" + suite.request.iniText + ";");
            EXPECT_EQ(suite.sys.files["D:\\in\\snake.jad"], wide) << "the user's JAD stays as it is";
        }
    }
}

TEST(BuildPackage, StartedDirectlyNoBatchFileAndNoPathNeedsAnOemForm) {
    Suite suite;
    suite.request.stj = "D:\\\xE2\x82\xAC\\game.stj";  // would have no OEM form in a batch file
    suite.sys.archiver.endsAfter = 40ms;
    BuildOptions direct;
    direct.startDirectly = true;
    EXPECT_EQ(BuildPackage(suite.request, suite.sys, direct).kind, Outcome::Kind::Built);
    EXPECT_THAT(suite.sys.log, Contains(R"(start "C:\Tools\rar.exe" a -m0 -ep "D:\)"
                                        "\xE2\x82\xAC"
                                        R"(\game.stj" )"
                                        R"("C:\App\java.jah" "C:\App\java.utf" "C:\App\stjava.ini" in C:\Tools)"));
    EXPECT_THAT(suite.sys.log, Not(Contains(HasSubstr("stj.bat"))));
    EXPECT_EQ(suite.sys.at["archived D:\\\xE2\x82\xAC\\game.stj"], 40ms);
    EXPECT_FALSE(suite.sys.Archived("D:\\\xE2\x82\xAC\\game.stj").empty());
}

// A temporary package left from a crash is deleted before rar.exe runs, and
// its short name with it: the batch file names it by its folder's short form.
TEST(BuildPackage, ALeftoverTemporaryPackageIsNamedByItsFoldersShortForm) {
    Suite suite;
    suite.request.stj = "D:\\\xE2\x82\xAC\\game.stj";  // the euro sign has no OEM form
    suite.sys.files[suite.request.stj + ".kestrane-tmp"] = "half a package";
    suite.sys.shortForms[suite.request.stj + ".kestrane-tmp"] = "D:\\EURO~1\\GAME~1.KES";
    suite.sys.shortForms["D:\\\xE2\x82\xAC\\"] = "D:\\EURO~1\\";
    BuildOptions options{1000ms, 1000ms, 1500ms};
    options.replaceWhenGood = true;
    suite.Build(options);
    EXPECT_THAT(suite.sys.log, Contains(HasSubstr(R"(-ep "D:\EURO~1\game.stj.kestrane-tmp" )")));
}

// Today's rar.exe writes RAR5, which the phone cannot read: that is no
// success, and the same request packed by Kestrane itself is the way on.
TEST(BuildPackage, ARar5PackageFromRarExeIsTheWrongFormatAndKestranePacksItItself) {
    Suite suite;
    suite.sys.archiver.writesRar5 = true;
    const Outcome outcome = suite.Build();
    EXPECT_EQ(outcome.kind, Outcome::Kind::WrongFormat);
    EXPECT_EQ(outcome.message,
              "rar.exe hat die STJ-Datei im neuen RAR5-Format geschrieben, das das Telefon nicht lesen kann.");
    EXPECT_EQ(outcome.exitCode, 0u);
    EXPECT_FALSE(outcome.error.has_value());

    suite.sys.log.clear();
    BuildOptions itself;
    itself.checked = itself.packItself = true;
    const Outcome again = BuildPackage(suite.request, suite.sys, itself, &suite.progress);
    EXPECT_EQ(again.kind, Outcome::Kind::Built) << again.message;
    EXPECT_EQ(suite.sys.Archived("D:\\out\\game.stj"),
              "java.jah=JARBYTES;java.utf=JADBYTES;stjava.ini=" + suite.request.iniText + ";");
    EXPECT_THAT(suite.sys.log, Not(Contains(HasSubstr("rar.exe"))));
}

TEST(BuildPackage, WindowBuildWaitsForTheSlowArchiverPastTheSettlingWaits) {
    Suite suite;
    suite.sys.archiver.endsAfter = 1300ms;
    EXPECT_EQ(suite.Build({1000ms, 1000ms, 5000ms}).kind, Outcome::Kind::Built);
    EXPECT_EQ(suite.sys.at[kDelete] - suite.sys.at[kRun], 1300ms);
}

TEST(BuildPackage, PackageThatExistedIsBuiltOnlyWhenTheArchiverChangedIt) {
    Suite suite;
    suite.sys.files["D:\\out\\game.stj"] = "OLD";
    suite.sys.archiver.exitCode = 2;
    EXPECT_EQ(suite.Build().kind, Outcome::Kind::ArchiverFailed);  // exists, but the archiver said no
    suite.sys.archiver.exitCode = 0;
    suite.sys.now += 1000ms;
    EXPECT_EQ(suite.Build().kind, Outcome::Kind::Built);
}

TEST(BuildPackage, RelativeStjPathMeansTheProgramsFolderForTheArchiverToo) {
    Suite suite;
    suite.request.stj = "out\\game.stj";
    EXPECT_EQ(suite.Build().kind, Outcome::Kind::Built);
    EXPECT_THAT(suite.sys.log, Contains(HasSubstr(R"(-ep "C:\Work\out\game.stj" ")")));
    EXPECT_FALSE(suite.sys.Archived("C:\\Work\\out\\game.stj").empty());
}

// A program installed for all users, rar.exe in a protected folder of its
// own: what cannot be written there goes to the user's own folder, and the
// archiver still runs in the folder of rar.exe.
TEST(BuildPackage, ProtectedFoldersFallBackToTheUsersOwnFolder) {
    struct Case {
        bool programProtected, rarProtected;
        std::string stagedIn, batchIn;
    };
    const std::string user = "C:\\Users\\kim\\AppData\\Local\\Kestrane\\";
    const Case cases[] = {
        {false, false, "C:\\App\\", "C:\\Tools\\"},
        {true, false, user, "C:\\Tools\\"},
        {false, true, "C:\\App\\", user},
        {true, true, user, user},
    };
    for (const Case& c : cases) {
        Suite suite;
        suite.request.userFolder = user;
        if (c.programProtected) suite.sys.writeProtected.insert("C:\\App\\");
        if (c.rarProtected) suite.sys.writeProtected.insert("C:\\Tools\\");
        const Outcome outcome = suite.Build();
        EXPECT_EQ(outcome.kind, Outcome::Kind::Built) << outcome.message;
        EXPECT_EQ(suite.sys.Archived("D:\\out\\game.stj"),
                  "java.jah=JARBYTES;java.utf=JADBYTES;stjava.ini=" + suite.request.iniText + ";");
        EXPECT_THAT(suite.sys.log, Contains(StartsWith("write " + c.stagedIn + "stjava.ini")));
        EXPECT_THAT(suite.sys.log, Contains("run " + c.batchIn + "stj.bat in C:\\Tools"));
        EXPECT_EQ(suite.sys.files.count(c.batchIn + "stj.bat"), 0u);
        const bool userFolderUsed = c.programProtected || c.rarProtected;
        EXPECT_EQ(suite.sys.at.count("create " + user), userFolderUsed ? 1u : 0u);
    }
}

TEST(BuildPackage, WithoutAUserFolderAProtectedFolderIsReported) {
    Suite suite;
    suite.sys.writeProtected.insert("C:\\App\\");
    const Outcome outcome = suite.Build();
    EXPECT_EQ(outcome.kind, Outcome::Kind::SystemError);
    EXPECT_THAT(outcome.message, HasSubstr("C:\\App\\stjava.ini"));
}

// Where even the user's own folder cannot be made, the build says so as it
// says every system failure, and throws nothing at the window.
TEST(BuildPackage, AUserFolderThatCannotBeMadeIsASystemError) {
    Suite suite;
    const std::string user = "C:\\Users\\kim\\AppData\\Local\\Kestrane\\";
    suite.request.userFolder = user;
    suite.sys.writeProtected.insert("C:\\App\\");
    suite.sys.failOn.insert("create " + user);
    Outcome outcome;
    EXPECT_NO_THROW(outcome = suite.Build());
    EXPECT_EQ(outcome.kind, Outcome::Kind::SystemError);
    EXPECT_THAT(outcome.message, HasSubstr(user));
    EXPECT_TRUE(suite.sys.Archived("D:\\out\\game.stj").empty());
}

// ---- Kestrane packing itself: no rar.exe named ----

const std::string kStj = "D:\\out\\game.stj";
const std::string kTemporary = kStj + ".kestrane-tmp";
const std::string kOldPackage = "an STJ file the user made last week";

// The suite packed by Kestrane itself, as the window asks for it.
struct OwnPacking : Suite {
    OwnPacking() { request.rar = ""; }
    std::vector<RarMember> Members() const {
        const auto members = ReadRarArchive(sys.files.at(kStj));
        return members.value_or(std::vector<RarMember>{});
    }
    // Every file Kestrane could have left beside the package.
    std::vector<std::string> LeftBeside() const {
        std::vector<std::string> left;
        for (const auto& [path, bytes] : sys.files)
            if (path.rfind(kStj, 0) == 0 && path != kStj) left.push_back(path);
        return left;
    }
};

TEST(PackItself, MembersInThePhonesOrderWithTheirFilesTimesWhileTheWindowIsBusy) {
    OwnPacking suite;
    suite.request.obj = "D:\\in\\snake.obj";
    suite.sys.lastWrites[" D:\\in\\snake.jar"] = testing_support::LocalTime(2004, 3, 1, 9, 15, 20);
    suite.sys.lastWrites["D:\\in\\snake.jad"] = testing_support::LocalTime(2004, 3, 2, 10, 0, 0);
    suite.sys.lastWrites["D:\\in\\snake.obj"] = testing_support::LocalTime(2003, 12, 24, 18, 30, 0);
    suite.sys.localNow = testing_support::LocalTime(2004, 9, 4, 20, 30, 10);

    const Outcome outcome = suite.Build();
    EXPECT_EQ(outcome.kind, Outcome::Kind::Built) << outcome.message;
    EXPECT_EQ(outcome.message, "STJ-Datei erstellt!");
    const std::vector<RarMember> members = suite.Members();
    ASSERT_EQ(members.size(), 4u);
    const std::string names[] = {"java.jah", "java.utf", "stjava.ini", "java.obj"};
    const std::string data[] = {"JARBYTES", "JADBYTES", suite.request.iniText, "OBJBYTES"};
    const std::uint32_t times[] = {DosDateTime({2004, 3, 1, 9, 15, 20}), DosDateTime({2004, 3, 2, 10, 0, 0}),
                                   DosDateTime({2004, 9, 4, 20, 30, 10}), DosDateTime({2003, 12, 24, 18, 30, 0})};
    for (std::size_t i = 0; i < members.size(); ++i) {
        EXPECT_EQ(members[i].name, names[i]);
        EXPECT_EQ(members[i].data, data[i]) << members[i].name;
        EXPECT_EQ(members[i].dosTime, times[i]) << members[i].name;
        EXPECT_EQ(members[i].attributes, 0x20u) << members[i].name << ": the archive attribute";
    }
    EXPECT_THAT(suite.LeftBeside(), testing::IsEmpty());
    EXPECT_THAT(suite.sys.log, Not(Contains(HasSubstr("stj.bat"))));
    EXPECT_THAT(suite.sys.log, Not(Contains(HasSubstr("C:\\App\\")))) << "nothing staged";
    // Busy while the package is put in place, and none of the window's settling waits.
    const auto& log = suite.sys.log;
    const auto busy = std::find(log.begin(), log.end(), "busy");
    const auto idle = std::find(log.begin(), log.end(), "idle");
    ASSERT_NE(busy, log.end());
    ASSERT_NE(idle, log.end());
    EXPECT_TRUE(std::find_if(busy, idle, [](const std::string& e) { return e.rfind("move ", 0) == 0; }) != idle);
    EXPECT_EQ(suite.sys.now, 0ms);
}

// Nothing that lay there before, an earlier package or half of one from a
// crash, gets into the package or stays beside it.
TEST(PackItself, ThePackageHoldsExactlyThisBuildsMembers) {
    OwnPacking suite;
    suite.sys.files[kStj] = WriteRarArchive({{"java.jah", "old"}, {"java.obj", "old OBJ"}});
    suite.sys.files[kTemporary] = "half a package";
    EXPECT_EQ(suite.Build().kind, Outcome::Kind::Built);
    EXPECT_EQ(suite.sys.Archived(kStj),
              "java.jah=JARBYTES;java.utf=JADBYTES;stjava.ini=" + suite.request.iniText + ";");
    EXPECT_THAT(suite.LeftBeside(), testing::IsEmpty());
}

// Whatever fails, the old package stays as it was and nothing is left beside it.
TEST(PackItself, AFailureLeavesTheOldPackageAndNoTemporaryFile) {
    struct Case {
        const char* what;
        std::function<void(FakeSystem&)> fault;
        const char* says;  // in the message the user sees
    };
    const Case cases[] = {
        {"the JAR cannot be read", [](FakeSystem& s) { s.failOn.insert("open  D:\\in\\snake.jar"); },
         "Zugriff verweigert"},
        {"the package cannot be written", [](FakeSystem& s) { s.failOn.insert("write " + kTemporary); },
         "Zugriff verweigert"},
        {"the package comes back damaged", [](FakeSystem& s) { s.damagedOnWrite.insert(kTemporary); }, "Nachlesen"},
        {"the package cannot be read back", [](FakeSystem& s) { s.failOn.insert("open " + kTemporary); },
         "Zugriff verweigert"},
        {"the package cannot replace the old one", [](FakeSystem& s) { s.failOn.insert("move " + kStj); },
         "Zugriff verweigert"},
        {"and then the temporary file cannot be deleted either",
         [](FakeSystem& s) {
             s.damagedOnWrite.insert(kTemporary);
             s.failOn.insert("delete " + kTemporary);
         },
         "Nachlesen"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OwnPacking suite;
        suite.sys.files[kStj] = kOldPackage;
        c.fault(suite.sys);
        const Outcome outcome = suite.Build();
        EXPECT_EQ(outcome.kind, Outcome::Kind::SystemError);
        EXPECT_THAT(outcome.message, HasSubstr(c.says));
        EXPECT_EQ(suite.sys.files[kStj], kOldPackage);
        if (!suite.sys.failOn.count("delete " + kTemporary)) {
            EXPECT_THAT(suite.LeftBeside(), testing::IsEmpty());
        }
        EXPECT_EQ(suite.sys.log.back(), "idle") << "the window is told the packing is over";
    }
}

TEST(PackItself, ARelativeStjPathMeansTheProgramsFolder) {
    OwnPacking suite;
    suite.request.stj = "game.stj";
    EXPECT_EQ(suite.Build().kind, Outcome::Kind::Built);
    EXPECT_EQ(FormatOf(suite.sys.files["C:\\Work\\game.stj"]), ArchiveFormat::Rar4);
}

}  // namespace
}  // namespace kestrane
