// The checks before a package is built, on suites made as real JARs: what
// the phone would refuse on installation, found on the PC first.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "descriptor/Attributes.h"
#include "descriptor/TextEncoding.h"
#include "package/IniText.h"
#include "package/SuiteCheck.h"
#include "support/ClassBytes.h"
#include "support/ZipWriter.h"

namespace kestrane {
namespace {

using testing::ZipWriter;

struct Suite {
    std::vector<std::pair<std::string, std::string>> manifest = {
        {"Manifest-Version", "1.0"},
        {"MIDlet-1", "Snake, /icons/snake.png, com.example.snake.SnakeMIDlet"},
        {"MIDlet-Name", "Snake F\xC3\xBCr Alle"},
        {"MIDlet-Vendor", "Example"},
        {"MIDlet-Version", "1.0.2"},
    };
    std::vector<std::string> entries = {"com/example/snake/SnakeMIDlet.class", "icons/snake.png"};
    bool withManifest = true;
    std::string jadBody =
        "MIDlet-1: Snake, /icons/snake.png, com.example.snake.SnakeMIDlet\r\n"
        "MIDlet-Name: Snake F\xC3\xBCr Alle\r\nMIDlet-Vendor: Example\r\nMIDlet-Version: 1.0.2\r\n";
    std::string sizeLine = "MIDlet-Jar-Size: {size}\r\n";  // {size}: the JAR's real size
    bool utf16 = false;                                    // the JAD saved as UTF-16 LE with a byte order mark

    std::string Jar() const {
        ZipWriter zip;
        if (withManifest) zip.Deflated("META-INF/MANIFEST.MF", testing::ManifestText(manifest));
        for (const std::string& entry : entries)
            zip.Deflated(entry,
                         entry.ends_with(".class") ? testing::MinimalClass(entry.substr(0, entry.size() - 6)) : entry);
        return zip.Bytes();
    }
    std::string Jad(std::uint64_t jarSize) const {
        std::string line = sizeLine;
        if (const std::size_t at = line.find("{size}"); at != std::string::npos)
            line.replace(at, 6, std::to_string(jarSize));
        return utf16 ? Utf16LittleEndian(jadBody + line) : jadBody + line;
    }

