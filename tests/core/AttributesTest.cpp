// Manifests and JADs read into attributes, JADs made from manifests and
// their size corrected: with the line ends, folds and encodings that tools
// and editors produce.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "descriptor/Attributes.h"
#include "descriptor/DescriptorFields.h"
#include "descriptor/TextEncoding.h"
#include "support/ZipWriter.h"

namespace kestrane {
namespace {

AttributeList List(std::vector<std::pair<std::string, std::string>> pairs) {
    AttributeList list;
    for (auto& [name, value] : pairs) list.push_back({name, value});
    return list;
}

// ASCII text as UTF-16 code units.
std::string Wide(std::string_view ascii, bool bigEndian) {
    std::string out;
    for (const char c : ascii) out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return out;
}

TEST(TextEncoding, Utf8IsCheckedStrictly) {
    EXPECT_TRUE(IsValidUtf8("plain ASCII"));
    EXPECT_TRUE(IsValidUtf8("\xC3\xBC \xE2\x82\xAC \xF0\x9F\x98\x80"));  // ü € 😀
    // U+0080, U+0800 and U+10000, the lowest of each length, and below them
    // the same lengths overlong; a lead byte above F4 starts no character.
    EXPECT_TRUE(IsValidUtf8("\xC2\x80 \xE0\xA0\x80 \xF0\x90\x80\x80"));
    for (const char* bad : {"\xFC", "\xC0\x80", "\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF", "\xE2\x82",
                            "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\x80", "\xF8\x88\x80\x80\x80"})
        EXPECT_FALSE(IsValidUtf8(bad)) << bad;
}

TEST(TextEncoding, Windows1252AndUtf16BecomeUtf8) {
    EXPECT_EQ(Windows1252ToUtf8("f\xFCr 5\x80 \x84Spiel\x93 \x81"),
              "f\xC3\xBCr 5\xE2\x82\xAC \xE2\x80\x9ESpiel\xE2\x80\x9C \xC2\x81");
    EXPECT_EQ(Utf16ToUtf8(std::string("\x3D\xD8\x00\xDE", 4), false), "\xF0\x9F\x98\x80");  // a surrogate pair
    EXPECT_EQ(Utf16ToUtf8(std::string("\xD8\x3D\x00\x41", 4), true),
              "\xEF\xBF\xBD"
              "A");                                                             // a lone high surrogate
    EXPECT_EQ(Utf16ToUtf8(std::string("\xFC\x00\x41", 3), false), "\xC3\xBC");  // the odd byte dropped
}

struct ManifestCase {
    const char* what;
    std::string text;
    AttributeList expected;
    friend void PrintTo(const ManifestCase& c, std::ostream* out) { *out << c.what; }
};

const std::vector<ManifestCase> kManifestCases = {
    {"CR LF", "Manifest-Version: 1.0\r\nMIDlet-1: A, /a.png, a.A\r\n\r\n",
     List({{"Manifest-Version", "1.0"}, {"MIDlet-1", "A, /a.png, a.A"}})},
    {"LF, no closing empty line", "MIDlet-Name: A\nMIDlet-Vendor: B",
     List({{"MIDlet-Name", "A"}, {"MIDlet-Vendor", "B"}})},
    {"CR", "MIDlet-Name: A\rMIDlet-Vendor: B\r", List({{"MIDlet-Name", "A"}, {"MIDlet-Vendor", "B"}})},
    {"continuation drops one space only", "MIDlet-Description: Eine Schl\r\n  ange\r\n",
     List({{"MIDlet-Description", "Eine Schl ange"}})},
    {"continuation inside a UTF-8 character", "MIDlet-Name: Gr\xC3\r\n \xBCn\r\n",
     List({{"MIDlet-Name", "Gr\xC3\xBCn"}})},
    {"the main section ends at the empty line", "MIDlet-Name: A\r\n\r\nName: a/A.class\r\nMIDlet-Name: B\r\n",
     List({{"MIDlet-Name", "A"}})},
    {"byte order mark", "\xEF\xBB\xBFMIDlet-Name: A\n", List({{"MIDlet-Name", "A"}})},
    {"spaces around, none after the colon", "MIDlet-Name:A  \nMIDlet-Vendor:   B\n",
     List({{"MIDlet-Name", "A"}, {"MIDlet-Vendor", "B"}})},
    {"lines without a name or colon skipped", "no colon here\n: value only\nMIDlet Name: B\nMIDlet-Name: A\n",
     List({{"MIDlet-Name", "A"}})},
    {"a value with colons", "MIDlet-Info-URL: http://example.com:8080/x\n",
     List({{"MIDlet-Info-URL", "http://example.com:8080/x"}})},
    {"not UTF-8: Windows-1252", "MIDlet-Name: Spiel f\xFCr \x80\n",
     List({{"MIDlet-Name", "Spiel f\xC3\xBCr \xE2\x82\xAC"}})},
    {"empty first line: no main section", "\r\nMIDlet-Name: A\r\n", {}},
    // One byte of no UTF-8 makes the whole main section Windows-1252, its
    // UTF-8 lines too; a name of letters beyond ASCII is no attribute's.
    {"not UTF-8 in one line: every line Windows-1252",
     "MIDlet-Name: Gr\xC3\xBCn\nGr\xF6\xDF"
     "e: 1\nMIDlet-Vendor: f\xFCr\n",
     List({{"MIDlet-Name", "Gr\xC3\x83\xC2\xBCn"}, {"MIDlet-Vendor", "f\xC3\xBCr"}})},
};

class ManifestParsing : public ::testing::TestWithParam<ManifestCase> {};

TEST_P(ManifestParsing, GivesTheMainSection) { EXPECT_EQ(ParseManifest(GetParam().text), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Manifests, ManifestParsing, ::testing::ValuesIn(kManifestCases));

TEST(ManifestParsing, UnfoldsWhatToolsFold) {
    const std::vector<std::pair<std::string, std::string>> attributes = {
        {"MIDlet-Description",
         "Eine Schlange, die mit jedem Apfel w\xC3\xA4"
         "chst, auf einem Feld, das mit jeder Stufe "
         "kleiner wird \xE2\x80\x93 \xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC"},
        {"MIDlet-1", "Snake Deluxe mit einem sehr langen Namen, /icons/snake.png, com.example.snake.SnakeMIDlet"},
        {"MIDlet-Name", "Snake"},
    };
    for (const std::size_t foldAt : {std::size_t{72}, std::size_t{10}, std::size_t{2}}) {
        for (const std::string lineEnd : {"\r\n", "\n", "\r"}) {
            const std::string text = testing::ManifestText(attributes, {lineEnd, true, foldAt});
            EXPECT_EQ(ParseManifest(text), List(attributes)) << foldAt;
        }
    }
}

std::string ReadCorpusFile(const std::string& name) {
    std::ifstream file(std::string(KESTRANE_FUZZ_DIR) + "/jar-corpus/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// The same JAD saved by Python's codecs in five encodings and line ends.
TEST(JadParsing, EveryEncodingGivesTheSameAttributes) {
    const AttributeList expected = List({{"MIDlet-1", "Snake Deluxe, /icons/snake.png, com.example.snake.SnakeMIDlet"},
                                         {"MIDlet-Jar-Size", "48213"},
                                         {"MIDlet-Jar-URL", "snake.jar"},
                                         {"MIDlet-Name", "Snake F\xC3\xBCr Alle"},
                                         {"MIDlet-Vendor", "Example"},
                                         {"MIDlet-Version", "1.0.2"}});
    const std::vector<std::pair<const char*, JadEncoding>> files = {
        {"utf8.jad", JadEncoding::Utf8},
        {"utf8-bom-lf.jad", JadEncoding::Utf8},
        {"ansi-cr.jad", JadEncoding::Windows1252},
        {"utf16le-bom.jad", JadEncoding::Utf16LittleEndian},
        {"utf16be.jad", JadEncoding::Utf16BigEndian},
    };
    for (const auto& [file, encoding] : files) {
        const JadAttributes jad = ParseJad(ReadCorpusFile(file));
        EXPECT_EQ(jad.attributes, expected) << file;
        EXPECT_EQ(jad.encoding, encoding) << file;
        EXPECT_EQ(IsUtf16(jad.encoding), std::string(file).find("utf16") == 0) << file;
    }
}

TEST(JadParsing, TrimsAndSkipsAsPhonesDo) {
    const JadAttributes jad =
        ParseJad("\t MIDlet-Name \t:\t Snake  \t\r\n\r\nno colon\r\n: x\r\nMIDlet-Icon:\r\nX: a: b\r\n");
    EXPECT_EQ(jad.attributes, List({{"MIDlet-Name", "Snake"}, {"MIDlet-Icon", ""}, {"X", "a: b"}}));
    EXPECT_EQ(ParseJad(std::string("M\0I\0", 4)).encoding, JadEncoding::Utf16LittleEndian);
    EXPECT_EQ(ParseJad(std::string("M\0", 2)).encoding, JadEncoding::Utf8);  // too short to tell: a NUL stays a NUL
}

TEST(MakeJad, KeepsTheSuitesAttributesAndAddsTheJar) {
    const AttributeList manifest = ParseManifest(testing::ManifestText({
        {"Manifest-Version", "1.0"},
        {"Ant-Version", "Apache Ant 1.7.1"},
        {"Created-By", "1.6.0_45-b06 (Sun Microsystems Inc.)"},
        {"MIDlet-1", "Snake Deluxe, /icons/snake.png, com.example.snake.SnakeMIDlet"},
        {"MIDlet-Name", "Snake F\xC3\xBCr Alle"},
        {"MIDlet-Jar-Size", "1"},
        {"Bnd-LastModified", "1715947200000"},
        {"midlet-jar-url", "http://example.com/old.jar"},
        {"MicroEdition-Profile", "MIDP-2.0"},
        {"Nokia-MIDlet-Category", "Game"},
        {"MIDlet-Name", "Second Name"},
        {"MIDLET-NAME", "Third Name"},  // names are compared without regard to case
        {"Built-By", "builder"},
    }));
    const MadeJad made = MakeJad(manifest, "Snake Deluxe.jar", 48213);
    ASSERT_TRUE(made.jad) << static_cast<int>(made.problem);
    EXPECT_EQ(*made.jad,
              "MIDlet-1: Snake Deluxe, /icons/snake.png, com.example.snake.SnakeMIDlet\r\n"
              "MIDlet-Name: Snake F\xC3\xBCr Alle\r\n"
              "MicroEdition-Profile: MIDP-2.0\r\n"
              "Nokia-MIDlet-Category: Game\r\n"
              "MIDlet-Jar-URL: Snake Deluxe.jar\r\n"
              "MIDlet-Jar-Size: 48213\r\n");

    // The program's own descriptor scanner reads the INI fields from it.
    DescriptorBuffer descriptor;
    descriptor.Load(*made.jad);
    EXPECT_EQ(GetMidletName(descriptor), "Snake");
    EXPECT_EQ(GetMidletIcon(descriptor), "/icons/snake.png");
    EXPECT_EQ(GetMidletClass(descriptor), "com.example.snake.SnakeMIDlet");
}

TEST(MakeJad, NeedsAManifestWithAMidlet) {
    EXPECT_EQ(MakeJad(List({{"MIDlet-Name", "A"}, {"MIDlet-2", "B, , b.B"}}), "a.jar", 1).problem, JadFault::NoMidlet);
    EXPECT_EQ(MakeJad(List({{"MIDlet-1", ""}}), "a.jar", 1).problem, JadFault::NoMidlet);
    EXPECT_EQ(MakeJad(JarReading{JarContents{{"a/A.class"}, std::nullopt}, {}}, "a.jar", 1).problem,
              JadFault::NoManifest);
    const MadeJad unreadable = MakeJad(JarReading{std::nullopt, JarFault::ManifestMethod, 12}, "a.jar", 1);
    EXPECT_FALSE(unreadable.jad);
    EXPECT_EQ(unreadable.problem, JadFault::JarUnreadable);
    EXPECT_EQ(unreadable.jarFault, JarFault::ManifestMethod) << "the JAR's reason passed on";
    EXPECT_EQ(unreadable.method, 12u);
    const MadeJad fromJar = MakeJad(JarReading{JarContents{{}, "MIDlet-1: A, , a.A\n"}, {}}, "a.jar", 7);
    EXPECT_EQ(fromJar.jad, "MIDlet-1: A, , a.A\r\nMIDlet-Jar-URL: a.jar\r\nMIDlet-Jar-Size: 7\r\n");
}

struct SizeCase {
    const char* what;
    std::string jad, expected;
    friend void PrintTo(const SizeCase& c, std::ostream* out) { *out << c.what; }
};

const std::vector<SizeCase> kSizeCases = {
    {"CR LF", "MIDlet-Jar-Size: 100\r\nMIDlet-Name: A\r\n", "MIDlet-Jar-Size: 2048\r\nMIDlet-Name: A\r\n"},
    {"blanks around the value kept", "midlet-jar-size:\t 100 \t\nB: 1\n", "midlet-jar-size:\t 2048 \t\nB: 1\n"},
    {"empty value", "MIDlet-Jar-Size:\r", "MIDlet-Jar-Size:2048\r"},
    {"ANSI bytes kept", "MIDlet-Name: f\xFCr\r\nMIDlet-Jar-Size: 99999999\r\n\x80",
     "MIDlet-Name: f\xFCr\r\nMIDlet-Jar-Size: 2048\r\n\x80"},
    {"UTF-8 byte order mark kept", "\xEF\xBB\xBFMIDlet-Jar-Size: 1", "\xEF\xBB\xBFMIDlet-Jar-Size: 2048"},
    {"every line with the key", "MIDlet-Jar-Size: 1\nMIDlet-Jar-Size: 2\n",
     "MIDlet-Jar-Size: 2048\nMIDlet-Jar-Size: 2048\n"},
    {"missing, LF", "MIDlet-Name: A\n", "MIDlet-Name: A\nMIDlet-Jar-Size: 2048\n"},
    {"missing, last line open", "MIDlet-Name: A\rB: 1", "MIDlet-Name: A\rB: 1\rMIDlet-Jar-Size: 2048\r"},
    {"missing, empty file", "", "MIDlet-Jar-Size: 2048\r\n"},
    {"look-alike keys left alone", "MIDlet-Jar-Size-2: 5\r\nX: MIDlet-Jar-Size: 5\r\n",
     "MIDlet-Jar-Size-2: 5\r\nX: MIDlet-Jar-Size: 5\r\nMIDlet-Jar-Size: 2048\r\n"},
    {"UTF-16 LE with mark", "\xFF\xFE" + Wide("A: 1\r\nMIDlet-Jar-Size: 7\r\n", false),
     "\xFF\xFE" + Wide("A: 1\r\nMIDlet-Jar-Size: 2048\r\n", false)},
    {"UTF-16 BE without mark, missing", Wide("MIDlet-Name: A\n", true) + "\x41",
     Wide("MIDlet-Name: A\nMIDlet-Jar-Size: 2048\n", true) + "\x41"},
    // U+0A0D and U+013A: characters whose low byte is a CR and a colon, and
    // which are neither: the key stands in no line of its own, nor before a colon.
    {"UTF-16 LE, characters of a line end's and a colon's low byte",
     "\xFF\xFE" + Wide("X: ", false) + "\x0D\x0A" + Wide("MIDlet-Jar-Size: 7\r\nMIDlet-Jar-Size", false) + "\x3A\x01" +
         Wide(" 8\r\n", false),
     "\xFF\xFE" + Wide("X: ", false) + "\x0D\x0A" + Wide("MIDlet-Jar-Size: 7\r\nMIDlet-Jar-Size", false) + "\x3A\x01" +
         Wide(" 8\r\nMIDlet-Jar-Size: 2048\r\n", false)},
    {"UTF-16 BE, characters of a line end's and a colon's low byte",
     Wide("X: ", true) + "\x0A\x0D" + Wide("MIDlet-Jar-Size: 7\nMIDlet-Jar-Size", true) + "\x01\x3A" +
         Wide(" 8\n", true),
     Wide("X: ", true) + "\x0A\x0D" + Wide("MIDlet-Jar-Size: 7\nMIDlet-Jar-Size", true) + "\x01\x3A" +
         Wide(" 8\nMIDlet-Jar-Size: 2048\n", true)},
};

class JarSizeReplacing : public ::testing::TestWithParam<SizeCase> {};

TEST_P(JarSizeReplacing, ChangesTheValueOnly) {
    const std::string replaced = ReplaceJarSize(GetParam().jad, 2048);
    EXPECT_EQ(replaced, GetParam().expected);
    const JadAttributes before = ParseJad(GetParam().jad), after = ParseJad(replaced);
    EXPECT_EQ(after.encoding, before.encoding);
    ASSERT_NE(FindAttribute(after.attributes, "MIDlet-Jar-Size"), nullptr);
    EXPECT_EQ(*FindAttribute(after.attributes, "MIDlet-Jar-Size"), "2048");
}

INSTANTIATE_TEST_SUITE_P(Jads, JarSizeReplacing, ::testing::ValuesIn(kSizeCases));

}  // namespace
}  // namespace kestrane
