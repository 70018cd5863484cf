// "Ordner umwandeln" on the fake disk: which files become suites, what each
// package holds, what each suite's result says, the refusals, a cancel, the
// list written at the end, and the working folder left empty.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "FakeSystem.h"
#include "package/FolderConversion.h"
#include "support/RarInMemory.h"
#include "package/SuiteFiles.h"
#include "support/ClassBytes.h"
#include "support/ZipWriter.h"

namespace kestrane {
namespace {

using namespace std::chrono_literals;
using ::testing::AllOf;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::Eq;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Matcher;
using ::testing::Not;
using ::testing::StartsWith;
using testing_support::FakeSystem;

const std::string kRar = "C:\\Tools\\rar.exe";
const std::string kIn = "D:\\Spiele\\";
const std::string kOut = "E:\\STJ\\";

std::string Jar(const std::string& name, const std::string& cls, bool withMidlet = true) {
    std::vector<std::pair<std::string, std::string>> manifest = {
        {"Manifest-Version", "1.0"}, {"MIDlet-Name", name}, {"MIDlet-Version", "1.0"}, {"MIDlet-Vendor", "Example"}};
    if (withMidlet) manifest.emplace_back("MIDlet-1", name + ", /i.png, " + cls);
    return kestrane::testing::ZipWriter()
        .Deflated("META-INF/MANIFEST.MF", kestrane::testing::ManifestText(manifest))
        .Stored("i.png", "PNG")
        .Deflated(cls + ".class", kestrane::testing::MinimalClass(cls, "javax/microedition/midlet/MIDlet", name))
        .Bytes();
}

std::string Jad(const std::string& name, const std::string& cls, std::size_t size) {
    return "MIDlet-1: " + name + ", /i.png, " + cls + "\r\nMIDlet-Name: " + name +
           "\r\nMIDlet-Version: 1.0\r\nMIDlet-Vendor: Example\r\nMIDlet-Jar-Size: " + std::to_string(size) + "\r\n";
}

// The six lines the phone reads, for a suite of one MIDlet named like the suite.
std::string Ini(const std::string& name, const std::string& cls) {
    return "suite=" + name + "\r\nnum=1\r\ndomain=midp1\r\nmidlet=" + name + "\r\nicon=/i.png\r\nclass=" + cls;
}

// What the fake archiver stores: each member as "name=bytes;", in the order given.
std::string Package(const std::string& jar, const std::string& jad, const std::string& ini) {
    return "java.jah=" + jar + ";java.utf=" + jad + ";stjava.ini=" + ini + ";";
}

struct Recorder final : FolderListener {
    std::vector<std::size_t> found;
    std::vector<SuiteResult> results;
    std::function<bool(std::size_t finished)> cancel = [](std::size_t) { return false; };
    void SuitesFound(std::size_t count) override { found.push_back(count); }
    void SuiteFinished(std::size_t index, const SuiteResult& result) override {
        EXPECT_EQ(index, results.size());
        results.push_back(result);
    }
    bool Cancelled() override { return cancel(results.size()); }

    std::vector<std::string> Files() const {
        std::vector<std::string> files;
        for (const SuiteResult& r : results) files.push_back(r.file);
        return files;
    }
    const SuiteResult& Of(const std::string& file) const {
        for (const SuiteResult& r : results)
            if (r.file == file) return r;
        throw std::runtime_error("no result for " + file);
    }
};

struct Disk {
    FakeSystem sys;
    FolderJob job;
    Recorder listener;

