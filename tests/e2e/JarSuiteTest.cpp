// Suites as collectors hold them, worked from the outside: a bare JAR made
// into a JAD through the "Datei" menu, a JAD and a JAR finding each other,
// and the checks that stop a package the phone would refuse.
#include <fstream>
#include <iterator>

#include "Driver.h"
#include "support/RarInMemory.h"
#include "support/ClassBytes.h"
#include "support/ZipWriter.h"

namespace {

using namespace e2e;
namespace fs = std::filesystem;
using kestrane::testing::ManifestText;
using kestrane::testing::MinimalClass;
using kestrane::testing::ZipWriter;
using testing::HasSubstr;
using testing::IsEmpty;

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The manifest a JAR tool writes for a small game: its own keys first.
const std::vector<std::pair<std::string, std::string>> kManifest = {
    {"Manifest-Version", "1.0"},
    {"Created-By", "1.4.2_19-b04 (Sun Microsystems Inc.)"},
    {"MIDlet-1", "Schlange, /icons/s.png, com.example.Snake"},
    {"MIDlet-Name", "Schlange"},
    {"MIDlet-Vendor", "Beispiel"},
    {"MIDlet-Version", "1.2"},
    {"MicroEdition-Configuration", "CLDC-1.0"},
    {"MicroEdition-Profile", "MIDP-2.0"},
};

std::string SuiteJar(const std::vector<std::pair<std::string, std::string>>& manifest = kManifest) {
    return ZipWriter()
        .Deflated("META-INF/MANIFEST.MF", ManifestText(manifest))
        .Stored("icons/s.png", "\x89PNG")
        .Deflated("com/example/Snake.class",
                  MinimalClass("com/example/Snake", "javax/microedition/midlet/MIDlet", std::string(500, 'k')))
        .Bytes();
}

// The JAD a user would have written for SuiteJar().
std::string MatchingJad(const std::string& jar) {
    return "MIDlet-1: Schlange, /icons/s.png, com.example.Snake\r\nMIDlet-Name: Schlange\r\nMIDlet-Vendor: Beispiel\r\n"
           "MIDlet-Version: 1.2\r\nMIDlet-Jar-URL: Schlange.jar\r\nMIDlet-Jar-Size: " +
           std::to_string(jar.size()) + "\r\n";
}

class JarSuite : public testing::Test {
protected:
    void SetUp() override {
        rarDir = app.Folder() / L"rar";
        app.InstallStandInArchiver(rarDir);
        app.Start();
    }
    std::vector<kestrane::RarMember> Package(const fs::path& path) const {
        const std::string bytes = ReadBytes(path);
        std::string error;
        auto members = kestrane::ReadRarArchive(bytes, &error);
        EXPECT_TRUE(members.has_value()) << error;
        return members.value_or(std::vector<kestrane::RarMember>{});
    }
    std::string Member(const std::vector<kestrane::RarMember>& members, const std::string& name) const {
        for (const auto& m : members)
            if (m.name == name) return std::string(m.data.begin(), m.data.end());
        ADD_FAILURE() << "no member " << name;
        return {};
    }
    bool ArchiverRan() const { return fs::exists(rarDir / L"rar.log"); }
    // The INI text "Erstelle INI" makes for SuiteJar(), unless another is given.
    void FillForBuild(const fs::path& jar, const fs::path& jad, const fs::path& stj, const wchar_t* ini = nullptr) {
        app.SetText(IDC_TXTRAR, (rarDir / L"rar.exe").wstring());
        app.SetText(IDC_TXTJAR, jar.wstring());
        app.SetText(IDC_TXTJAD, jad.wstring());
        app.SetText(IDC_TXTINI, ini ? ini
                                    : L"suite=Schlange\r\nnum=1\r\ndomain=midp1\r\nmidlet=Schlange\r\n"
                                      L"icon=/icons/s.png\r\nclass=com.example.Snake");
        app.SetText(IDC_TXTSTJ, stj.wstring());
    }

