// "Erstelle INI": the exact bytes that go into stjava.ini, and what the
// button makes of the JAD path: the complaints, the text, the buffer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FakeSystem.h"
#include "descriptor/DescriptorFields.h"
#include "package/AppError.h"
#include "package/IniText.h"

namespace kestrane {
namespace {

using testing_support::FakeSystem;

// What the phone reads from stjava.ini: six keys in this order, each line
// ended by CR LF; only num and domain have a value before a JAD is read.
TEST(IniText, TemplateHasTheSixKeysThePhoneReadsEachLineEndedByCrLf) {
    std::string expected;
    for (const char* line : {"suite=", "num=1", "domain=midp1", "midlet=", "icon=", "class="})
        expected += std::string(line) + "\r\n";
    EXPECT_EQ(kIniTemplate, expected);
}

TEST(IniText, SixLinesJoinedByCrLfWithNoneAfterTheLast) {
    struct Case {
        std::string suite, midlet, icon, cls, text;
    };
    const Case cases[] = {
        {"Snake", "Snake", "/icons/snake.png", "com.example.Snake",
         "suite=Snake\r\nnum=1\r\ndomain=midp1\r\nmidlet=Snake\r\nicon=/icons/snake.png\r\nclass=com.example.Snake"},
        {"", "", "", "", "suite=\r\nnum=1\r\ndomain=midp1\r\nmidlet=\r\nicon=\r\nclass="},
        // Values go in byte for byte, line ends and ANSI letters included.
        {"A", "B", "x\r\nMIDlet-Vendor: Foo", "\xE4",
         "suite=A\r\nnum=1\r\ndomain=midp1\r\nmidlet=B\r\n"
         "icon=x\r\nMIDlet-Vendor: Foo\r\nclass=\xE4"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatIniText(c.suite, c.midlet, c.icon, c.cls), c.text);
}

// Reads JADs from the fake disk; its log shows what was read when.
class GenerateIniTest : public testing::Test {
protected:
    FakeSystem sys;
};

TEST_F(GenerateIniTest, WritesTheSixLinesFromTheJadPathAsTyped) {
    const std::string path = " C:\\Meine Spiele\\snake.jad ";
    sys.files[path] =
        "MIDlet-1: Snake Deluxe, /icons/snake.png, com.example.snake.SnakeMIDlet\r\n"
        "MIDlet-Name: Snake Deluxe\r\nMIDlet-Vendor: Example\r\n";
    const IniOutcome outcome = GenerateIni(path, sys);
    EXPECT_EQ(outcome.text,
              "suite=Snake\r\nnum=1\r\ndomain=midp1\r\nmidlet=Snake\r\nicon=/icons/snake.png\r\n"
              "class=com.example.snake.SnakeMIDlet");
    EXPECT_TRUE(outcome.complaints.empty());
    EXPECT_EQ(sys.log, std::vector<std::string>{"open " + path});
}

// The descriptor reads one byte as one character; a UTF-16 JAD gives the
// INI text its UTF-8 twin gives, with or without a byte order mark, and also
// when a character elsewhere in it has no ANSI form.
TEST_F(GenerateIniTest, AUtf16JadGivesTheTextOfTheSameJadInUtf8) {
    const std::string jad = "MIDlet-1: Snake, /icons/snake.png, com.example.Snake\r\nMIDlet-Name: Snake\r\n";
    auto utf16 = [](const std::string& ascii, bool bigEndian, const std::string& tail) {
        std::string out = bigEndian ? "" : "\xFF\xFE";
        for (const char c : ascii) out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
        return out + tail;
    };
    const std::string expected =
        "suite=Snake\r\nnum=1\r\ndomain=midp1\r\nmidlet=Snake\r\nicon=/icons/snake.png\r\nclass=com.example.Snake";
    const std::pair<const char*, std::string> cases[] = {
        {"little-endian with its mark", utf16(jad, false, "")},
        {"big-endian without a mark", utf16(jad, true, "")},
        {"a vendor in Chinese", utf16(jad + "MIDlet-Vendor: ", false, std::string("\x22\x6F\r\0\n\0", 6))},
    };
    for (const auto& [what, bytes] : cases) {
        sys.files["C:\\w.jad"] = bytes;
        const IniOutcome outcome = GenerateIni("C:\\w.jad", sys);
        EXPECT_EQ(outcome.text, expected) << what;
        EXPECT_TRUE(outcome.complaints.empty()) << what;
    }
}

TEST_F(GenerateIniTest, EmptyOrSpaceOnlyPathOnlyComplains) {
    for (const std::string path : {"", " ", "    "}) {
        const IniOutcome outcome = GenerateIni(path, sys);
        EXPECT_EQ(outcome.complaints, std::vector<std::string>{"Keine JAD-Datei angegeben!"}) << "[" << path << "]";
        EXPECT_FALSE(outcome.text.has_value());
    }
    EXPECT_TRUE(sys.log.empty());
}

TEST_F(GenerateIniTest, AJadThatCannotBeReadIsTheSystemsError) {
    try {
        GenerateIni("C:\\fehlt.jad", sys);
        ADD_FAILURE() << "no AppError";
    } catch (const AppError& error) {
        EXPECT_EQ(error.Number(), 2u);
    }
}

TEST_F(GenerateIniTest, SecondJadReplacesEverythingOfTheFirst) {
    sys.files["a.jad"] = "MIDlet-Name: A\r\nMIDlet-1: A, /a.png, a.Main\r\n";
    sys.files["b.jad"] = "MIDlet-Name: B\nMIDlet-1: B,,b.Main";
    GenerateIni("a.jad", sys);
    EXPECT_EQ(GenerateIni("b.jad", sys).text, "suite=B\r\nnum=1\r\ndomain=midp1\r\nmidlet=B\r\nicon=\r\nclass=b.Main");
}

TEST_F(GenerateIniTest, JadWithoutMidlet1ComplainsTwiceAndStillGivesAText) {
    sys.files["kaputt.jad"] = "MIDlet-Name: Snake\r\nMIDlet-Vendor: A, B, C\r\n";
    const IniOutcome outcome = GenerateIni("kaputt.jad", sys);
    EXPECT_EQ(outcome.complaints,
              (std::vector<std::string>{"Keine g\u00fcltige JAD-Datei!", "Keine g\u00fcltige JAD-Datei!"}));
    EXPECT_EQ(outcome.text, "suite=Snake\r\nnum=1\r\ndomain=midp1\r\nmidlet=Snake\r\nicon=\r\nclass=");
}

// The INI text of every JAD in the fuzzer's seed corpus, byte for byte as the
// program has always made it: a change of the scanning rules shows here.
TEST_F(GenerateIniTest, SeedCorpusGivesTheSameBytesAsEver) {
    struct Case {
        const char* file;
        bool complains;
        std::string text;
    };
    const Case cases[] = {
        {"ansi_bytes.jad", false,
         "suite=Caf\r\nnum=1\r\ndomain=midp1\r\nmidlet=Caf\r\nicon=/\xFC"
         "ber.png\r\nclass=a.B"},
        {"bom_lowercase.jad", false,
         "suite=Kart\r\nnum=1\r\ndomain=midp1\r\nmidlet=Kart\r\nicon=/kart.png\r\nclass=kart.Game"},
        {"commas_across_lines.jad", false,
         "suite=\r\nnum=1\r\ndomain=midp1\r\nmidlet=\r\nicon=x\r\nMIDlet-Vendor: Foo\r\nclass=Bar"},
        {"description_mentions_key.jad", false,
         "suite=Snake\r\nnum=1\r\ndomain=midp1\r\nmidlet=Snake\r\nicon=then play\r\nclass=ok"},
        {"empty.jad", true, "suite=\r\nnum=1\r\ndomain=midp1\r\nmidlet=\r\nicon=\r\nclass="},
        {"keys_at_end.jad", false, "suite=\r\nnum=1\r\ndomain=midp1\r\nmidlet=\r\nicon=/s.png\r\nclass="},
        {"midlet10_first.jad", false,
         "suite=Many\r\nnum=1\r\ndomain=midp1\r\nmidlet=Many\r\nicon=/ten.png\r\nclass=ten.Main"},
        {"no_midlet1.jad", true, "suite=Broken\r\nnum=1\r\ndomain=midp1\r\nmidlet=Broken\r\nicon=\r\nclass="},
        {"nul_and_del.jad", false,
         "suite=A\r\nnum=1\r\ndomain=midp1\r\nmidlet=A\r\nicon=\x7F"
         "\r\nclass="},
        {"one_comma.jad", false, "suite=Snake\r\nnum=1\r\ndomain=midp1\r\nmidlet=Snake\r\nicon=\r\nclass="},
        {"snake_crlf.jad", false,
         "suite=Snake\r\nnum=1\r\ndomain=midp1\r\nmidlet=Snake\r\nicon=/icons/"
         "snake.png\r\nclass=com.example.snake.SnakeMIDlet"},
        {"tabs_and_empty_icon.jad", false,
         "suite=Chess\r\nnum=1\r\ndomain=midp1\r\nmidlet=Chess\r\nicon=\r\nclass=chess.Main"},
        {"tetra_lf_no_final_newline.jad", false,
         "suite=Tetra\r\nnum=1\r\ndomain=midp1\r\nmidlet=Tetra\r\nicon=/t.png\r\nclass=org.tetra.Main"},
    };
    for (const Case& c : cases) {
        std::ifstream in(std::string(KESTRANE_FUZZ_DIR) + "/corpus/" + c.file, std::ios::binary);
        ASSERT_TRUE(in) << c.file;
        sys.files[c.file] = std::string(std::istreambuf_iterator<char>(in), {});
        const IniOutcome outcome = GenerateIni(c.file, sys);
        EXPECT_EQ(outcome.text, c.text) << c.file;
        EXPECT_EQ(outcome.complaints.size(), c.complains ? 2u : 0u) << c.file;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(KESTRANE_FUZZ_DIR "/corpus"),
                            std::filesystem::directory_iterator()),
              static_cast<std::ptrdiff_t>(std::size(cases)));
}

TEST(AppError, ReportIsContextBlankLineAndNumberedDescription) {
    const AppError error("Die Datei C:\\x.jad konnte nicht gelesen werden.", 5, "Zugriff verweigert");
    const std::string report = error.Report();
    const std::string tail = "Fehler 5: Zugriff verweigert";
    EXPECT_TRUE(report == "Die Datei C:\\x.jad konnte nicht gelesen werden.\n\n" + tail ||
                report == "Die Datei C:\\x.jad konnte nicht gelesen werden.\r\n\r\n" + tail)
        << report;
}

}  // namespace
}  // namespace kestrane