    // The user's rar.exe, as the conversion has always run it; the tests of
    // Kestrane's own packer turn it off.
    Disk() {
        sys.files[kRar] = "MZ";
        job.useArchiver = true;
        job.rar = kRar;
        job.source = "D:\\Spiele";  // without its backslash, as a user types it
        job.target = kOut;
        job.workFolder = sys.MakeWorkFolder();
    }
    std::map<std::string, std::string> Below(const std::string& folder) const {
        std::map<std::string, std::string> found;
        for (const auto& [path, bytes] : sys.files)
            if (path.rfind(folder, 0) == 0) found[path] = bytes;
        return found;
    }
    FolderSummary Run() { return ConvertFolder(job, sys, listener); }
};

TEST(ConvertFolder, EveryJarIsOneSuiteAndEachResultSaysWhatBecameOfIt) {
    Disk disk;
    FakeSystem& sys = disk.sys;
    const std::string snake = Jar("Snake", "snake/Main"), tetris = Jar("Tetris", "t/T"), sized = Jar("Sized", "s/S");
    sys.files[kIn + "Snake.jar"] = snake;
    sys.files[kIn + "Snake.jad"] = Jad("Snake", "snake/Main", snake.size());
    sys.files[kIn + "Tetris.JAR"] = tetris;  // no JAD: one is made from its manifest
    sys.files[kIn + "Sized.jar"] = sized;
    sys.files[kIn + "Sized.jad"] = Jad("Sized", "s/S", 17);
    sys.files[kIn + "broken.jar"] = snake.substr(0, snake.size() / 2);
    sys.files[kIn + "plain.jar"] = kestrane::testing::ZipWriter().Stored("a.class", "x").Bytes();
    sys.files[kIn + "nomidlet.jar"] = Jar("Leer", "l/L", false);
    sys.files[kIn + "liesmich.txt"] = "text";
    sys.files[kIn + "jar"] = "no extension of its own";
    sys.files[kIn + "Ärger.jar"] = Jar("Aerger", "a/A");
    sys.files[kIn + "sub\\Deep.jar"] = Jar("Deep", "d/D");
    const auto sourceBefore = disk.Below(kIn);

    const FolderSummary summary = disk.Run();
    const Recorder& seen = disk.listener;

    EXPECT_THAT(seen.found, ElementsAre(7u)) << "found once, before the first suite; subfolders not asked for";
    EXPECT_THAT(seen.Files(), ElementsAre("broken.jar", "nomidlet.jar", "plain.jar", "Sized.jar", "Snake.jar",
                                          "Tetris.JAR", "Ärger.jar"))
        << "alphabetical without regard to case, letters beyond ASCII after it";
    EXPECT_EQ(seen.Of("Snake.jar").status, SuiteStatus::Built);
    EXPECT_EQ(seen.Of("Snake.jar").result, "erstellt");
    EXPECT_EQ(seen.Of("Snake.jar").suite, "Snake");
    EXPECT_EQ(sys.Archived(kOut + "Snake.stj"),
              Package(snake, Jad("Snake", "snake/Main", snake.size()), Ini("Snake", "snake/Main")));

    const SuiteResult& made = seen.Of("Tetris.JAR");
    EXPECT_EQ(made.status, SuiteStatus::Built);
    EXPECT_THAT(made.result, AllOf(StartsWith("erstellt"), HasSubstr("Manifest")));
    const std::string tetrisPackage = sys.Archived(kOut + "Tetris.stj");
    EXPECT_THAT(tetrisPackage,
                HasSubstr("MIDlet-Jar-URL: Tetris.JAR\r\nMIDlet-Jar-Size: " + std::to_string(tetris.size()) + "\r\n"));
    EXPECT_THAT(tetrisPackage, HasSubstr(";stjava.ini=" + Ini("Tetris", "t/T") + ";"));

    const SuiteResult& corrected = seen.Of("Sized.jar");
    EXPECT_EQ(corrected.status, SuiteStatus::Built);
    EXPECT_THAT(corrected.result,
                AllOf(StartsWith("erstellt"), HasSubstr("17"), HasSubstr(std::to_string(sized.size()))));
    EXPECT_EQ(sys.Archived(kOut + "Sized.stj"), Package(sized, Jad("Sized", "s/S", sized.size()), Ini("Sized", "s/S")))
        << "the package's JAD says the real size";

    for (const char* file : {"broken.jar", "plain.jar", "nomidlet.jar"}) {
        EXPECT_EQ(seen.Of(file).status, SuiteStatus::Skipped) << file;
        EXPECT_THAT(seen.Of(file).result, StartsWith("übersprungen: ")) << file;
        EXPECT_EQ(sys.Stamp(kOut + WithoutExtension(file) + ".stj").exists, false) << file;
    }
    EXPECT_THAT(seen.Of("nomidlet.jar").result, HasSubstr("MIDlet-1"));
    EXPECT_THAT(seen.Of("plain.jar").result, HasSubstr("MANIFEST.MF"));
    EXPECT_FALSE(sys.Stamp(kOut + "Deep.stj").exists);
    EXPECT_FALSE(sys.Stamp(kOut + "sub\\Deep.stj").exists);

    EXPECT_EQ(summary.found, 7u);
    EXPECT_EQ(summary.built, 4u);
    EXPECT_EQ(summary.skipped, 3u);
    EXPECT_EQ(summary.ExitCode(), 1);
    EXPECT_EQ(disk.Below(kIn), sourceBefore) << "the source folder is only read";
    EXPECT_THAT(disk.Below(disk.job.workFolder), IsEmpty()) << "each suite's staging goes after it";
    EXPECT_THAT(sys.log, Not(::testing::Contains(HasSubstr("stj.bat")))) << "rar.exe is started directly";
}

TEST(ConvertFolder, SubfoldersAreMirroredSoThatEqualNamesKeepTheirOwnPackages) {
    Disk disk;
    FakeSystem& sys = disk.sys;
    disk.job.includeSubfolders = true;
    const std::string a = Jar("A", "a/A"), b = Jar("B", "b/B"), top = Jar("Top", "t/T");
    sys.files[kIn + "Game.jar"] = top;
    sys.files[kIn + "eins\\Game.jar"] = a;
    sys.files[kIn + "zwei\\tief\\Game.jar"] = b;
    sys.folders.insert(kIn + "leer\\");

    const FolderSummary summary = disk.Run();
    EXPECT_THAT(disk.listener.Files(), ElementsAre("Game.jar", "eins\\Game.jar", "zwei\\tief\\Game.jar"));
    EXPECT_THAT(sys.Archived(kOut + "Game.stj"), StartsWith("java.jah=" + top + ";"));
    EXPECT_THAT(sys.Archived(kOut + "eins\\Game.stj"), StartsWith("java.jah=" + a + ";"));
    EXPECT_THAT(sys.Archived(kOut + "zwei\\tief\\Game.stj"), StartsWith("java.jah=" + b + ";"));
    EXPECT_EQ(summary.built, 3u);
    EXPECT_EQ(summary.ExitCode(), 0);
}

TEST(ConvertFolder, AnExistingPackageStaysUnlessOverwritingWasChosen) {
    for (const bool overwrite : {false, true}) {
        Disk disk;
        FakeSystem& sys = disk.sys;
        disk.job.overwrite = overwrite;
        const std::string snake = Jar("Snake", "s/S");
        sys.files[kIn + "Snake.jar"] = snake;
        sys.files[kIn + "Neu.jar"] = Jar("Neu", "n/N");
        sys.files[kOut + "snake.stj"] = "OLD";  // the file system ignores case; the fake does not
        sys.files[kOut + "Snake.stj"] = "OLD";

        const FolderSummary summary = disk.Run();
        const SuiteResult& snakeResult = disk.listener.Of("Snake.jar");
        EXPECT_EQ(snakeResult.suite, "Snake") << "named also when left alone";
        if (overwrite) {
            EXPECT_EQ(snakeResult.status, SuiteStatus::Built);
            EXPECT_THAT(sys.Archived(kOut + "Snake.stj"), StartsWith("java.jah=" + snake));
        } else {
            EXPECT_EQ(snakeResult.status, SuiteStatus::Existing);
            EXPECT_EQ(snakeResult.result, "vorhanden");
            EXPECT_EQ(sys.Archived(kOut + "Snake.stj"), "OLD");
        }
        EXPECT_EQ(disk.listener.Of("Neu.jar").status, SuiteStatus::Built);
        EXPECT_EQ(summary.ExitCode(), 0) << "existing packages are no failure; overwrite " << overwrite;
    }
}

TEST(ConvertFolder, AnArchiverThatFailsOnOneSuiteLeavesTheOthersBuilt) {
    struct Case {
        const char* what;
        std::function<void(FakeSystem&)> setUp;
        std::string says;
    };
    const Case cases[] = {
        {"exit code 3", [](FakeSystem& s) { s.archiver.refuses.insert(kOut + "B.stj"); }, "3"},
        {"JAR cannot be copied", [](FakeSystem& s) { s.failOn.insert("copy C:\\Temp\\kestrane-1\\2\\java.jah"); },
         "java.jah"},
    };
    for (const Case& c : cases) {
        Disk disk;
        FakeSystem& sys = disk.sys;
        for (const char* name : {"A", "B", "C"}) sys.files[kIn + name + ".jar"] = Jar(name, "x/X");
        c.setUp(sys);
        const FolderSummary summary = disk.Run();
        const SuiteResult& b = disk.listener.Of("B.jar");
        EXPECT_EQ(b.status, SuiteStatus::Failed) << c.what;
        EXPECT_THAT(b.result, AllOf(StartsWith("fehlgeschlagen: "), HasSubstr(c.says), Not(HasSubstr("\n")))) << c.what;
        EXPECT_EQ(summary.built, 2u) << c.what;
        EXPECT_TRUE(sys.Stamp(kOut + "C.stj").exists) << c.what;
        EXPECT_EQ(summary.ExitCode(), 1) << c.what;
        EXPECT_THAT(disk.Below(disk.job.workFolder), IsEmpty()) << c.what;
    }
}

TEST(ConvertFolder, AnArchiverThatNeverEndsFailsItsSuiteAfterTheLimitOnTheFakeClock) {
    Disk disk;
    disk.sys.archiver.endsAfter.reset();
    disk.job.archiverLimit = 90s;
    disk.sys.files[kIn + "A.jar"] = Jar("A", "a/A");
    const FolderSummary summary = disk.Run();
    EXPECT_EQ(disk.listener.Of("A.jar").status, SuiteStatus::Failed);
    EXPECT_THAT(disk.listener.Of("A.jar").result, HasSubstr("90 Sekunden"));
    EXPECT_EQ(disk.sys.now, 90s);
    EXPECT_EQ(summary.failed, 1u);
}

TEST(ConvertFolder, KestranePacksEachSuiteItselfWhenNotAskedForRarExe) {
    Disk disk;
    FakeSystem& sys = disk.sys;
    disk.job.useArchiver = false;
    disk.job.rar = "C:\\Leer\\rar.exe";  // named, but not there and not asked for
    sys.files.erase(kRar);
    disk.job.overwrite = true;
    const std::string a = Jar("A", "a/A"), b = Jar("B", "b/B");
    sys.lastWrites[kIn + "B.jar"] = testing_support::LocalTime(2005, 3, 4, 5, 6, 8);
    const auto jadWritten = testing_support::LocalTime(2004, 7, 1, 12, 30, 10);
    sys.lastWrites[kIn + "A.jad"] = jadWritten;
    sys.files[kIn + "A.jar"] = a;
    sys.files[kIn + "A.jad"] = Jad("A", "a/A", a.size());
    sys.files[kIn + "B.jar"] = b;
    // A package of an earlier build, with a member this build does not have.
    sys.files[kOut + "A.stj"] = WriteRarArchive({{"java.jah", "old"}, {"java.obj", "old OBJ"}});

    const FolderSummary summary = disk.Run();
    EXPECT_EQ(summary.refusal, "");
    EXPECT_EQ(summary.built, 2u);
    EXPECT_EQ(sys.Archived(kOut + "A.stj"), Package(a, Jad("A", "a/A", a.size()), Ini("A", "a/A")))
        << "exactly this build's members";
    EXPECT_THAT(sys.Archived(kOut + "B.stj"), StartsWith("java.jah=" + b + ";java.utf=MIDlet-Name: B\r\n"));
    EXPECT_THAT(sys.log, Not(::testing::Contains(StartsWith("start "))));
    // Each JAR is opened once, with a JAD or without: the package holds the bytes judged.
    for (const char* jar : {"A.jar", "B.jar"})
        EXPECT_EQ(std::count(sys.log.begin(), sys.log.end(), "open " + kIn + jar), 1);
    // The JAD made from B's manifest bears B's time, not the moment it was
    // made: the same JAR makes the same package, to the byte, every time.
    const auto members = ReadRarArchive(sys.files[kOut + "B.stj"]);
    ASSERT_TRUE(members.has_value());
    EXPECT_EQ((*members)[1].dosTime, (*members)[0].dosTime);
    // A's own JAD bears the time its file was last written.
    const auto withJad = ReadRarArchive(sys.files[kOut + "A.stj"]);
    ASSERT_TRUE(withJad.has_value());
    EXPECT_EQ((*withJad)[1].dosTime, DosDateTime(jadWritten));
    EXPECT_NE((*withJad)[0].dosTime, DosDateTime(jadWritten));
    EXPECT_THAT(disk.Below(disk.job.workFolder), IsEmpty());
    EXPECT_THAT(disk.Below(kOut), ElementsAre(::testing::Key(kOut + "A.stj"), ::testing::Key(kOut + "B.stj"),
                                              ::testing::Key(kOut + "kestrane-protokoll.txt")));
}

// rar.exe writes beside the package; only a whole RAR 4 package takes its place.
TEST(ConvertFolder, WithRarExeAFailedSuiteLeavesNoPackageAndTheOldOneUntouched) {
    Disk disk;
    disk.job.overwrite = true;
    for (const char* name : {"A", "B", "C"}) disk.sys.files[kIn + name + ".jar"] = Jar(name, "x/X");
    disk.sys.files[kOut + "A.stj"] = "OLD A";
    disk.sys.files[kOut + "B.stj"] = "OLD B";
    disk.sys.archiver.refuses = {kOut + "A.stj"};
    disk.sys.archiver.writesRar5 = true;  // for B and C, which it does not refuse
    const FolderSummary summary = disk.Run();
    EXPECT_EQ(summary.failed, 3u);
    EXPECT_THAT(disk.listener.Of("A.jar").result, StartsWith("fehlgeschlagen: rar.exe endete mit dem Fehlercode 3."));
    EXPECT_THAT(disk.listener.Of("B.jar").result,
                StartsWith("fehlgeschlagen: rar.exe hat die STJ-Datei im neuen RAR5-Format geschrieben, das das "
                           "Telefon nicht lesen kann."));
    EXPECT_EQ(disk.listener.Of("C.jar").status, SuiteStatus::Failed);
    EXPECT_EQ(disk.sys.files[kOut + "A.stj"], "OLD A");
    EXPECT_EQ(disk.sys.files[kOut + "B.stj"], "OLD B");
    EXPECT_THAT(disk.Below(kOut), ElementsAre(::testing::Key(kOut + "A.stj"), ::testing::Key(kOut + "B.stj"),
                                              ::testing::Key(kOut + "kestrane-protokoll.txt")))
        << "nothing left beside the packages";
}

// A refused run starts no suite; where the target folder takes it, the log
// says why, for whoever finds the run's result only there.
TEST(ConvertFolder, RefusedRunsTouchNothingButTheLog) {
    const std::string unwritable =
        "In den Zielordner „E:\\STJ\\“ kann nicht geschrieben werden. Es wurde keine Suite "
        "umgewandelt.";
    struct Case {
        const char* what;
        std::function<void(Disk&)> setUp;
        std::string says;
        bool logged;
    };
    const Case cases[] = {
        {"rar.exe field empty", [](Disk& d) { d.job.rar = "  "; }, "rar.exe", true},
        {"no rar.exe in the named folder", [](Disk& d) { d.job.rar = "C:\\Leer\\rar.exe"; }, "C:\\Leer\\", true},
        {"no source folder", [](Disk& d) { d.job.source = " "; }, "Quellordner", true},
        {"no target folder", [](Disk& d) { d.job.target = ""; }, "Zielordner", false},
        {"source folder missing", [](Disk& d) { d.job.source = "D:\\Fehlt"; }, "D:\\Fehlt\\", true},
        {"target folder cannot be made", [](Disk& d) { d.sys.failOn.insert("create " + kOut); }, unwritable, false},
        {"target folder write-protected", [](Disk& d) { d.sys.writeProtected.insert(kOut); }, unwritable, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Disk disk;
        disk.sys.files[kIn + "A.jar"] = Jar("A", "a/A");
        c.setUp(disk);
        const FolderSummary summary = disk.Run();
        EXPECT_THAT(summary.refusal, HasSubstr(c.says));
        EXPECT_THAT(disk.listener.found, IsEmpty());
        EXPECT_THAT(disk.sys.log, Not(::testing::Contains(StartsWith("start "))));
        EXPECT_THAT(disk.sys.log, Not(::testing::Contains(AllOf(StartsWith("write "), Not(HasSubstr(kLogFileName))))));
        EXPECT_EQ(summary.ExitCode(), 2);
        const std::string log = disk.sys.Archived(kOut + std::string(kLogFileName));
        if (c.logged) {
            // Two lines, the reason and the counts, as a script's "type" shows them.
            EXPECT_THAT(log, StartsWith("\xEF\xBB\xBF"));
            EXPECT_THAT(log, HasSubstr(c.says));
            EXPECT_THAT(log,
                        ::testing::EndsWith("\r\n0 von 0 erstellt, 0 vorhanden, 0 übersprungen, 0 fehlgeschlagen\r\n"));
            EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
            EXPECT_EQ(std::count(log.begin(), log.end(), '\r'), 2) << log;
        } else {
            EXPECT_EQ(log, "");
        }
    }
}

TEST(ConvertFolder, ACancelStopsBeforeTheNextSuiteAndTheListIsWrittenAllTheSame) {
    Disk disk;
    for (const char* name : {"A", "B", "C", "D"}) disk.sys.files[kIn + name + ".jar"] = Jar(name, "x/X");
    disk.listener.cancel = [](std::size_t finished) { return finished == 2; };
    const FolderSummary summary = disk.Run();

    EXPECT_THAT(disk.listener.Files(), ElementsAre("A.jar", "B.jar"));
    EXPECT_TRUE(summary.cancelled);
    EXPECT_EQ(summary.built, 2u);
    EXPECT_EQ(summary.ExitCode(), 1) << "two suites were never built";
    EXPECT_FALSE(disk.sys.Stamp(kOut + "C.stj").exists);
    const std::string log = disk.sys.files[kOut + "kestrane-protokoll.txt"];
    EXPECT_THAT(log, StartsWith("\xEF\xBB\xBF"));
    EXPECT_THAT(log, HasSubstr("\r\nA.jar\tA\terstellt"));
    EXPECT_THAT(log, HasSubstr("\r\nB.jar\tB\terstellt"));
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 4) << "heading, two suites, summary";
    EXPECT_THAT(log, HasSubstr("2 von 4 erstellt"));
}

TEST(ConvertFolder, AFolderOfAPosixPortKeepsItsForwardSlashes) {
    Disk disk;
    FakeSystem& sys = disk.sys;
    disk.job.useArchiver = false;
    disk.job.includeSubfolders = true;
    disk.job.source = "/home/anna/spiele";
    disk.job.target = "/home/anna/stj";
    const std::string top = Jar("Top", "t/T"), deep = Jar("Deep", "d/D");
    sys.files["/home/anna/spiele/Game.jar"] = top;
    sys.files["/home/anna/spiele/Game.jad"] = Jad("Top", "t/T", top.size());
    sys.files["/home/anna/spiele/eins/Game.jar"] = deep;

    const FolderSummary summary = disk.Run();
    EXPECT_EQ(summary.refusal, "");
    EXPECT_THAT(disk.listener.Files(), ElementsAre("Game.jar", "eins/Game.jar"));
    EXPECT_EQ(sys.Archived("/home/anna/stj/Game.stj"), Package(top, Jad("Top", "t/T", top.size()), Ini("Top", "t/T")));
    EXPECT_THAT(sys.Archived("/home/anna/stj/eins/Game.stj"), StartsWith("java.jah=" + deep + ";"));
    EXPECT_TRUE(sys.Stamp("/home/anna/stj/kestrane-protokoll.txt").exists);
    EXPECT_EQ(summary.built, 2u);
}

// One suite, as a command-line tool converts it: a finding is a note on the
// built package, and a strict run skips the suite for it instead.
TEST(ConvertSuite, StrictSkipsASuiteWithAFindingThatOtherwiseIsANote) {
    const std::string jar = Jar("Snake", "snake/Main");
    const std::string noMidlet1 = "MIDlet-Name: Snake\r\nMIDlet-Jar-Size: " + std::to_string(jar.size()) + "\r\n";
    struct Case {
        const char* what;
        std::string jad;
        Matcher<std::string> finding;
        std::string packagedJad;  // java.utf of the built package
    };
    const Case cases[] = {
        {"a wrong MIDlet-Jar-Size", Jad("Snake", "snake/Main", 17),
         AllOf(StartsWith("MIDlet-Jar-Size"), HasSubstr("17"), HasSubstr(std::to_string(jar.size()))),
         Jad("Snake", "snake/Main", jar.size())},
        // The phone takes the JAD's and the manifest's attributes together; java.utf stays the user's JAD.
        {"no MIDlet-1 in the JAD", noMidlet1,
         Eq("In der JAD-Datei fehlt MIDlet-1; für die INI-Datei wurde MIDlet-1 aus dem Manifest der JAR-Datei "
            "genommen („Snake, /i.png, snake/Main“)."),
         noMidlet1},
    };
    for (const Case& c : cases) {
        for (const bool strict : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (strict ? ", strict" : ""));
            FakeSystem sys;
            sys.files[kIn + "Snake.jar"] = jar;
            sys.files[kIn + "Snake.jad"] = c.jad;
            SuiteJob job;
            job.jar = kIn + "Snake.jar";
            job.jad = kIn + "Snake.jad";
            job.stj = kOut + "neu\\Snake.stj";
            job.stagingFolder = "C:\\Temp\\1\\";
            job.strict = strict;
            const SuiteResult result = ConvertSuite(job, sys);
            EXPECT_EQ(result.file, kIn + "Snake.jar");
            EXPECT_EQ(result.suite, "Snake");
            if (strict) {
                EXPECT_EQ(result.status, SuiteStatus::Skipped);
                EXPECT_THAT(result.findings, IsEmpty());
                ASSERT_THAT(result.result, StartsWith("übersprungen: "));
                EXPECT_THAT(result.result.substr(std::string("übersprungen: ").size()), c.finding);
                EXPECT_FALSE(sys.Stamp(job.stj).exists);
            } else {
                EXPECT_EQ(result.status, SuiteStatus::Built);
                ASSERT_THAT(result.findings, ElementsAre(c.finding));
                EXPECT_EQ(result.result, "erstellt – " + result.findings.front());
                EXPECT_EQ(sys.Archived(job.stj), Package(jar, c.packagedJad, Ini("Snake", "snake/Main")))
                    << "the package's folder is made";
            }
        }
    }
}

// Games the Eclipse compiler made (tests/classes/needs): one that needs
// MIDP 2.0 is packed with what it needs said and skipped when strict; one
// that asks for MIDP 2.0's classes only by name runs, and is packed when
// strict too.
TEST(ConvertSuite, WhatTheClassesNeedBeyondThePhoneIsSaidAndSkipsTheSuiteWhenStrict) {
    const struct {
        const char* game;
        SuiteResult::Phone phone;
        std::vector<std::string> needs;
        Matcher<std::vector<std::string>> said;
        bool strictSkips;
    } cases[] = {
        {"midp10", SuiteResult::Phone::Runs, {}, IsEmpty(), false},
        {"gamecanvas",
         SuiteResult::Phone::DoesNotRun,
         {"MIDP 2.0"},
         ElementsAre(StartsWith(
             "Die Suite braucht MIDP 2.0, das Telefon hat MIDP 1.0: javax.microedition.lcdui.game.GameCanvas")),
         true},
        {"forname",
         SuiteResult::Phone::Runs,
         {},
         AllOf(Not(IsEmpty()), Each(HasSubstr("(nur falls vorhanden; die Suite läuft auch ohne)"))),
         false},
    };
    for (const auto& c : cases) {
        kestrane::testing::ZipWriter zip;
        zip.Deflated("META-INF/MANIFEST.MF", kestrane::testing::ManifestText({{"MIDlet-Name", "Spiel"},
                                                                              {"MIDlet-Vendor", "Example"},
                                                                              {"MIDlet-Version", "1.0"},
                                                                              {"MIDlet-1", "Spiel, , Main"}}));
        for (auto& [name, bytes] :
             kestrane::testing::ClassFilesIn(std::string(KESTRANE_CLASSES_DIR) + "/needs/" + c.game))
            zip.Deflated(name, bytes);
        for (const bool strict : {false, true}) {
            SCOPED_TRACE(std::string(c.game) + (strict ? ", strict" : ""));
            FakeSystem sys;
            sys.files[kIn + "Spiel.jar"] = zip.Bytes();
            SuiteJob job;
            job.jar = kIn + "Spiel.jar";
            job.stj = kOut + "Spiel.stj";
            job.strict = strict;
            const SuiteResult result = ConvertSuite(job, sys);
            EXPECT_EQ(result.phone, c.phone);
            EXPECT_EQ(result.needs, c.needs);
            EXPECT_EQ(result.status, strict && c.strictSkips ? SuiteStatus::Skipped : SuiteStatus::Built);
            // What the suite's line says besides the JAD made from its manifest.
            std::vector<std::string> said = result.findings;
            std::erase(said, "JAD-Datei aus dem Manifest erstellt.");
            if (result.status == SuiteStatus::Skipped)
                said = {result.result.substr(std::string("übersprungen: ").size())};
            EXPECT_THAT(said, c.said);
        }
    }
}

// The MIDlet C0's superclasses C1, C2, ..., each as large as a class may be,
// nearly all of it one attribute that the VM skips. As many as take what a
// JAR's classes may cost together with their inflated sizes alone: with the
// bytes read, the last passes it and is left unread, and whether the suite
// runs is not known. One alone runs.
TEST(ConvertSuite, ASuiteWhoseClassesWereNotAllReadIsNotSaidToRun) {
    for (const std::size_t count : {std::size_t{1}, static_cast<std::size_t>(kMaxClassesCost / kMaxClassSize)}) {
        kestrane::testing::ZipWriter zip;
        zip.Deflated("META-INF/MANIFEST.MF", kestrane::testing::ManifestText({{"MIDlet-1", "Spiel, , C0"}}));
        for (std::size_t i = 0; i < count; ++i) {
            const std::string super = i + 1 < count ? "C" + std::to_string(i + 1) : "javax/microedition/midlet/MIDlet";
            std::string bytes = kestrane::testing::MinimalClass("C" + std::to_string(i), super, "Padding");
            const std::size_t length = kMaxClassSize - bytes.size() - 6;
            bytes.back() = 1;  // one attribute, named by the filler, constant #5
            bytes +=
                {'\0', '\5', char(length >> 24), char(length >> 16 & 0xFF), char(length >> 8 & 0xFF), char(length)};
            bytes.resize(kMaxClassSize);  // the attribute's bytes, zeros
            zip.Deflated("C" + std::to_string(i) + ".class", std::move(bytes));
        }
        FakeSystem sys;
        sys.files[kIn + "Spiel.jar"] = zip.Bytes();
        SuiteJob job;
        job.jar = kIn + "Spiel.jar";
        job.checkOnly = true;
        const SuiteResult result = ConvertSuite(job, sys);
        const bool past = count * kMaxClassSize >= kMaxClassesCost;
        EXPECT_EQ(result.phone, past ? SuiteResult::Phone::Unknown : SuiteResult::Phone::Runs) << count;
        std::vector<std::string> said{"JAD-Datei aus dem Manifest erstellt."};
        if (past) said.push_back("Die JAR-Datei ist zu groß, um jede Klasse zu prüfen: 1 Klasse nicht gelesen.");
        EXPECT_EQ(result.findings, said);
    }
}

// A JAD names its JAR in MIDlet-Jar-URL; the folder's pairs are those the
// main window makes from the JAD.
TEST(ForEachSuite, PairsEachJarWithTheJadThatNamesIt) {
    struct Case {
        const char* what;
        std::map<std::string, std::string> jads;   // name -> MIDlet-Jar-URL, "" for none, "?" unreadable
        std::map<std::string, std::string> jadOf;  // JAR -> its JAD, "" for none
    };
    const Case cases[] = {
        {"named by MIDlet-Jar-URL", {{"snake-1.0.jad", "Snake.jar"}}, {{"Snake.jar", "snake-1.0.jad"}}},
        {"named in another case", {{"s.jad", "SNAKE.JAR"}}, {{"Snake.jar", "s.jad"}}},
        {"a JAD of the JAR's name that names another JAR belongs to that one",
         {{"Snake.jad", "Tetris.jar"}},
         {{"Snake.jar", ""}, {"Tetris.jar", "Snake.jad"}}},
        {"a JAD naming a JAR that is not there goes by its name",
         {{"Snake.jad", "Alt.jar"}},
         {{"Snake.jar", "Snake.jad"}}},
        {"a URL that is no plain file name goes by its name",
         {{"Snake.jad", "http://x/Tetris.jar"}},
         {{"Snake.jar", "Snake.jad"}, {"Tetris.jar", ""}}},
        {"of several, the JAD of the JAR's own name",
         {{"a.jad", "Snake.jar"}, {"Snake.jad", ""}},
         {{"Snake.jar", "Snake.jad"}}},
        {"of several of other names, the first",
         {{"b.jad", "Snake.jar"}, {"a.jad", "Snake.jar"}},
         {{"Snake.jar", "a.jad"}}},
        {"an unreadable JAD by its name only",
         {{"Snake.jad", "?"}, {"x.jad", "Tetris.jar"}},
         {{"Snake.jar", "Snake.jad"}, {"Tetris.jar", "x.jad"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSystem sys;
        sys.files[kIn + "Snake.jar"] = Jar("Snake", "s/S");
        sys.files[kIn + "Tetris.jar"] = Jar("Tetris", "t/T");
        for (const auto& [name, url] : c.jads) {
            const bool named = !url.empty() && url != "?";
            sys.files[kIn + name] = "MIDlet-Name: N\r\n" + (named ? "MIDlet-Jar-URL: " + url + "\r\n" : "");
            if (url == "?") sys.failOn.insert("open " + kIn + name);
        }
        std::map<std::string, std::string> jadOf;
        ForEachSuite(kIn, false, sys, false, [&](const SuiteNames& suite) {
            jadOf[std::string(suite.folder) + std::string(suite.jar)] = std::string(suite.jad);
        });
        for (const auto& [jar, jad] : c.jadOf) EXPECT_EQ(jadOf[jar], jad) << jar;
    }
}

// The order a user finds in the list: a folder's JARs alphabetically without
// regard to case, then its subfolders in that order, each wholly before the next.
TEST(ForEachSuite, FilesComeBeforeSubfoldersEachAlphabeticallyWithoutRegardToCase) {
    FakeSystem sys;
    for (const char* jar : {"b.jar", "A.jar", "C.jar", "z\\a.jar", "Y\\b.jar", "Y\\A.jar", "a\\x\\c.jar"})
        sys.files[kIn + jar] = Jar("S", "s/S");
    std::vector<std::string> order;
    ForEachSuite(kIn, true, sys, false,
                 [&](const SuiteNames& suite) { order.push_back(std::string(suite.folder) + std::string(suite.jar)); });
    const std::vector<std::string> expected = {"A.jar",    "b.jar",    "C.jar",   "a\\x\\c.jar",
                                               "Y\\A.jar", "Y\\b.jar", "z\\a.jar"};
    EXPECT_EQ(order, expected);
}

TEST(ConvertFolder, WithoutMidlet1InJadAndManifestTheSuiteIsSkipped) {
    Disk disk;
    disk.sys.files[kIn + "Leer.jar"] = Jar("Leer", "l/L", false);
    disk.sys.files[kIn + "Leer.jad"] = "MIDlet-Name: Leer\r\n";
    disk.Run();
    EXPECT_EQ(disk.listener.Of("Leer.jar").result, "übersprungen: Keine gültige JAD-Datei!");
    EXPECT_FALSE(disk.sys.Stamp(kOut + "Leer.stj").exists);
}

// UTF-16 as Notepad saves it (little-endian with its mark) or without a
// mark, big-endian: each ASCII character with a NUL byte.
std::string Utf16(const std::string& ascii, bool bigEndian) {
    std::string out = bigEndian ? "" : "\xFF\xFE";
    for (const char c : ascii) out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return out;
}

TEST(ConvertFolder, AUtf16JadIsPackagedAsUtf8ByEitherPacker) {
    for (const auto& [useArchiver, bigEndian] : {std::pair{true, false}, std::pair{false, true}}) {
        SCOPED_TRACE(std::string(useArchiver ? "rar.exe" : "itself") + (bigEndian ? " BE" : " LE"));
        Disk disk;
        disk.job.useArchiver = useArchiver;
        FakeSystem& sys = disk.sys;
        const std::string jar = Jar("Snake", "snake/Main");
        const std::string wide = Utf16(Jad("Snake", "snake/Main", 17), bigEndian);
        sys.files[kIn + "Snake.jar"] = jar;
        sys.files[kIn + "Snake.jad"] = wide;
        disk.Run();
        const SuiteResult& result = disk.listener.Of("Snake.jar");
        EXPECT_EQ(result.status, SuiteStatus::Built);
        EXPECT_THAT(result.findings,
                    ::testing::Contains("Die JAD-Datei ist in UTF-16 gespeichert; im Paket wird sie als UTF-8 "
                                        "gespeichert (java.utf), die JAD-Datei selbst bleibt unverändert."));
        EXPECT_EQ(sys.Archived(kOut + "Snake.stj"),
                  Package(jar, Jad("Snake", "snake/Main", jar.size()), Ini("Snake", "snake/Main")))
            << "UTF-8 without a mark, with the real size, and the INI read from it";
        EXPECT_EQ(sys.files[kIn + "Snake.jad"], wide);
    }
}

TEST(SummaryLine, CountsExistingPackagesApartFromSkippedSuites) {
    FolderSummary summary;
    summary.found = 240;
    summary.built = 37;
    summary.existing = 13;
    summary.skipped = 2;
    summary.failed = 1;
    EXPECT_EQ(SummaryLine(summary), "37 von 240 erstellt, 13 vorhanden, 2 übersprungen, 1 fehlgeschlagen");
}

TEST(FolderSummary, ExitCodeIsZeroWhenEverySuiteWasBuiltOrLeftAsExistingTwoWhenTheRunNeverStarted) {
    struct Case {
        std::size_t found, built, existing, skipped, failed;
        bool cancelled, refused;
        int code;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0, false, false, 0}, {3, 3, 0, 0, 0, false, false, 0}, {3, 1, 2, 0, 0, false, false, 0},
        {3, 2, 0, 1, 0, false, false, 1}, {3, 2, 0, 0, 1, false, false, 1}, {3, 2, 0, 0, 0, true, false, 1},
        {3, 3, 0, 0, 0, true, false, 1},  // cancelled after the last suite, before the list was done
        {0, 0, 0, 0, 0, false, true, 2},
    };
    for (const Case& c : cases) {
        FolderSummary summary;
        summary.found = c.found;
        summary.built = c.built;
        summary.existing = c.existing;
        summary.skipped = c.skipped;
        summary.failed = c.failed;
        summary.cancelled = c.cancelled;
        if (c.refused) summary.refusal = "nein";
        EXPECT_EQ(summary.ExitCode(), c.code)
            << c.found << " " << c.built << " " << c.existing << " " << c.skipped << " " << c.failed;
    }
}

TEST(ResultLine, KeepsTheFourColumnsApart) {
    EXPECT_EQ(ResultLine({"a\tb.jar", "Name\tmit Tab", "erstellt", SuiteStatus::Built, {}}),
              "a b.jar\tName mit Tab\terstellt\t");
    EXPECT_EQ(ResultLine({"a.jar", "A", "erstellt", SuiteStatus::Built, {}, SuiteResult::Phone::DoesNotRun}),
              "a.jar\tA\terstellt\tl\u00e4uft nicht");
}

// kestrane's way through the one loop: suites of several folders, each
// listed in its own folder's log; a check of the same plan writes nothing.
TEST(ConvertSuites, EachLogListsItsFoldersSuitesAndACheckWritesNothing) {
    const std::string other = "F:\\Mehr\\";
    FakeSystem sys;
    sys.files[kIn + "A.jar"] = Jar("A", "a/A");
    sys.files[other + "B.jar"] = Jar("B", "b/B");
    for (const bool check : {false, true}) {
        SCOPED_TRACE(check ? "check" : "convert");
        SuiteJob common;
        common.checkOnly = check;
        SuitePlan plan(common);
        const auto folder = [&](const std::string& path) {
            return plan.AddFolder(path, path, "suite ", check ? "" : path);
        };
        plan.AddSuite(folder(kIn), "A.jar", {}, "0");
        plan.AddSuite(folder(other), "B.jar", {}, "1");
        plan.SetProblem(plan.AddSuite(folder(kIn), {}, {}, "2"), "übersprungen: keine JAR-Datei", SuiteStatus::Skipped);
        sys.log.clear();
        Recorder listener;
        const FolderSummary summary = ConvertSuites(plan, {}, sys, listener);
        EXPECT_THAT(listener.Files(), ElementsAre("suite 0", "suite 1", "suite 2"));
        EXPECT_EQ(summary.built, 2u);
        EXPECT_EQ(summary.skipped, 1u);
        if (check) {
            EXPECT_THAT(listener.results[0].result, StartsWith("in Ordnung"));
            EXPECT_THAT(sys.log, Not(::testing::Contains(::testing::AnyOf(StartsWith("write "), StartsWith("create "),
                                                                          StartsWith("copy "), StartsWith("move ")))));
            continue;
        }
        EXPECT_THAT(sys.files[kIn + std::string(kLogFileName)],
                    AllOf(HasSubstr("\r\nsuite 0\tA\terstellt"), HasSubstr("\r\nsuite 2\t\tübersprungen"),
                          Not(HasSubstr("suite 1")), HasSubstr("1 von 2 erstellt, 0 vorhanden, 1 übersprungen")));
        EXPECT_THAT(sys.files[other + std::string(kLogFileName)],
                    AllOf(HasSubstr("\r\nsuite 1\tB\terstellt"), HasSubstr("1 von 1 erstellt")));
    }
}

// A suite's paths are put together when its turn comes: from its folder's
// and its own names, its package after its JAR, else its JAD, numbered where
// renamed; dropping suites moves the others down with their own problems.
TEST(SuitePlan, PutsEachSuitesPathsTogetherAndDropsSuitesWithoutMixingUpTheRest) {
    SuiteJob common;
    common.strict = true;
    SuitePlan plan(common);
    const std::size_t sub = plan.AddFolder(kIn + "Sub\\", "D:\\Ziel\\Sub\\", "In\\Sub\\", "D:\\Ziel\\");
    plan.AddSuite(sub, "Spiel.jar", "Spiel.jad", "Spiel.jar");
    plan.SetProblem(plan.AddSuite(sub, "Weg.jar", {}, "Weg.jar"), "weg", SuiteStatus::Failed);
    plan.SetProblem(plan.AddSuite(sub, {}, "Los.jad", "Los.jad"), "keine JAR-Datei", SuiteStatus::Skipped);
    plan.AddSuite(plan.AddFolder(kIn + "Zu\\", "D:\\Ziel\\Zu\\", "In\\Zu\\", {}), {}, {}, {});
    plan.KeepWhere([&](std::size_t suite) { return plan.Problem(suite) != "weg"; });
    plan.Renumber(1, 3);
    ASSERT_EQ(plan.Size(), 3u);
    const SuiteJob first = plan.Job(0);
    EXPECT_EQ(first.jar, kIn + "Sub\\Spiel.jar");
    EXPECT_EQ(first.jad, kIn + "Sub\\Spiel.jad");
    EXPECT_EQ(first.stj, "D:\\Ziel\\Sub\\Spiel.stj");
    EXPECT_TRUE(first.strict);
    EXPECT_EQ(plan.Shown(0), "In\\Sub\\Spiel.jar");
    EXPECT_EQ(plan.Problem(0), "");
    EXPECT_EQ(plan.Job(1).jar, "");
    EXPECT_EQ(plan.Job(1).stj, "D:\\Ziel\\Sub\\Los (3).stj");
    EXPECT_EQ(plan.Problem(1), "keine JAR-Datei");
    EXPECT_EQ(plan.LogFolder(1), "D:\\Ziel\\");
    EXPECT_EQ(plan.Job(2).stj, "");
    EXPECT_EQ(plan.Shown(2), "In\\Zu\\");
    EXPECT_EQ(plan.LogFolder(2), "");
}

// kestrane's threads judge ahead: the results still come in the plan's
// order, each its own suite's, and a cancel or a listener that throws ends
// the run with them (the plan's problems touch no disk, so the fake bears it).
// A run of many suites, more than the threads may judge ahead, ends whole,
// and so does one of none.
TEST(ConvertSuites, SuitesJudgedAheadEndInThePlansOrderAndStopWithTheRun) {
    FakeSystem sys;
    SuitePlan plan({});
    const std::size_t folder = plan.AddFolder(kIn, kIn, {}, {});
    for (std::size_t i = 0; i < 7; ++i)
        plan.SetProblem(plan.AddSuite(folder, {}, {}, std::to_string(i)), "übersprungen: " + std::to_string(i),
                        SuiteStatus::Skipped);
    SuitePlan many({});
    const std::size_t manyFolder = many.AddFolder(kIn, kIn, {}, {});
    for (std::size_t i = 0; i < 500; ++i)
        many.SetProblem(many.AddSuite(manyFolder, {}, {}, std::to_string(i)), std::to_string(i), SuiteStatus::Skipped);
    for (const std::size_t workers : {2u, 3u, 16u}) {
        SCOPED_TRACE(workers);
        Recorder all;
        EXPECT_EQ(ConvertSuites(many, {}, sys, all, workers).skipped, 500u);
        ASSERT_EQ(all.results.size(), 500u);
        for (std::size_t i = 0; i < 500; ++i) ASSERT_EQ(all.results[i].result, many.Problem(i));
        Recorder listener;
        listener.cancel = [](std::size_t finished) { return finished == 5; };
        EXPECT_TRUE(ConvertSuites(plan, {}, sys, listener, workers).cancelled);
        ASSERT_EQ(listener.results.size(), 5u);
        for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(listener.results[i].result, plan.Problem(i));
        listener.cancel = [](std::size_t finished) -> bool { throw std::runtime_error(std::to_string(finished)); };
        EXPECT_THROW(ConvertSuites(plan, {}, sys, listener, workers), std::runtime_error);
        // More threads than suites: none waits for a suite that is not there.
        Recorder none;
        EXPECT_EQ(ConvertSuites(SuitePlan({}), {}, sys, none, workers).Finished(), 0u);
        EXPECT_TRUE(none.results.empty());
    }
}

// The list grows as the suites end, under a name of its own; the last
// run's list stays until the new one is whole, and a disk that fills up
// midway leaves it as it was.
TEST(ConvertFolder, TheLogGrowsAsSuitesEndAndReplacesTheOldOneOnlyWhole) {
    for (const bool diskFull : {false, true}) {
        SCOPED_TRACE(diskFull ? "disk full" : "written");
        Disk disk;
        disk.job.useArchiver = false;
        for (const char* name : {"A", "B"}) disk.sys.files[kIn + name + ".jar"] = Jar(name, "x/X");
        const std::string log = kOut + std::string(kLogFileName);
        disk.sys.files[log] = "old list";
        std::string growing;  // every file below the target before the second suite
        disk.listener.cancel = [&](std::size_t finished) {
            for (const auto& [path, bytes] : disk.Below(kOut))
                if (finished == 1 && path != log) growing += bytes;
            if (diskFull && finished == 1) disk.sys.failOn.insert("append " + log + ".kestrane-tmp");
            return false;
        };
        const FolderSummary summary = disk.Run();
        EXPECT_THAT(growing, HasSubstr("\r\nA.jar\tA\terstellt"));
        EXPECT_EQ(summary.built, 2u);
        EXPECT_EQ(summary.logFailures.size(), diskFull ? 1u : 0u);
        EXPECT_THAT(disk.Below(kOut), Not(::testing::Contains(::testing::Key(::testing::EndsWith(".kestrane-tmp")))));
        if (diskFull) {
            EXPECT_EQ(disk.sys.files[log], "old list");
            continue;
        }
        EXPECT_THAT(disk.sys.files[log],
                    AllOf(HasSubstr("\r\nB.jar\tB\terstellt"),
                          ::testing::EndsWith("\r\n2 von 2 erstellt, 0 vorhanden, 0 \u00fcbersprungen, 0 "
                                              "fehlgeschlagen, 2 von 2 laufen auf dem Telefon\r\n")));
    }
}

// The window's worker holds the working folder for the run: whatever ends
// the run, nothing of it stays on the user's disk.
TEST(WorkFolder, IsGoneAfterARunHoweverTheRunEnded) {
    for (const std::string ending : {"built", "cancelled", "thrown"}) {
        Disk disk;
        for (const char* name : {"A", "B"}) disk.sys.files[kIn + name + ".jar"] = Jar(name, "x/X");
        disk.listener.cancel = [&ending](std::size_t finished) {
            if (finished == 1 && ending == "thrown") throw std::runtime_error("Fenster geschlossen");
            return finished == 1 && ending == "cancelled";
        };
        std::string path;
        try {
            WorkFolder work(disk.sys);
            path = disk.job.workFolder = work.Path();
            disk.Run();
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(disk.sys.folders.count(path), 0u) << ending << ": " << path << " stayed";
        EXPECT_THAT(disk.Below(path), IsEmpty()) << ending;
    }
}

}  // namespace
}  // namespace kestrane
