// kestrane as a user runs it: real suites in a temporary folder, the
// program started as a process, its packages read by archivers that share
// no code with it, its JSON read by Python.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "support/RarInMemory.h"
#include "support/UnixShell.h"
#include "support/ClassBytes.h"
#include "support/ZipWriter.h"

namespace kestrane {
namespace {

namespace fs = std::filesystem;
using testing::ShellQuoted;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Bytes that no packer can shrink.
std::string Noise(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string noise(size, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    return noise;
}

std::string SuiteJar(const std::string& name, std::string filler = "") {
    return testing::ZipWriter()
        .Deflated("META-INF/MANIFEST.MF", testing::ManifestText({{"Manifest-Version", "1.0"},
                                                                 {"MIDlet-Name", name},
                                                                 {"MIDlet-Vendor", "Kestrane Test"},
                                                                 {"MIDlet-Version", "1.0"},
                                                                 {"MIDlet-1", name + ", /i.png, a.Main"}}))
        .Deflated("a/Main.class", testing::MinimalClass("a/Main"))
        .Stored("i.png", "\x89PNG")
        .Stored("filler.bin", std::move(filler))
        .Bytes();
}

std::string SuiteJad(const std::string& name, std::uint64_t jarSize, const std::string& jarUrl) {
    return "MIDlet-Name: " + name + "\r\nMIDlet-Vendor: Kestrane Test\r\nMIDlet-Version: 1.0\r\nMIDlet-1: " + name +
           ", /i.png, a.Main\r\nMIDlet-Jar-URL: " + jarUrl + "\r\nMIDlet-Jar-Size: " + std::to_string(jarSize) + "\r\n";
}

bool Has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

struct Ran {
    int exitCode = -1;
    std::string out, err;
};

class KestraneTest : public ::testing::Test {
protected:
    fs::path root = fs::temp_directory_path() / ("kestrane-cli-test-" + std::to_string(getpid()));
    fs::path src = root / "Quelle";

    void SetUp() override {
        fs::remove_all(root);
        fs::create_directories(src);
    }
    void TearDown() override { fs::remove_all(root); }

    void Write(const std::string& name, const std::string& bytes) {
        fs::create_directories((src / name).parent_path());
        testing::WriteFile(src / name, bytes);
    }

    // The program with `arguments`, inside `wrapper` (a shell command line
    // ending in what runs it, as unshare does) when given.
    Ran Kestrane(const std::vector<std::string>& arguments, const std::string& wrapper = "") {
        std::string line = "cd " + ShellQuoted(root.string()) + " && SOURCE_DATE_EPOCH=1109912768 " + wrapper + " " +
                           ShellQuoted(KESTRANE_PROGRAM);
        for (const std::string& argument : arguments) line += " " + ShellQuoted(argument);
        const fs::path err = root / "stderr.txt";
        const testing::ShellRun run = testing::RunShell({"sh", "-c", line + " 2>" + ShellQuoted(err.string())});
        return {run.exitCode, run.output, Slurp(err)};
    }

    // Each JSON line of a run, read by Python: "datei<TAB>status" sorted (the
    // folder conversion has its own order), then the summary.
    std::string JsonRead(const std::string& out) {
        testing::WriteFile(root / "out.json", out);
        const testing::ShellRun run = testing::RunShell(
            {"python3", "-c",
             "import json,sys\n"
             "o = [json.loads(line) for line in open(sys.argv[1], encoding='utf-8')]\n"
             "print('\\n'.join(sorted(x['datei'].replace('\\n', '|') + '\\t' + x['status'] for x in o[:-1])))\n"
             "print(o[-1]['zusammenfassung'])\n",
             (root / "out.json").string()});
        EXPECT_EQ(run.exitCode, 0) << run.output;
        return run.output;
    }

    // A shell script in the test's folder, the program in $K.
    testing::ShellRun Script(const std::string& script, bool ownMount = false) {
        std::vector<std::string> argv = {"sh", "-c", script};
        if (ownMount) argv.insert(argv.begin(), {"unshare", "-rm"});
        return testing::RunShell(argv, root, {std::string("K=") + KESTRANE_PROGRAM, "SOURCE_DATE_EPOCH=1109912768"});
    }

    std::vector<fs::path> Files(const fs::path& folder, const std::string& ending) {
        std::vector<fs::path> found;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.path().string().ends_with(ending)) found.push_back(entry.path());
        return found;
    }

    // Every package read whole by unar (and tested by 7-Zip where present);
    // its java.jah is the JAR.
    void ExpectReadable(const fs::path& stj, const fs::path& jar) {
        const fs::path unpacked = root / "unpacked";
        fs::remove_all(unpacked);
        const auto run = testing::RunShell({KESTRANE_UNAR, "-q", "-o", unpacked.string(), "-D", stj.string()});
        EXPECT_EQ(run.exitCode, 0) << stj << run.output;
        EXPECT_EQ(Slurp(unpacked / "java.jah"), Slurp(jar)) << stj;
        EXPECT_TRUE(fs::exists(unpacked / "stjava.ini")) << stj;
        if (std::string(KESTRANE_7ZIP).empty()) return;
        const auto tested = testing::RunShell({KESTRANE_7ZIP, "t", stj.string()});
        EXPECT_EQ(tested.exitCode, 0) << stj << tested.output;
    }
};

// The suites whose contents the core's tests vary; here what the port and
// the JSON make of names, links and folders that only look like JARs.
TEST_F(KestraneTest, EveryKindOfNameInAFolderAndTheSamePackagesAgain) {
    Write("Paar.jar", SuiteJar("Paar"));
    Write("Paar.jad", SuiteJad("Paar", 1, "Paar.jar"));
    Write("Allein.jar", SuiteJar("Allein"));
    Write("Kaputt.jar", SuiteJar("Kaputt").substr(0, 40));
    fs::create_directories(src / "Ordner.jar");
    for (const char* name : {"mit Leerzeichen.jar", "Gr\u00f6\u00dfe.jar", "\u6f22\u5b57.jar", "neue\nZeile.jar"})
        Write(std::string("Namen/") + name, SuiteJar("Name"));
    fs::create_symlink("Schleife.jar", src / "Schleife.jar");
    fs::create_directory_symlink("..", src / "Namen/zur\u00fcck");

    const Ran ran = Kestrane({"Quelle", "-r", "-o", "Ziel", "--json"});
    EXPECT_EQ(ran.exitCode, 1) << ran.err;  // the broken ones
    const std::string summary =
        "6 von 8 erstellt, 0 vorhanden, 1 \u00fcbersprungen, 1 fehlgeschlagen, 6 von 8 laufen auf dem Telefon";
    EXPECT_EQ(JsonRead(ran.out),
              "Quelle/Allein.jar\terstellt\n"
              "Quelle/Kaputt.jar\t\u00fcbersprungen\n"
              "Quelle/Namen/Gr\u00f6\u00dfe.jar\terstellt\n"
              "Quelle/Namen/mit Leerzeichen.jar\terstellt\n"
              "Quelle/Namen/neue|Zeile.jar\terstellt\n"
              "Quelle/Namen/\u6f22\u5b57.jar\terstellt\n"
              "Quelle/Paar.jar\terstellt\n"
              "Quelle/Schleife.jar\tfehlgeschlagen\n" +
                  summary + "\n");

    const fs::path target = root / "Ziel";
    EXPECT_EQ(Files(target, ".stj").size(), 6u);
    EXPECT_TRUE(Files(root, ".kestrane-tmp").empty());
    for (const char* name : {"Allein", "Paar", "Namen/Gr\u00f6\u00dfe", "Namen/mit Leerzeichen", "Namen/neue\nZeile",
                             "Namen/\u6f22\u5b57"})
        ExpectReadable(target / (std::string(name) + ".stj"), src / (std::string(name) + ".jar"));
    const std::string log = Slurp(target / "kestrane-protokoll.txt");
    EXPECT_TRUE(log.starts_with("\xEF\xBB\xBF"));
    EXPECT_TRUE(log.ends_with(summary + "\r\n"));

    // Again: every package is there and stays; the exit code still tells of the broken ones.
    const std::string again = Kestrane({"Quelle", "-r", "-o", "Ziel"}).out;
    EXPECT_TRUE(Has(again, "0 von 8 erstellt, 6 vorhanden, 1 \u00fcbersprungen, 1 fehlgeschlagen")) << again;
    EXPECT_TRUE(Has(again, "Quelle/Paar.jar\tPaar\tvorhanden\tl\u00e4uft\n")) << again;

    // Same folder, same date: the same packages byte for byte.
    ASSERT_EQ(Kestrane({"Quelle", "-o", "Zwei"}).exitCode, 1);
    for (const char* name : {"Allein.stj", "Paar.stj"}) {
        EXPECT_EQ(Slurp(target / name), Slurp(root / "Zwei" / name)) << name;
        const auto members = ReadRarArchive(Slurp(target / name));
        ASSERT_TRUE(members);
        EXPECT_EQ((*members)[2].dosTime, DosDateTime({2005, 3, 4, 5, 6, 8}));  // SOURCE_DATE_EPOCH, in UTC
    }
}

TEST_F(KestraneTest, StrictSkipsWhatHasFindingsAndTheJadNamesItsJar) {
    Write("Inhalt 2.jar", SuiteJar("Inhalt"));
    Write("Beschreibung.jad", SuiteJad("Inhalt", 12, "Inhalt 2.jar"));

    const Ran strict = Kestrane({"--streng", "Quelle/Beschreibung.jad"});
    EXPECT_EQ(strict.exitCode, 1);
    EXPECT_TRUE(Has(strict.out, "\u00fcbersprungen: MIDlet-Jar-Size")) << strict.out;
    EXPECT_FALSE(fs::exists(src / "Inhalt 2.stj"));

    // Named by its JAD and by itself: one suite, one package.
    const Ran lenient = Kestrane({"Quelle/Beschreibung.jad", "Quelle/Inhalt 2.jar"});
    EXPECT_EQ(lenient.exitCode, 0) << lenient.out << lenient.err;
    EXPECT_EQ(std::count(lenient.out.begin(), lenient.out.end(), '\n'), 2) << lenient.out;
    ExpectReadable(src / "Inhalt 2.stj", src / "Inhalt 2.jar");
    EXPECT_TRUE(fs::exists(src / "kestrane-protokoll.txt"));
}

TEST_F(KestraneTest, CheckingWritesNothingTheJadComesFromTheManifestTheIniToTheScreen) {
    const std::string jar = SuiteJar("Manifestsuite");
    Write("M.jar", jar);
    Write("B.jar", SuiteJar("B").substr(0, 30));
    // Not even a temporary folder: a check of a suite writes nothing anywhere.
    const Ran checked = Kestrane({"--pruefen", "Quelle"}, "TMPDIR=" + ShellQuoted((root / "kein-ordner").string()));
    EXPECT_EQ(checked.exitCode, 1);
    EXPECT_TRUE(Has(checked.out, "Quelle/M.jar\tManifestsuite\tin Ordnung \u2013 JAD-Datei aus dem Manifest erstellt."))
        << checked.out;
    EXPECT_TRUE(Has(checked.out, "1 von 2 in Ordnung, 1 \u00fcbersprungen, 0 fehlgeschlagen")) << checked.out;
    EXPECT_EQ(std::distance(fs::directory_iterator(src), fs::directory_iterator()), 2);

    const Ran made = Kestrane({"--jad", "Quelle/M.jar"});
    EXPECT_EQ(made.exitCode, 0) << made.err;
    const std::string jad = Slurp(src / "M.jad");
    EXPECT_TRUE(Has(jad, "MIDlet-Jar-Size: " + std::to_string(jar.size()) + "\r\n")) << jad;
    EXPECT_TRUE(Has(Kestrane({"--jad", "Quelle/M.jar"}).out, "vorhanden"));

    const Ran ini = Kestrane({"--ini", "Quelle/M.jad"});
    EXPECT_EQ(ini.exitCode, 0);
    EXPECT_TRUE(ini.out.starts_with("suite=Manifestsuite\nnum=1\n")) << ini.out;
    EXPECT_EQ(ini.out.find('\r'), std::string::npos);
}

// Games the Eclipse compiler made (tests/classes/needs): which run on the
// phone, in the JSON and the check's counts; strict packs only those.
TEST_F(KestraneTest, SaysWhichGamesRunOnThePhoneAndStrictPacksOnlyThose) {
    for (const char* game : {"midp10", "gamecanvas"}) {
        testing::ZipWriter zip;
        zip.Deflated("META-INF/MANIFEST.MF", testing::ManifestText({{"MIDlet-Name", game},
                                                                    {"MIDlet-Vendor", "V"},
                                                                    {"MIDlet-Version", "1.0"},
                                                                    {"MIDlet-1", std::string(game) + ", , Main"}}));
        for (auto& [name, bytes] : testing::ClassFilesIn(std::string(KESTRANE_CLASSES_DIR) + "/needs/" + game))
            zip.Deflated(name, bytes);
        Write(std::string(game) + ".jar", zip.Bytes());
    }
    const Ran checked = Kestrane({"--pruefen", "--json", "Quelle"});
    testing::WriteFile(root / "out.json", checked.out);
    const testing::ShellRun verdicts =
        testing::RunShell({"python3", "-c",
                           "import json,sys\n"
                           "o = [json.loads(line) for line in open(sys.argv[1], encoding='utf-8')]\n"
                           "print(sorted((x['datei'], x['laeuft'], x['braucht']) for x in o[:-1]), o[-1]['laufen'])\n",
                           (root / "out.json").string()});
    EXPECT_EQ(verdicts.output, "[('Quelle/gamecanvas.jar', False, ['MIDP 2.0']), ('Quelle/midp10.jar', True, [])] 1\n")
        << checked.out;
    EXPECT_TRUE(Has(checked.out,
                    "2 von 2 in Ordnung, 0 \u00fcbersprungen, 0 fehlgeschlagen, 1 von 2 l\u00e4uft auf "
                    "dem Telefon"))
        << checked.out;

    const Ran strict = Kestrane({"--streng", "Quelle", "-o", "Ziel"});
    EXPECT_EQ(strict.exitCode, 1);
    EXPECT_TRUE(Has(strict.out, "Quelle/gamecanvas.jar\tgamecanvas\t\u00fcbersprungen: Die Suite braucht MIDP 2.0"))
        << strict.out;
    EXPECT_EQ(Files(root / "Ziel", ".stj"), std::vector<fs::path>{root / "Ziel" / "midp10.stj"});
}

TEST_F(KestraneTest, BadInputIsNamedAndNothingIsLost) {
    Write("A.jar", SuiteJar("A"));
    testing::WriteFile(root / "Datei", "x");
    ASSERT_EQ(mkfifo((root / "Rohr").c_str(), 0644), 0);
    fs::create_symlink("nirgends.jar", root / "Verweis.jar");
    const struct {
        std::vector<std::string> arguments;
        int exitCode;
        std::string message;
    } cases[] = {
        {{"Fehlt"}, 2, "kestrane: \u201EFehlt\u201C gibt es nicht.\n"},
        {{"Quelle", "-o", "Datei"}, 2, "kestrane: Das Ziel \u201EDatei\u201C ist kein Ordner.\n"},
        {{"Datei"}, 2, "kestrane: \u201EDatei\u201C ist weder eine JAR- noch eine JAD-Datei.\n"},
        {{"Verweis.jar"}, 2, "kestrane: \u201EVerweis.jar\u201C gibt es nicht.\n"},
        {{"Rohr"}, 2, "kestrane: \u201ERohr\u201C ist weder eine Datei noch ein Ordner.\n"},
        {{"Quelle", "-o", "Rohr"}, 2, "kestrane: Das Ziel \u201ERohr\u201C ist kein Ordner.\n"},
        {{"--ini", "Fehlt.jad"}, 2, "kestrane: Die JAD-Datei \u201EFehlt.jad\u201C gibt es nicht.\n"},
        {{"-o", "Ziel"}, 2, "kestrane: Keine Datei und kein Ordner angegeben. Hilfe: kestrane --help\n"},
    };
    for (const auto& c : cases) {
        const Ran ran = Kestrane(c.arguments);
        EXPECT_EQ(ran.exitCode, c.exitCode) << c.message;
        EXPECT_EQ(ran.err, c.message);
        EXPECT_EQ(ran.out, "");
    }
    EXPECT_FALSE(fs::exists(root / "Ziel"));
    EXPECT_EQ(Slurp(root / "Datei"), "x");
}

TEST_F(KestraneTest, ProgressOnATerminalNeverInAPipe) {
    if (testing::RunShell({"sh", "-c", "command -v script"}).exitCode != 0) GTEST_SKIP() << "no script(1) here";
    Write("A.jar", SuiteJar("A"));
    Write("B.jar", SuiteJar("B"));
    EXPECT_EQ(Kestrane({"Quelle", "-o", "Rohr"}).err, "");
    const testing::ShellRun terminal =
        testing::RunShell({"script", "-qec", ShellQuoted(KESTRANE_PROGRAM) + " Quelle -o Terminal", "/dev/null"}, root);
    EXPECT_EQ(terminal.exitCode, 0) << terminal.output;
    EXPECT_TRUE(Has(terminal.output, "\rSuite 2 von 2 \u2026")) << terminal.output;
    EXPECT_TRUE(Has(terminal.output, "Quelle/B.jar\tB\terstellt")) << terminal.output;
}

TEST_F(KestraneTest, WhatCannotBeReadWithoutRootsOverridesFailsAloneAndTheRestIsPacked) {
    const std::string wrapper =
        geteuid() == 0 ? "setpriv --inh-caps=-all --bounding-set=-dac_override,-dac_read_search,-fowner" : "";
    if (!wrapper.empty() && testing::RunShell({"sh", "-c", wrapper + " true"}).exitCode != 0)
        GTEST_SKIP() << "setpriv cannot drop root's overrides here";
    Write("A.jar", SuiteJar("A"));
    Write("C.jar", SuiteJar("C"));
    Write("Zu/B.jar", SuiteJar("B"));
    fs::permissions(src / "Zu", fs::perms::none);
    fs::permissions(src / "C.jar", fs::perms::none);
    const Ran ran = Kestrane({"Quelle", "Quelle/Zu", "-o", "Ziel"}, wrapper);
    // A subfolder that cannot be listed is a line of its own; the rest is packed.
    const Ran deep = Kestrane({"Quelle", "-r", "-o", "Tief"}, wrapper);
    fs::permissions(src / "Zu", fs::perms::owner_all);
    fs::permissions(src / "C.jar", fs::perms::owner_all);

    EXPECT_EQ(ran.exitCode, 1);
    EXPECT_TRUE(Has(ran.err, "Der Ordner \u201E" + (src / "Zu/").string() + "\u201C konnte nicht gelesen werden."))
        << ran.err;
    EXPECT_TRUE(Has(ran.out, "Quelle/A.jar\tA\terstellt")) << ran.out;
    EXPECT_TRUE(Has(ran.out, "Quelle/C.jar\t\tfehlgeschlagen: Die Datei")) << ran.out;
    EXPECT_EQ(deep.exitCode, 1);
    EXPECT_TRUE(Has(deep.out, "Quelle/Zu/\t\tfehlgeschlagen: Der Ordner \u201E" + (src / "Zu/").string() +
                                  "\u201C konnte nicht gelesen werden. Fehler 13: "))
        << deep.out;
    EXPECT_TRUE(Has(deep.out, "Quelle/A.jar\tA\terstellt")) << deep.out;
    EXPECT_TRUE(Has(deep.out, "1 von 3 erstellt, 0 vorhanden, 0 \u00fcbersprungen, 2 fehlgeschlagen")) << deep.out;
}

TEST_F(KestraneTest, FullAndReadOnlyTargets) {
    // A user namespace lends the test a mount of its own without root rights.
    if (testing::RunShell({"unshare", "-rm", "true"}).exitCode != 0) GTEST_SKIP() << "unshare -rm is not allowed here";
    Write("A.jar", SuiteJar("A", Noise(40'000, 7)));
    Write("B.jar", SuiteJar("B", Noise(40'000, 7)));
    fs::create_directories(root / "Ziel");
    const auto mounted = [](const std::string& options) {
        return "unshare -rm sh -c 'mount -t tmpfs -o size=64k," + options + " tmpfs Ziel && exec \"$0\" \"$@\"'";
    };

    const Ran full = Kestrane({"Quelle", "-o", "Ziel"}, mounted("mode=755"));
    EXPECT_EQ(full.exitCode, 1) << full.out << full.err;
    EXPECT_TRUE(Has(full.out, "Quelle/A.jar\tA\terstellt")) << full.out;
    EXPECT_TRUE(Has(full.out, "Quelle/B.jar\tB\tfehlgeschlagen: Die Datei")) << full.out;
    EXPECT_TRUE(Has(full.out, "1 von 2 erstellt, 0 vorhanden, 0 \u00fcbersprungen, 1 fehlgeschlagen"));

    const Ran readOnly = Kestrane({"Quelle", "-o", "Ziel"}, mounted("ro"));
    EXPECT_EQ(readOnly.exitCode, 2);
    EXPECT_EQ(readOnly.err,
              "kestrane: In den Zielordner \u201EZiel\u201C kann nicht geschrieben werden. Es wurde keine "
              "Suite umgewandelt.\n");
}

TEST_F(KestraneTest, CtrlCStopsAfterTheSuiteBeingPacked) {
    constexpr int kSuites = 60;
    const std::string jar = SuiteJar("Gross", Noise(1'000'000, 11));
    for (int i = 0; i < kSuites; ++i) Write("S" + std::to_string(100 + i) + ".jar", jar);
    // Python starts it, sends SIGINT once the first line came (while the next
    // suite is being packed), then prints the exit code (negative when the
    // signal killed it) and everything the program wrote.
    const testing::ShellRun run =
        testing::RunShell({"python3", "-c",
                           "import signal,subprocess,sys\n"
                           "p = subprocess.Popen(sys.argv[1:], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)\n"
                           "first = p.stdout.readline()\n"
                           "p.send_signal(signal.SIGINT)\n"
                           "rest = p.stdout.read()\n"
                           "sys.stdout.buffer.write(b'%d\\n' % p.wait() + first + rest)\n",
                           KESTRANE_PROGRAM, src.string(), "-o", (root / "Ziel").string()});
    const std::string exitCode = run.output.substr(0, run.output.find('\n'));
    const std::string out = run.output.substr(exitCode.size() + 1);
    EXPECT_EQ(exitCode, "1") << out;
    EXPECT_TRUE(Has(out, "(abgebrochen)")) << out;

    const std::vector<fs::path> packages = Files(root / "Ziel", ".stj");
    EXPECT_LT(packages.size(), static_cast<std::size_t>(kSuites));
    EXPECT_EQ(packages.size(), static_cast<std::size_t>(std::count(out.begin(), out.end(), '\n') - 1)) << out;
    EXPECT_TRUE(Files(root, ".kestrane-tmp").empty());
    for (const fs::path& stj : packages) EXPECT_TRUE(ReadRarArchive(Slurp(stj))) << stj;
}

// Suites of one file name from two folders named on the line: two packages,
// and the second one's line names its own. On Linux only '/' separates:
// ':' and '\\' are letters of a name, named on the line or found in a folder.
TEST_F(KestraneTest, EverySuiteGetsAPackageOfItsOwnWholeName) {
    Write("a/game.jar", SuiteJar("Erstes"));
    Write("b/game.jar", SuiteJar("Zweites"));
    for (const char* name : {"x:game", "y:game", "back\\slash"})
        Write("c/" + std::string(name) + ".jar", SuiteJar(name));
    const Ran ran =
        Kestrane({"Quelle/a", "Quelle/b", "Quelle/b/game.jar", "Quelle/c/x:game.jar", "Quelle/c", "-o", "Ziel"});
    EXPECT_EQ(ran.exitCode, 0) << ran.err;
    EXPECT_TRUE(Has(ran.out,
                    "Quelle/b/game.jar\tZweites\terstellt \u2013 JAD-Datei aus dem Manifest erstellt. "
                    "Paket \u201Egame (2).stj\u201C"))
        << ran.out;
    EXPECT_TRUE(Has(ran.out, "5 von 5 erstellt, 0 vorhanden")) << ran.out;
    for (const auto& entry : fs::directory_iterator(root / "Ziel"))
        EXPECT_TRUE(entry.is_regular_file()) << entry.path();
    const std::pair<const char*, const char*> packages[] = {{"game", "a/game"},
                                                            {"game (2)", "b/game"},
                                                            {"x:game", "c/x:game"},
                                                            {"y:game", "c/y:game"},
                                                            {"back\\slash", "c/back\\slash"}};
    for (const auto& [stj, jar] : packages)
        ExpectReadable(root / "Ziel" / (std::string(stj) + ".stj"), src / (std::string(jar) + ".jar"));
}

// A JAD without its JAR keeps the package name its suite would have had, and
// a suite named twice (in its folder and by itself) is listed once.
TEST_F(KestraneTest, AJadWithoutItsJarKeepsItsPackageNameAndASuiteNamedTwiceIsListedOnce) {
    Write("a/game.jar", SuiteJar("Erstes"));
    Write("b/game.jad", "MIDlet-Name: Zweites\r\nMIDlet-Jar-URL: game.jar\r\n");
    const Ran ran = Kestrane({"Quelle/a", "Quelle/a/game.jar", "Quelle/b/game.jad", "-o", "Ziel"});
    EXPECT_EQ(ran.exitCode, 1) << ran.err;
    EXPECT_EQ(std::count(ran.out.begin(), ran.out.end(), '\n'), 3) << ran.out;  // two suites, the summary
    EXPECT_TRUE(Has(ran.out,
                    "Quelle/b/game.jad\t\t\u00fcbersprungen: Zur JAD-Datei gibt es keine JAR-Datei. \u2013 "
                    "Paket \u201Egame (2).stj\u201C"))
        << ran.out;
    EXPECT_TRUE(fs::exists(root / "Ziel" / "game.stj"));
}

// Only a package that reads back whole counts as existing; one left empty or
// cut off by a crash is built again.
TEST_F(KestraneTest, ADamagedPackageIsBuiltAgain) {
    for (const char* name : {"Leer", "Halb", "Ganz"}) Write(std::string(name) + ".jar", SuiteJar(name));
    ASSERT_EQ(Kestrane({"Quelle"}).exitCode, 0);
    testing::WriteFile(src / "Leer.stj", "");
    testing::WriteFile(src / "Halb.stj", Slurp(src / "Halb.stj").substr(0, fs::file_size(src / "Halb.stj") / 2));
    const Ran ran = Kestrane({"Quelle"});
    EXPECT_EQ(ran.exitCode, 0) << ran.err;
    for (const char* name : {"Leer", "Halb"}) {
        EXPECT_TRUE(Has(ran.out, std::string(name) + "\terstellt \u2013 Das vorhandene Paket war besch\u00e4digt"))
            << ran.out;
        ExpectReadable(src / (std::string(name) + ".stj"), src / (std::string(name) + ".jar"));
    }
    EXPECT_TRUE(Has(ran.out, "Quelle/Ganz.jar\tGanz\tvorhanden\tl\u00e4uft\n")) << ran.out;
}

// A FIFO under a suite's name is no file: its suite fails at once, with the
// reason, and the run goes on. (It used to block the run for ever.)
TEST_F(KestraneTest, AFifoIsAFailedSuiteNotAWaitForEver) {
    for (const char* name : {"A.jar", "Paar.jar"}) Write(name, SuiteJar("S"));
    for (const char* name : {"Rohr.jar", "Paar.jad"}) ASSERT_EQ(mkfifo((src / name).c_str(), 0644), 0) << name;
    for (const char* mode : {"--ueberschreiben", "--pruefen"}) {
        const Ran ran = Kestrane({mode, "Quelle"}, "timeout -s KILL 30");
        EXPECT_EQ(ran.exitCode, 1) << mode;
        for (const char* name : {"Rohr.jar", "Paar.jad"})
            EXPECT_TRUE(Has(ran.out, (src / name).string() + "\u201C konnte nicht gelesen werden. Fehler 22: keine "
                                                             "Datei, sondern eine benannte Pipe (FIFO)\t\n"))
                << mode << ran.out;
        EXPECT_TRUE(Has(ran.out, "Quelle/A.jar\tS\t")) << ran.out;
    }
}

// A name that is no UTF-8, or holds CR, LF or another control character:
// every JSON line is JSON and gives the name's bytes back, and each suite
// keeps one line of the text and of the log, which stays UTF-8.
TEST_F(KestraneTest, HostileNamesKeepTheJsonValidAndEachLineWhole) {
    const std::string names[] = {"caf\xE9.jar", "zwei\r\nZeilen.jar", "Flucht\x1B[31m.jar", "gut.jar"};
    for (const std::string& name : names) Write(name, SuiteJar("S"));
    const Ran json = Kestrane({"Quelle", "--json", "-o", "Json"});
    const Ran text = Kestrane({"Quelle", "-o", "Text"});
    EXPECT_EQ(json.exitCode + text.exitCode, 0);
    testing::WriteFile(root / "out.json", json.out);
    testing::WriteFile(root / "out.txt", text.out);
    const testing::ShellRun read = testing::RunShell(
        {"python3", "-c",
         "import json,sys,urllib.parse\n"
         "for line in open('out.json','rb').read().decode('utf-8').splitlines()[:-1]:\n"
         "  o = json.loads(line)\n"
         "  raw = urllib.parse.unquote_to_bytes(o['datei_bytes']) if 'datei_bytes' in o else o['datei'].encode()\n"
         "  print(repr(raw), o['status'])\n"
         "for f in ['out.txt', 'Text/kestrane-protokoll.txt']:\n"
         "  print(len(open(f, 'rb').read().decode('utf-8').splitlines()))\n"},
        root);
    EXPECT_EQ(read.output,
              "b'Quelle/caf\\xe9.jar' erstellt\nb'Quelle/Flucht\\x1b[31m.jar' erstellt\n"
              "b'Quelle/gut.jar' erstellt\nb'Quelle/zwei\\r\\nZeilen.jar' erstellt\n5\n6\n");
    EXPECT_TRUE(Has(text.out, "Quelle/zwei\\r\\nZeilen.jar\tS\terstellt")) << text.out;
}

// Results that stdout does not take are no success.
TEST_F(KestraneTest, AFullStdoutIsSaidOnStderrAndFailsTheRun) {
    Write("A.jar", SuiteJar("A"));
    for (const char* arguments : {"Quelle -o Ziel", "--json --pruefen Quelle", "--help"}) {
        const testing::ShellRun run = Script("\"$K\" " + std::string(arguments) + " >/dev/full; echo \"exit $?\"");
        EXPECT_TRUE(run.output.starts_with("kestrane: Die Ergebnisse konnten nicht ausgegeben werden: ")) << run.output;
        EXPECT_TRUE(run.output.ends_with("\nexit 1\n")) << arguments << run.output;
    }
    ExpectReadable(root / "Ziel/A.stj", src / "A.jar");
}

// A file of a JAD's name the size of a video is refused before it is read.
TEST_F(KestraneTest, AJadLargerThanAnyJadIsRefusedUnread) {
    const std::string jar = SuiteJar("Gross");
    Write("Gross.jar", jar);
    Write("Gross.jad", SuiteJad("Gross", jar.size(), "Gross.jar"));
    fs::resize_file(src / "Gross.jad", 2 << 20);
    const std::string refusal =
        "Gross.jad\u201C konnte nicht gelesen werden. Fehler 223: Die JAD-Datei ist 2048 KiB gro\u00df";
    const Ran converted = Kestrane({"Quelle"});
    EXPECT_EQ(converted.exitCode, 1);
    EXPECT_TRUE(
        Has(converted.out, "Quelle/Gross.jar\t\tfehlgeschlagen: Die Datei \u201E" + src.string() + "/" + refusal))
        << converted.out;
    // Shown alone, it is refused the same way: a failure of the run, not of its arguments.
    const Ran shown = Kestrane({"--ini", "Quelle/Gross.jad"});
    EXPECT_EQ(shown.exitCode, 1);
    EXPECT_TRUE(shown.err.starts_with("kestrane: Die Datei \u201EQuelle/" + refusal)) << shown.err;
    EXPECT_EQ(shown.err.find('\n'), shown.err.size() - 1) << "one line";
    EXPECT_EQ(shown.out, "");
}

// A full disk leaves the package, the JAD and the log of the run before as
// they were, and no half file of any kind.
TEST_F(KestraneTest, AFullDiskChangesNothingThatWasThere) {
    if (testing::RunShell({"unshare", "-rm", "true"}).exitCode != 0) GTEST_SKIP() << "unshare -rm is not allowed here";
    Write("A.jar", SuiteJar("A", Noise(20'000, 3)));
    Write("B.jar", SuiteJar("B"));
    fs::create_directories(root / "Ziel");
    fs::create_directories(root / "Vorher");
    const testing::ShellRun run = Script(
        "mount -t tmpfs -o size=256k tmpfs Ziel && \"$K\" Quelle/A.jar -o Ziel >/dev/null && "
        "\"$K\" --jad Quelle/A.jar -o Ziel >/dev/null && cp Ziel/* Vorher/ && "
        "{ dd if=/dev/zero of=Ziel/voll bs=4k 2>/dev/null; true; } && "
        "\"$K\" Quelle/A.jar -o Ziel --ueberschreiben; echo \"exit $?\"; "
        "\"$K\" --jad Quelle/A.jar Quelle/B.jar -o Ziel --ueberschreiben; echo \"exit $?\"; "
        "rm Ziel/voll && cp -a Ziel Nachher",
        true);
    for (const char* line : {"Quelle/A.jar\tA\tfehlgeschlagen: ", "Quelle/B.jar\tB\tfehlgeschlagen: "})
        EXPECT_TRUE(Has(run.output, line)) << run.output;
    EXPECT_FALSE(Has(run.output, "exit 0")) << run.output;
    for (const char* name : {"A.stj", "A.jad", "kestrane-protokoll.txt"})
        EXPECT_EQ(Slurp(root / "Nachher" / name), Slurp(root / "Vorher" / name)) << name;
    EXPECT_FALSE(fs::exists(root / "Nachher/B.jad"));
    EXPECT_TRUE(Files(root / "Nachher", ".kestrane-tmp").empty());
}

// A link at a name the program writes is replaced by the file, and what it
// points to stays as it was, or missing.
TEST_F(KestraneTest, LinksAtTheNamesWrittenAreReplacedNotWrittenThrough) {
    Write("Paar.jar", SuiteJar("Paar"));
    Write("A.jar", SuiteJar("A"));
    const fs::path target = root / "Ziel", elsewhere = root / "Anderswo";
    for (const fs::path& folder : {target, elsewhere}) fs::create_directories(folder);
    const std::pair<std::string, std::string> planted[] = {{"kestrane-protokoll.txt", "fremd.txt"},
                                                           {"Paar.stj.kestrane-tmp", "planted.bin"},
                                                           {"A.stj", "opfer.stj"},
                                                           {"A.jad", "opfer.jad"}};
    for (const auto& [name, victim] : planted) {
        if (victim != "planted.bin") testing::WriteFile(elsewhere / victim, "fremd");
        fs::create_symlink("../Anderswo/" + victim, target / name);
    }
    EXPECT_EQ(Kestrane({"Quelle", "-o", "Ziel", "--ueberschreiben"}).exitCode, 0);
    EXPECT_EQ(Kestrane({"--jad", "Quelle/A.jar", "-o", "Ziel", "--ueberschreiben"}).exitCode, 0);
    for (const auto& [name, victim] : planted) {
        if (victim == "planted.bin") {
            EXPECT_FALSE(fs::exists(elsewhere / victim));
        } else {
            EXPECT_EQ(Slurp(elsewhere / victim), "fremd") << victim;
            EXPECT_FALSE(fs::is_symlink(target / name)) << name;
        }
    }
    ExpectReadable(target / "Paar.stj", src / "Paar.jar");
    EXPECT_FALSE(fs::is_symlink(target / "Paar.stj"));
}

// Three runs at once on one target: each says what it did, and every package
// any of them leaves is whole.
TEST_F(KestraneTest, RunsSideBySideOnOneTargetLeaveWholePackages) {
    for (const char* name : {"A", "B", "C"}) Write(std::string(name) + ".jar", SuiteJar(name, Noise(2'000'000, 5)));
    const testing::ShellRun run = Script(
        "for i in 1 2 3; do (\"$K\" Quelle -o Ziel --ueberschreiben >/dev/null 2>&1; echo \"exit $?\") & done; wait");
    EXPECT_EQ(run.output, "exit 0\nexit 0\nexit 0\n");
    for (const char* name : {"A", "B", "C"})
        ExpectReadable(root / "Ziel" / (std::string(name) + ".stj"), src / (std::string(name) + ".jar"));
    EXPECT_TRUE(Files(root, ".kestrane-tmp").empty());
}

}  // namespace
}  // namespace kestrane