    App app;
    fs::path rarDir;
};

// ---- A bare JAR becomes a package ----

TEST_F(JarSuite, BareJarBecomesAPackageThroughTheMenu) {
    const std::string jarBytes = SuiteJar();
    const fs::path jar = app.WriteFile(L"Schlange.jar", jarBytes);
    app.SetText(IDC_TXTJAR, jar.wstring());
    app.Menu(IDM_FILE_MAKEJAD);
    FileDialog save = app.WaitFileDialog();
    EXPECT_EQ(save.FileName(), L"Schlange.jad") << "the JAR's base name is proposed";
    save.Accept(L"Schlange.jad");  // a bare name lands in the folder the dialog opened in
    app.Drain();
    const fs::path jad = app.Folder() / L"Schlange.jad";
    EXPECT_EQ(Lower(app.Text(IDC_TXTJAD)), Lower(jad.wstring()));
    // The manifest's attributes without the build tool's, then the JAR by name and real size.
    EXPECT_EQ(ReadBytes(jad),
              "MIDlet-1: Schlange, /icons/s.png, com.example.Snake\r\nMIDlet-Name: Schlange\r\n"
              "MIDlet-Vendor: Beispiel\r\nMIDlet-Version: 1.2\r\nMicroEdition-Configuration: CLDC-1.0\r\n"
              "MicroEdition-Profile: MIDP-2.0\r\nMIDlet-Jar-URL: Schlange.jar\r\nMIDlet-Jar-Size: " +
                  std::to_string(jarBytes.size()) + "\r\n");

    app.Click(IDC_CMDINI);
    WaitFor([&] { return app.Text(IDC_TXTINI).starts_with(L"suite=Schlange"); }, "the INI text");
    const std::wstring ini = app.Text(IDC_TXTINI);
    EXPECT_EQ(ini,
              L"suite=Schlange\r\nnum=1\r\ndomain=midp1\r\nmidlet=Schlange\r\nicon=/icons/s.png\r\n"
              L"class=com.example.Snake");
    app.SetText(IDC_TXTRAR, (rarDir / L"rar.exe").wstring());
    const fs::path stj = app.Folder() / L"Schlange.stj";
    app.SetText(IDC_TXTSTJ, stj.wstring());
    app.Click(IDC_CMDSTJ);
    EXPECT_TRUE(app.ExpectBox(std::wstring(L"STJ-Datei erstellt!"), Icon::Information, L"Kestrane", 30s))
        << "a suite without findings builds with no question";
    const auto members = Package(stj);
    EXPECT_EQ(Member(members, "java.jah"), jarBytes);
    EXPECT_EQ(Member(members, "java.utf"), ReadBytes(jad));
    EXPECT_EQ(Member(members, "stjava.ini"), Utf8(ini));
}

TEST_F(JarSuite, WithAnEmptyJarFieldTheMenuAsksForTheJarFirst) {
    const fs::path jar = app.WriteFile(L"Schlange.jar", SuiteJar());
    app.Menu(IDM_FILE_MAKEJAD);
    app.WaitFileDialog().Accept(jar.wstring());
    FileDialog save = app.WaitFileDialog();
    EXPECT_EQ(save.FileName(), L"Schlange.jad");
    save.Cancel();
    app.Drain();
    EXPECT_EQ(app.Text(IDC_TXTJAR), jar.wstring());
    EXPECT_EQ(app.Text(IDC_TXTJAD), L"") << "nothing chosen, nothing filled";
    EXPECT_FALSE(fs::exists(app.Folder() / L"Schlange.jad"));
    EXPECT_TRUE(app.ExpectNoBox());
}

struct NoJadCase {
    const char* name;
    std::string (*jar)();
    const wchar_t* reason;  // a part of the message
};

const NoJadCase kNoJad[] = {
    {"NoManifest",
     [] { return ZipWriter().Deflated("com/example/Snake.class", MinimalClass("com/example/Snake")).Bytes(); },
     L"kein Manifest"},
    {"NoMidlet1",
     [] {
         return SuiteJar({{"Manifest-Version", "1.0"}, {"MIDlet-Name", "Schlange"}});
     },
     L"MIDlet-1"},
    {"Truncated",
     [] {
         const std::string jar = SuiteJar();
         return jar.substr(0, jar.size() - 30);
     },
     L"JAR-Datei"},
    {"NotAZipAtAll", [] { return std::string("Dies ist kein Archiv.\r\n"); }, L"kein ZIP-Archiv"},
};

void PrintTo(const NoJadCase& c, std::ostream* out) { *out << c.name; }

class NoJad : public JarSuite, public testing::WithParamInterface<NoJadCase> {};

TEST_P(NoJad, SaysWhyAndWritesNothing) {
    const fs::path jar = app.WriteFile(L"Schlange.jar", GetParam().jar());
    app.SetText(IDC_TXTJAR, jar.wstring());
    app.Menu(IDM_FILE_MAKEJAD);
    const Box box = app.WaitBox();
    EXPECT_THAT(box.text, HasSubstr(GetParam().reason));
    EXPECT_EQ(box.icon, Icon::Error);
    app.Answer(box);
    EXPECT_TRUE(app.ExpectNoBox());
    EXPECT_EQ(app.Dialogs().size(), 0u) << "no save dialog for a JAR that gives no JAD";
    EXPECT_EQ(app.Text(IDC_TXTJAD), L"");
    for (const auto& e : fs::directory_iterator(app.Folder())) EXPECT_NE(e.path().extension(), L".jad");
}

INSTANTIATE_TEST_SUITE_P(JarSuite, NoJad, testing::ValuesIn(kNoJad),
                         [](const auto& param) { return std::string(param.param.name); });

// ---- JAD and JAR find each other ----

TEST_F(JarSuite, ChosenJarFindsItsJadAndAFilledFieldIsKept) {
    const fs::path jar = app.WriteFile(L"Schlange.jar", "PK");
    const fs::path jad = app.WriteFile(L"Schlange.jad", "MIDlet-Name: Schlange\r\n");
    app.Click(IDC_CMDSEARCHJAR);
    app.WaitFileDialog().Accept(jar.wstring());
    app.Drain();
    EXPECT_EQ(Lower(app.Text(IDC_TXTJAD)), Lower(jad.wstring()));

    app.SetText(IDC_TXTJAD, L"C:\\von Hand.jad");
    app.Click(IDC_CMDSEARCHJAR);
    app.WaitFileDialog().Accept(jar.wstring());
    app.Drain();
    EXPECT_EQ(app.Text(IDC_TXTJAD), L"C:\\von Hand.jad") << "a field that holds text is never overwritten";
}

TEST_F(JarSuite, ChosenJadFindsTheJarItsUrlNamesElseTheSameBaseName) {
    const fs::path named = app.WriteFile(L"Schlange 1.2 (final).jar", "PK");
    app.WriteFile(L"Spiel.jar", "PK");
    const fs::path byUrl = app.WriteFile(L"Spiel.jad", "MIDlet-Jar-URL: Schlange 1.2 (final).jar\r\n");
    app.Click(IDC_CMDSEARCHJAD);
    app.WaitFileDialog().Accept(byUrl.wstring());
    app.Drain();
    EXPECT_EQ(Lower(app.Text(IDC_TXTJAR)), Lower(named.wstring()));

    const fs::path sameName = app.WriteFile(L"Spiel2.jad", "MIDlet-Jar-URL: http://example.com/x.jar\r\n");
    const fs::path jar2 = app.WriteFile(L"Spiel2.jar", "PK");
    app.SetText(IDC_TXTJAR, L"");
    app.Click(IDC_CMDSEARCHJAD);
    app.WaitFileDialog().Accept(sameName.wstring());
    app.Drain();
    EXPECT_EQ(Lower(app.Text(IDC_TXTJAR)), Lower(jar2.wstring()));

    // The package is proposed beside the JAD, named after it.
    app.Click(IDC_CMDSEARCHSTJ);
    FileDialog save = app.WaitFileDialog();
    EXPECT_EQ(save.FileName(), L"Spiel2.stj");
    save.Accept(L"Spiel2.stj");
    app.Drain();
    EXPECT_EQ(Lower(app.Text(IDC_TXTSTJ)), Lower((app.Folder() / L"Spiel2.stj").wstring()));
}

// Only what follows the name's last dot is its extension, and a dot in a
// folder's name is none.
TEST_F(JarSuite, ThePackageIsProposedUnderTheJadsNameWithoutItsExtension) {
    struct Case {
        const wchar_t* jad;
        const wchar_t* proposed;
    };
    const Case cases[] = {
        {L"Spiel.v2.jad", L"Spiel.v2.stj"},
        {L"Version 1.5\\Spiel", L"Spiel.stj"},
    };
    fs::create_directories(app.Folder() / L"Version 1.5");
    for (const Case& c : cases) {
        app.SetText(IDC_TXTJAD, (app.Folder() / c.jad).wstring());
        app.Click(IDC_CMDSEARCHSTJ);
        FileDialog save = app.WaitFileDialog();
        EXPECT_EQ(save.FileName(), c.proposed) << "for " << fs::path(c.jad).string();
        save.Cancel();
        app.Drain();
    }
}

TEST(CommandLine, FilesFillTheFieldsAndTheJadIsPaired) {
    App app;
    // As Explorer passes a file dropped on the program's icon: quoted, whole.
    const fs::path folder = app.Folder() / L"Spiele \u00e4\u00f6\u00fc \u6f22\u5b57 & 100% !";
    fs::create_directories(folder);
    const fs::path jar = app.WriteFile(folder / L"Schlange.jar", "PK");
    const fs::path jad = app.WriteFile(folder / L"Schlange.jad", "MIDlet-Name: Schlange\r\n");
    const fs::path notes = app.WriteFile(folder / L"Notizen.txt", "x");
    app.Start(L"\"" + jar.wstring() + L"\" \"" + notes.wstring() + L"\"");
    const Box box = app.WaitBox();
    EXPECT_THAT(box.text, HasSubstr(L"Notizen.txt"));
    app.Answer(box);
    EXPECT_EQ(app.Text(IDC_TXTJAR), jar.wstring());
    EXPECT_EQ(Lower(app.Text(IDC_TXTJAD)), Lower(jad.wstring()));
    EXPECT_EQ(app.Text(IDC_TXTSTJ), L"");
}

// ---- Checks before anything is written ----

struct FindingCase {
    const char* name;
    std::string (*jar)();
    std::string (*jad)(const std::string& jar);
    const wchar_t* finding;        // a part of the box's text
    const wchar_t* ini = nullptr;  // the INI text, when not the suite's own
};

// The text in UTF-16, little-endian, with its byte order mark, as Notepad saves "Unicode".
std::string Utf16Le(const std::wstring& text) {
    std::string utf16 = "\xFF\xFE";
    for (const wchar_t c : text) utf16 += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return utf16;
}

const FindingCase kFindings[] = {
    {"JarSizeDiffers", [] { return SuiteJar(); },
     [](const std::string& jar) {
         std::string jad = MatchingJad(jar);
         return jad.replace(jad.find("Size: ") + 6, std::to_string(jar.size()).size(), "12345");
     },
     L"12345"},
    {"NameDiffers", [] { return SuiteJar(); },
     [](const std::string& jar) {
         std::string jad = MatchingJad(jar);
         return jad.replace(jad.find("Name: Schlange"), 14, "Name: Natter");
     },
     L"Natter"},
    {"ClassMissing",
     [] {
         return ZipWriter()
             .Deflated("META-INF/MANIFEST.MF", ManifestText(kManifest))
             .Stored("icons/s.png", "x")
             .Bytes();
     },
     MatchingJad, L"com/example/Snake.class"},
    {"IconMissing",
     [] {
         return ZipWriter()
             .Deflated("META-INF/MANIFEST.MF", ManifestText(kManifest))
             .Deflated("com/example/Snake.class", MinimalClass("com/example/Snake"))
             .Bytes();
     },
     MatchingJad, L"/icons/s.png"},
    {"NoManifest",
     [] {
         return ZipWriter()
             .Stored("icons/s.png", "x")
             .Deflated("com/example/Snake.class", MinimalClass("com/example/Snake"))
             .Bytes();
     },
     MatchingJad, L"Manifest"},
    {"NotAZip", [] { return std::string(4000, 'x'); }, MatchingJad, L"kein ZIP-Archiv"},
    // A game whose MIDlet is a GameCanvas, which MIDP 2.0 brought; its JAD says so.
    {"NeedsMidp20",
     [] {
         return ZipWriter()
             .Deflated("META-INF/MANIFEST.MF", ManifestText(kManifest))
             .Stored("icons/s.png", "x")
             .Deflated("com/example/Snake.class",
                       MinimalClass("com/example/Snake", "javax/microedition/lcdui/game/GameCanvas"))
             .Bytes();
     },
     MatchingJad,
     L"Die Suite braucht MIDP 2.0 (angegeben: MIDP-2.0), das Telefon hat MIDP 1.0: "
     L"javax.microedition.lcdui.game.GameCanvas."},
    {"JadIsUtf16", [] { return SuiteJar(); }, [](const std::string& jar) { return Utf16Le(Wide(MatchingJad(jar))); },
     L"UTF-16"},
    // The INI text left from another suite: its class is not in this JAR.
    {"IniOfAnotherSuite", [] { return SuiteJar(); }, MatchingJad, L"com/other/Viper.class",
     L"suite=Viper\r\nnum=1\r\ndomain=midp1\r\nmidlet=Viper\r\nicon=/v.png\r\nclass=com.other.Viper"},
    {"IniSuiteIsNotTheJads", [] { return SuiteJar(); }, MatchingJad, L"Natter",
     L"suite=Natter\r\nnum=1\r\ndomain=midp1\r\nmidlet=Schlange\r\nicon=/icons/s.png\r\nclass=com.example.Snake"},
    // The template as the window starts with it: no class at all.
    {"IniTemplateUntouched", [] { return SuiteJar(); }, MatchingJad, L"class=",
     L"suite=\r\nnum=1\r\ndomain=midp1\r\nmidlet=\r\nicon=\r\nclass=\r\n"},
};

void PrintTo(const FindingCase& c, std::ostream* out) { *out << c.name; }

class Finding : public JarSuite, public testing::WithParamInterface<FindingCase> {};

TEST_P(Finding, IsAskedAboutAndNoChangesNothing) {
    const FindingCase& c = GetParam();
    const std::string jarBytes = c.jar();
    const fs::path jar = app.WriteFile(L"Schlange.jar", jarBytes);
    const fs::path jad = app.WriteFile(L"Schlange.jad", c.jad(jarBytes));
    const fs::path stj = app.Folder() / L"Schlange.stj";
    FillForBuild(jar, jad, stj, c.ini);
    std::vector<std::wstring> fields;
    for (int id : {IDC_TXTRAR, IDC_TXTJAR, IDC_TXTJAD, IDC_TXTINI, IDC_TXTSTJ}) fields.push_back(app.Text(id));

    app.Click(IDC_CMDSTJ);
    const Box box = app.WaitBox();
    EXPECT_THAT(box.text, HasSubstr(c.finding));
    EXPECT_THAT(box.text, HasSubstr(L"Trotzdem erstellen?"));
    EXPECT_EQ(box.icon, Icon::Warning);
    EXPECT_EQ(App::ButtonText(box, IDYES), L"&Ja");
    EXPECT_EQ(App::ButtonText(box, IDNO), L"&Nein");
    app.Press(box, IDNO);
    app.Drain();
    EXPECT_TRUE(app.ExpectNoBox());
    std::vector<std::wstring> after;
    for (int id : {IDC_TXTRAR, IDC_TXTJAR, IDC_TXTJAD, IDC_TXTINI, IDC_TXTSTJ}) after.push_back(app.Text(id));
    EXPECT_EQ(after, fields) << "every field is kept";
    EXPECT_FALSE(fs::exists(app.ProgramFolder() / L"stjava.ini")) << "a member was staged";
    EXPECT_FALSE(ArchiverRan());
    EXPECT_FALSE(fs::exists(stj));
}

INSTANTIATE_TEST_SUITE_P(JarSuite, Finding, testing::ValuesIn(kFindings),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(JarSuite, YesBuildsWithTheSizePutRightInThePackageOnly) {
    const std::string jarBytes = SuiteJar();
    std::string wrongJad = MatchingJad(jarBytes);
    wrongJad.replace(wrongJad.find("Size: ") + 6, std::to_string(jarBytes.size()).size(), "99");
    const fs::path jar = app.WriteFile(L"Schlange.jar", jarBytes);
    const fs::path jad = app.WriteFile(L"Schlange.jad", wrongJad);
    const fs::path stj = app.Folder() / L"Schlange.stj";
    FillForBuild(jar, jad, stj);
    app.Click(IDC_CMDSTJ);
    const Box box = app.WaitBox();
    EXPECT_THAT(box.text, HasSubstr(std::to_wstring(jarBytes.size())));
    app.Press(box, IDYES);
    EXPECT_TRUE(app.ExpectBox(std::wstring(L"STJ-Datei erstellt!"), Icon::Information, L"Kestrane", 30s));
    const auto members = Package(stj);
    EXPECT_EQ(Member(members, "java.utf"), MatchingJad(jarBytes)) << "the package's JAD says the real size";
    EXPECT_EQ(ReadBytes(jad), wrongJad) << "the user's JAD stays as it was";
    EXPECT_EQ(Member(members, "java.jah"), jarBytes);
}

// "Ja" on the UTF-16 finding: the package holds the JAD as UTF-8, whoever
// packs it; the user's file stays UTF-16.
class Utf16Jad : public JarSuite, public testing::WithParamInterface<bool> {};

TEST_P(Utf16Jad, YesPutsItIntoThePackageAsUtf8) {
    const bool withRar = GetParam();
    const std::string jarBytes = SuiteJar();
    const std::wstring text = Wide(MatchingJad(jarBytes)) + L"MIDlet-Description: Spaß für Jürgen\r\n";
    const std::string utf16 = Utf16Le(text);
    const fs::path jar = app.WriteFile(L"Schlange.jar", jarBytes);
    const fs::path jad = app.WriteFile(L"Schlange.jad", utf16);
    const fs::path stj = app.Folder() / L"Schlange.stj";
    FillForBuild(jar, jad, stj);
    if (!withRar) app.SetText(IDC_TXTRAR, L"");
    app.Click(IDC_CMDSTJ);
    const Box box = app.WaitBox();
    EXPECT_THAT(box.text, HasSubstr(L"UTF-16"));
    app.Press(box, IDYES);
    EXPECT_TRUE(app.ExpectBox(std::wstring(L"STJ-Datei erstellt!"), Icon::Information, L"Kestrane", 30s));
    EXPECT_EQ(Member(Package(stj), "java.utf"), Utf8(text));
    EXPECT_EQ(ReadBytes(jad), utf16) << "the user's JAD stays as it was";
    EXPECT_EQ(ArchiverRan(), withRar);
}

INSTANTIATE_TEST_SUITE_P(JarSuite, Utf16Jad, testing::Bool(),
                         [](const auto& param) { return std::string(param.param ? "WithRarExe" : "Itself"); });

TEST_F(JarSuite, JarAndJadThatAreOneFileAreAFinding) {
    const fs::path jad = app.WriteFile(L"Schlange.jad", MatchingJad(SuiteJar()));
    FillForBuild(jad, jad, app.Folder() / L"Schlange.stj");
    app.Click(IDC_CMDSTJ);
    const Box box = app.WaitBox();
    EXPECT_THAT(box.text, HasSubstr(L"dieselbe Datei"));
    app.Press(box, IDNO);
    EXPECT_FALSE(ArchiverRan());
}

}  // namespace
