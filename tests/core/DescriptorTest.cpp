// Reading the suite name and the MIDlet-1 icon and class out of JADs as
// users bring them: typed by hand, saved by phone tools, with odd bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "descriptor/DescriptorFields.h"
#include "descriptor/Text.h"

namespace kestrane {
namespace {

TEST(DescriptorBuffer, FindProbeAndRangeStayInsideTheText) {
    DescriptorBuffer buffer;
    buffer.Load("MIDlet-1: a,b\r\nmidlet-1\xFF");
    EXPECT_EQ(buffer.Length(), 24);
    EXPECT_EQ(buffer.Find("MIDLET-1"), 0);
    EXPECT_EQ(buffer.Find("midlet-1", 1), 15);
    EXPECT_EQ(buffer.Find("midlet-1", -7), 0);
    EXPECT_EQ(buffer.Find(",", 12), -1);
    EXPECT_EQ(buffer.Find("\xFF", 23), 23);
    EXPECT_EQ(buffer.Find("\xFF", 24), -1);
    EXPECT_EQ(buffer.Find("x", 1000), -1);
    EXPECT_EQ(buffer.Find("1: A,B"), 7);  // letters fold, digits and punctuation match as they are

    EXPECT_EQ(buffer.Probe(0), 'M');
    EXPECT_EQ(buffer.Probe(13), '\r');
    EXPECT_EQ(buffer.Probe(23), 255);  // a byte above 127 is a positive code
    EXPECT_EQ(buffer.Probe(24), -1);
    EXPECT_EQ(buffer.Probe(-1), -1);

    EXPECT_EQ(buffer.Range(10, 3), "a,b");
    EXPECT_EQ(buffer.Range(20, 100), "t-1\xFF");
    EXPECT_EQ(buffer.Range(20, INT32_MAX), "t-1\xFF");  // start + length must not overflow
    EXPECT_EQ(buffer.Range(24, 1), "");
    EXPECT_EQ(buffer.Range(3, 0), "");
    EXPECT_EQ(buffer.Range(3, -2), "");

    buffer.Load(std::string("a\0b", 3));  // replaces everything; a NUL is one more character
    EXPECT_EQ(buffer.Length(), 3);
    EXPECT_EQ(buffer.Probe(1), 0);
    EXPECT_EQ(buffer.Find("b"), 2);
}

struct ExtractionCase {
    const char* what;
    std::string jad;
    std::string name, icon, cls;
    bool noMidlet1 = false;  // icon and class are then not just empty but missing
    friend void PrintTo(const ExtractionCase& c, std::ostream* out) { *out << c.what; }
};

const std::string kSnakeCrlf =
    "MIDlet-1: Snake Deluxe, /icons/snake.png, com.example.snake.SnakeMIDlet\r\n"
    "MIDlet-Jar-Size: 48213\r\nMIDlet-Jar-URL: snake.jar\r\n"
    "MIDlet-Name: Snake Deluxe\r\nMIDlet-Vendor: Example\r\nMIDlet-Version: 1.0.2\r\n";

const std::vector<ExtractionCase> kExtractionCases = {
    {"typical CRLF JAD, name ends at first space", kSnakeCrlf, "Snake", "/icons/snake.png",
     "com.example.snake.SnakeMIDlet"},
    {"LF endings, last line without line end", "MIDlet-Name: Tetra\nMIDlet-1: Tetra,/t.png,org.tetra.Main", "Tetra",
     "/t.png", "org.tetra.Main"},
    {"name on the last line without line end", "MIDlet-1: T, /t.png, Main\nMIDlet-Name: Tetra", "Tetra", "/t.png",
     "Main"},
    {"no space after the colons", "MIDlet-Name:Snake\r\nMIDlet-1:Snake,/s.png,Main\r\n", "Snake", "/s.png", "Main"},
    {"lower case keys, two spaces", "midlet-name:  Snake\nmidlet-1:  a ,  /i.png  ,  b.C  \n", "Snake", "/i.png",
     "b.C"},
    {"upper case keys", "MIDLET-NAME: BIG\r\nMIDLET-1: BIG, /BIG.PNG, BIG.MAIN\r\n", "BIG", "/BIG.PNG", "BIG.MAIN"},
    {"UTF-8 byte order mark at the start", "\xEF\xBB\xBFMIDlet-Name: Snake\r\nMIDlet-1: Snake, /s.png, Main\r\n",
     "Snake", "/s.png", "Main"},
    {"tabs around the values", "MIDlet-Name:\tSnake\t2\r\nMIDlet-1: Snake,\t/s.png ,Main\tx\r\n", "Snake", "\t/s.png",
     "Main"},
    {"a tab before the class is not skipped", "MIDlet-1: Snake, /s.png,\tMain\r\n", "", "/s.png", ""},
    {"class ends at a space", "MIDlet-1: S, /s.png, Main Extra\n", "", "/s.png", "Main"},
    {"empty icon between adjacent commas", "MIDlet-1: Snake,,Main", "", "", "Main"},
    {"icon of one space", "MIDlet-1: Snake, , Main", "", "", "Main"},
    {"spaces and commas before the class", "MIDlet-1: Snake, /s.png,   ,Main\r\n", "", "/s.png", "Main"},
    {"bytes above 126 cut name and class, not icon",
     "MIDlet-Name: Caf\xE9 Racer\r\nMIDlet-1: Caf\xE9, /\xFC"
     "ber.png, a.B\xE4r\r\n",
     "Caf",
     "/\xFC"
     "ber.png",
     "a.B"},
    {"DEL ends name and class",
     "MIDlet-Name: Snake\x7F"
     "2\r\nMIDlet-1: S, /s.png, a.B\x7F"
     "C\r\n",
     "Snake", "/s.png", "a.B"},
    {"non-printable bytes before the name are skipped", "MIDlet-Name: \xA0\xA0Snake\r\n", "Snake", "", "", true},
    {"name value on the next line", "MIDlet-Name:\r\n  Snake\r\n", "Snake", "", "", true},
    {"a name of letters beyond ASCII alone is empty, not the next key",
     "MIDlet-Name: \xE1\x88\xB0\xE1\x88\x8B\xE1\x88\x9D\r\nMIDlet-Vendor: A\r\n", "", "", "", true},
    {"so with LF line ends", "MIDlet-Name: \xE1\x88\xB0\nVendor\n", "", "", "", true},
    {"the character after the key is skipped whatever it is", "MIDlet-Name :Snake\r\n", ":Snake", "", "", true},
    {"key at the very end", "MIDlet-Name:", "", "", "", true},
    {"MIDlet-10 before MIDlet-1 wins", "MIDlet-10: Ten, /ten.png, ten.Main\r\nMIDlet-1: One, /one.png, one.Main\r\n",
     "", "/ten.png", "ten.Main"},
    {"midlet-1 inside a description above the key",
     "MIDlet-Description: Start midlet-1, then play, ok\r\nMIDlet-1: Snake, /s.png, Main\r\n", "", "then play", "ok"},
    {"commas are searched across line ends", "MIDlet-1: Snake\r\nMIDlet-Icon: /a.png, x\r\nMIDlet-Vendor: Foo, Bar\r\n",
     "", "x\r\nMIDlet-Vendor: Foo", "Bar"},
    {"only one comma after the key", "MIDlet-1: Snake, /s.png\r\nMIDlet-Name: Snake\r\n", "Snake", "", ""},
    {"comma only before the key", "MIDlet-Vendor: A, B\r\nMIDlet-1: Snake /s.png Main\r\n", "", "", ""},
    {"second comma is the last character", "MIDlet-1: S, /s.png,", "", "/s.png", ""},
    {"no MIDlet-1 key", "MIDlet-Name: Snake\r\nMIDlet-Vendor: A, B, C\r\n", "Snake", "", "", true},
    {"empty file", "", "", "", "", true},
};

class Extraction : public testing::TestWithParam<ExtractionCase> {};

TEST_P(Extraction, NameIconAndClass) {
    const ExtractionCase& c = GetParam();
    DescriptorBuffer descriptor;
    descriptor.Load(c.jad);
    EXPECT_EQ(GetMidletName(descriptor), c.name);
    const std::optional<std::string> icon = GetMidletIcon(descriptor);
    const std::optional<std::string> cls = GetMidletClass(descriptor);
    EXPECT_EQ(!icon.has_value(), c.noMidlet1);
    EXPECT_EQ(!cls.has_value(), c.noMidlet1);
    EXPECT_EQ(icon.value_or(""), c.icon);
    EXPECT_EQ(cls.value_or(""), c.cls);
}

INSTANTIATE_TEST_SUITE_P(Jads, Extraction, testing::ValuesIn(kExtractionCases),
                         [](const auto& param) { return "case" + std::to_string(param.index); });

TEST(DescriptorFields, ANewJadIsReadAfreshInTheSameBuffer) {
    DescriptorBuffer descriptor;
    descriptor.Load("MIDlet-1: Old, /old.png, old.Main\r\n");
    EXPECT_EQ(GetMidletClass(descriptor), "old.Main");
    // In the new JAD the old second comma lies right before a printable word.
    descriptor.Load("MIDlet-1: New /new.png, StaleWordHereXX\r\n");
    ASSERT_TRUE(IsPrintable(descriptor.Probe(24)));
    EXPECT_EQ(GetMidletIcon(descriptor), "");
    EXPECT_EQ(GetMidletClass(descriptor), "");
}

TEST(Concatenated, PutsThePiecesOneAfterTheOther) {
    const std::string owned(300, 'x');  // longer than a short string holds
    EXPECT_EQ(Concatenated({}), "");
    EXPECT_EQ(Concatenated({"", "a", ""}), "a");
    EXPECT_EQ(Concatenated({"Die Datei „", std::string_view("ab\0c", 4), "“."}), std::string("Die Datei „ab\0c“.", 21));
    EXPECT_EQ(Concatenated({owned, owned}), std::string(600, 'x'));
}

TEST(TrimSpaces, RemovesSpacesOnlyAndOnlyAtTheEnds) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""}, {"   ", ""}, {" a b ", "a b"}, {"\ta\t", "\ta\t"}, {" \r\n", "\r\n"}, {"x", "x"},
    };
    for (const auto& [text, trimmed] : cases) {
        EXPECT_EQ(TrimSpaces(text), trimmed) << "[" << text << "]";
        EXPECT_EQ(IsBlank(text), trimmed.empty()) << "[" << text << "]";
    }
}

}  // namespace
}  // namespace kestrane