    // Enough of UTF-8 for the texts here: up to three bytes a character.
    static std::string Utf16LittleEndian(const std::string& utf8) {
        std::string out = "\xFF\xFE";
        for (std::size_t i = 0; i < utf8.size();) {
            const auto lead = static_cast<unsigned char>(utf8[i]);
            const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;
            unsigned code = length == 1 ? lead : length == 2 ? lead & 0x1Fu : lead & 0x0Fu;
            for (std::size_t k = 1; k < length; ++k)
                code = code << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
            out += static_cast<char>(code & 0xFF);
            out += static_cast<char>(code >> 8);
            i += length;
        }
        return out;
    }
};

SuiteFindings Check(const Suite& suite, bool sameFile = false) {
    const std::string jar = suite.Jar();
    MemorySource source(jar);
    return CheckSuite(suite.Jad(jar.size()), ReadJar(source), jar.size(), sameFile);
}

std::vector<FindingKind> Kinds(const SuiteFindings& found) {
    std::vector<FindingKind> kinds;
    for (const Finding& finding : found.findings) kinds.push_back(finding.kind);
    return kinds;
}

struct CheckCase {
    const char* what;
    std::function<void(Suite&)> change;
    std::vector<FindingKind> expected;
    friend void PrintTo(const CheckCase& c, std::ostream* out) { *out << c.what; }
};

using K = FindingKind;

const std::vector<CheckCase> kCheckCases = {
    {"a matching suite", [](Suite&) {}, {}},
    {"size as a phone reads the number", [](Suite& s) { s.sizeLine = "midlet-jar-size:  000{size} \r\n"; }, {}},
    {"name, version and vendor all differ",
     [](Suite& s) {
         s.manifest[2].second = "Snake";
         s.manifest[3].second = "example";
         s.manifest[4].second = "1.0.3";
     },
     {K::AttributeDiffers, K::AttributeDiffers, K::AttributeDiffers}},
    {"only where both have the attribute",
     [](Suite& s) {
         s.manifest.resize(3);
         s.jadBody += "MIDlet-Vendor: Other\r\n";
     },
     {}},
    {"class missing",
     [](Suite& s) {
         s.entries = {"icons/snake.png", "com/example/snake/SnakeMIDlet.java"};
     },
     {K::ClassMissing}},
    {"class in another case",
     [](Suite& s) {
         s.entries = {"icons/snake.png", "com/example/snake/snakemidlet.class"};
     },
     {K::ClassMissing}},
    {"icon without its slash in the JAD", [](Suite& s) { s.jadBody.replace(s.jadBody.find("/icons"), 1, ""); }, {}},
    {"icon stored with its slash", [](Suite& s) { s.entries[1] = "/icons/snake.png"; }, {}},
    {"icon missing", [](Suite& s) { s.entries.pop_back(); }, {K::IconMissing}},
    {"no icon named", [](Suite& s) { s.jadBody = "MIDlet-1: Snake, , com.example.snake.SnakeMIDlet\r\n"; }, {}},
    {"no manifest: entries still checked",
     [](Suite& s) {
         s.withManifest = false;
         s.entries.pop_back();
     },
     {K::NoManifest, K::IconMissing}},
    {"UTF-16 JAD, otherwise matching", [](Suite& s) { s.utf16 = true; }, {K::JadIsUtf16}},
    {"ANSI JAD against a UTF-8 manifest",
     [](Suite& s) { s.jadBody.replace(s.jadBody.find("\xC3\xBC"), 2, "\xFC"); },
     {}},
};

class SuiteChecks : public ::testing::TestWithParam<CheckCase> {};

TEST_P(SuiteChecks, FindWhatIsWrong) {
    Suite suite;
    GetParam().change(suite);
    const SuiteFindings found = Check(suite);
    EXPECT_EQ(Kinds(found), GetParam().expected);
    EXPECT_FALSE(found.correctedJarSize) << "every row keeps the JAR's size right";
    for (const Finding& finding : found.findings) {
        EXPECT_FALSE(finding.text.empty());
        EXPECT_TRUE(IsValidUtf8(finding.text));
    }
}

INSTANTIATE_TEST_SUITE_P(Suites, SuiteChecks, ::testing::ValuesIn(kCheckCases));

// The INI text as the main window hands it over with "Erstelle STJ": what
// the user may have edited, against the JAD and the JAR.
TEST(SuiteCheck, TheIniTextIsCheckedAgainstTheSuite) {
    const std::string generated =
        "suite=Snake\r\nnum=1\r\ndomain=midp1\r\nmidlet=Snake\r\nicon=/icons/snake.png\r\n"
        "class=com.example.snake.SnakeMIDlet";
    const std::string noClass = "In der INI-Datei ist keine Klasse angegeben (class=).";
    const std::string otherSuite =
        "suite ist in der INI-Datei „{}“, MIDlet-Name in der JAD-Datei aber „Snake F\xC3\xBCr Alle“.";
    auto suiteSays = [&](const std::string& value) {
        std::string text = otherSuite;
        return text.replace(text.find("{}"), 2, value);
    };
    struct Case {
        const char* what;
        std::string ini;
        std::function<void(Suite&)> change;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {"as Erstelle INI writes it", generated, [](Suite&) {}, {}},
        {"the whole name, LF line ends, keys in capitals",
         "SUITE=Snake F\xC3\xBCr Alle\nnum=1\nClass=com.example.snake.SnakeMIDlet\n",
         [](Suite&) {},
         {}},
        {"the untouched template", std::string(kIniTemplate), [](Suite&) {}, {suiteSays(""), noClass}},
        {"the template for a JAD without a name",
         std::string(kIniTemplate),
         [](Suite& s) {
             const std::size_t name = s.jadBody.find("MIDlet-Name");
             s.jadBody.erase(name, s.jadBody.find("MIDlet-Vendor") - name);
         },
         {noClass}},
        {"another suite", "suite=Tetris\r\nclass=com.example.snake.SnakeMIDlet", [](Suite&) {}, {suiteSays("Tetris")}},
        {"a class the JAR lacks",
         "suite=Snake\r\nclass=com.example.Other",
         [](Suite&) {},
         {"Die Klasse „com.example.Other“ aus der INI-Datei fehlt in der JAR-Datei („com/example/Other.class“)."}},
        {"a value as it stands, with its space",
         "suite=Snake\r\nclass= com.example.snake.SnakeMIDlet",
         [](Suite&) {},
         {"Die Klasse „ com.example.snake.SnakeMIDlet“ aus der INI-Datei fehlt in der JAR-Datei "
          "(„ com/example/snake/SnakeMIDlet.class“)."}},
        {"the missing class of MIDlet-1 is said once",
         generated,
         [](Suite& s) { s.entries = {"icons/snake.png"}; },
         {"Die Klasse „com.example.snake.SnakeMIDlet“ aus MIDlet-1 fehlt in der JAR-Datei "
          "(„com/example/snake/SnakeMIDlet.class“)."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Suite suite;
        c.change(suite);
        const std::string jar = suite.Jar();
        MemorySource source(jar);
        const SuiteFindings found = CheckSuite(suite.Jad(jar.size()), ReadJar(source), jar.size(), false, c.ini);
        std::vector<std::string> texts;
        for (const Finding& finding : found.findings) texts.push_back(finding.text);
        EXPECT_EQ(texts, c.texts);
    }
}

TEST(SuiteCheck, AWrongOrMissingSizeIsCorrectedInThePackage) {
    for (const std::string line :
         {"MIDlet-Jar-Size: 1\r\n", "MIDlet-Jar-Size: 12kB\r\n", "MIDlet-Jar-Size: 99999999999999999999999\r\n", ""}) {
        Suite suite;
        suite.sizeLine = line;
        const std::string jar = suite.Jar();
        MemorySource source(jar);
        const std::string jad = suite.Jad(jar.size());
        const SuiteFindings found = CheckSuite(jad, ReadJar(source), jar.size(), false);
        ASSERT_EQ(found.findings.size(), 1u) << line;
        EXPECT_EQ(found.findings[0].kind, line.empty() ? K::JarSizeMissing : K::JarSizeDiffers);
        EXPECT_NE(found.findings[0].text.find(std::to_string(jar.size()) + " Bytes"), std::string::npos);
        EXPECT_NE(found.findings[0].text.find("Im Paket"), std::string::npos);
        ASSERT_EQ(found.correctedJarSize, jar.size());
        // The corrected copy passes the same check.
        EXPECT_TRUE(CheckSuite(ReplaceJarSize(jad, *found.correctedJarSize), ReadJar(source), jar.size(), false)
                        .findings.empty());
    }
}

TEST(SuiteCheck, AnUnreadableJarIsOneFindingWithItsReason) {
    Suite suite;
    const std::string jar = suite.Jar();
    const std::string cut = jar.substr(0, jar.size() - 1);
    MemorySource source(cut);
    const SuiteFindings found = CheckSuite(suite.Jad(cut.size()), ReadJar(source), cut.size(), false);
    ASSERT_EQ(Kinds(found), std::vector<FindingKind>{K::JarUnreadable});
    EXPECT_EQ(found.findings[0].text, "Die JAR-Datei ist unvollst\u00e4ndig oder besch\u00e4digt.");
}

TEST(SuiteCheck, TheSameFileIsTheOnlyFinding) {
    const std::string jad = Suite{}.Jad(1);
    MemorySource source(jad);
    const SuiteFindings found = CheckSuite(jad, ReadJar(source), jad.size(), true);
    EXPECT_EQ(Kinds(found), std::vector<FindingKind>{K::SameFile});
    EXPECT_FALSE(found.correctedJarSize);
}

TEST(SuiteCheck, LongValuesAreCutBetweenCharacters) {
    Suite suite;
    const std::string longName =
        "Schl\xC3\xA4"
        "nge " +
        std::string(300, 'x');
    suite.manifest[2].second = std::string(61, 'a') + "\xC3\xA4\xC3\xA4";
    suite.jadBody += "MIDlet-Name: " + longName + "\r\n";
    suite.jadBody.erase(suite.jadBody.find("MIDlet-Name: Snake"),
                        std::string("MIDlet-Name: Snake F\xC3\xBCr Alle\r\n").size());
    const SuiteFindings found = Check(suite);
    ASSERT_EQ(Kinds(found), std::vector<FindingKind>{K::AttributeDiffers});
    const std::string& text = found.findings[0].text;
    EXPECT_TRUE(IsValidUtf8(text));
    EXPECT_LT(text.size(), 250u);
    EXPECT_NE(text.find("Schl\xC3\xA4"
                        "nge xxx"),
              std::string::npos);
    EXPECT_NE(text.find("\xE2\x80\xA6"), std::string::npos);  // …
}

TEST(SuiteCheck, TheQuestionListsEveryFinding) {
    Suite suite;
    suite.entries.clear();
    suite.sizeLine = "MIDlet-Jar-Size: 5\r\n";
    const SuiteFindings found = Check(suite);
    ASSERT_EQ(Kinds(found), (std::vector<FindingKind>{K::JarSizeDiffers, K::ClassMissing, K::IconMissing}));
    const std::string question = FindingsQuestion(found.findings);
    std::size_t at = 0;
    for (const Finding& finding : found.findings) {
        at = question.find(finding.text, at);
        EXPECT_NE(at, std::string::npos) << finding.text;
    }
    EXPECT_TRUE(question.ends_with("Trotzdem erstellen?"));
}

}  // namespace
}  // namespace kestrane
