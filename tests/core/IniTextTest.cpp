// "Erstelle INI": the exact bytes that go into stjava.ini, and what the
// button does with the JAD field, the reader and the INI box.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "package/AppError.h"
#include "package/IniText.h"

namespace kestrane {
namespace {

TEST(IniText, TemplateEndsEveryLine) {
    EXPECT_EQ(kIniTemplate, "suite=\r\nnum=1\r\ndomain=midp1\r\nmidlet=\r\nicon=\r\nclass=\r\n");
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
        {"A", "B", "x\r\nMIDlet-Vendor: Foo", "\xE4", "suite=A\r\nnum=1\r\ndomain=midp1\r\nmidlet=B\r\n"
                                                        "icon=x\r\nMIDlet-Vendor: Foo\r\nclass=\xE4"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatIniText(c.suite, c.midlet, c.icon, c.cls), c.text);
}

// The window and the disk in one, with one log so the order shows.
class FakeWindow final : public IniWindow, public FileReader {
public:
    std::string JadPath() override { return jadPath; }
    void SetIniText(const std::string& text) override {
        iniText = text;
        log.push_back("set");
    }
    void ShowMessage(std::string_view text, MessageIcon icon) override {
        log.push_back(std::string(icon == MessageIcon::Critical ? "critical " : "info ") + std::string(text));
    }
    std::string ReadWholeFile(const std::string& path) override {
        log.push_back("read [" + path + "]");
        if (!files.count(path))
            throw AppError("Die Datei " + path + " konnte nicht gelesen werden.", 2, "nicht gefunden");
        return files[path];
    }
    std::string jadPath;
    std::string iniText{kIniTemplate};
    std::map<std::string, std::string> files;
    std::vector<std::string> log;
};

class GenerateIniTest : public testing::Test {
protected:
    FakeWindow window;
    FakeWindow& reader = window;
    MidletDescriptor descriptor{window};  // its boxes land in the same log
};

TEST_F(GenerateIniTest, WritesTheSixLinesFromTheJadPathAsTyped) {
    window.jadPath = " C:\\Meine Spiele\\snake.jad ";
    reader.files[window.jadPath] =
        "MIDlet-1: Snake Deluxe, /icons/snake.png, com.example.snake.SnakeMIDlet\r\n"
        "MIDlet-Name: Snake Deluxe\r\nMIDlet-Vendor: Example\r\n";
    GenerateIni(window, descriptor, reader);
    EXPECT_EQ(window.iniText,
              "suite=Snake\r\nnum=1\r\ndomain=midp1\r\nmidlet=Snake\r\nicon=/icons/snake.png\r\n"
              "class=com.example.snake.SnakeMIDlet");
    EXPECT_EQ(window.log, (std::vector<std::string>{"read [ C:\\Meine Spiele\\snake.jad ]", "set"}));
}

TEST_F(GenerateIniTest, EmptyOrSpaceOnlyPathOnlyComplains) {
    descriptor.Buffer().Load("MIDlet-Name: Old");
    for (const std::string path : {"", " ", "    "}) {
        window.jadPath = path;
        window.log.clear();
        GenerateIni(window, descriptor, reader);
        EXPECT_EQ(window.log, std::vector<std::string>{"critical " + std::string(kNoJadMessage)}) << "[" << path << "]";
        EXPECT_EQ(window.iniText, kIniTemplate);
        EXPECT_EQ(descriptor.GetMidletName(), "Old");
    }
}

TEST_F(GenerateIniTest, FailingReaderLeavesTextAndBufferAlone) {
    descriptor.Buffer().Load("MIDlet-Name: Old\r\nMIDlet-1: Old, /old.png, old.Main\r\n");
    window.iniText = "suite=von Hand\r\n";
    window.jadPath = "C:\\fehlt.jad";
    try {
        GenerateIni(window, descriptor, reader);
        ADD_FAILURE() << "no AppError";
    } catch (const AppError& error) {
        EXPECT_EQ(error.Number(), 2u);
    }
    EXPECT_EQ(window.iniText, "suite=von Hand\r\n");
    EXPECT_EQ(window.log, std::vector<std::string>{"read [C:\\fehlt.jad]"});  // no box of its own
    EXPECT_EQ(descriptor.GetMidletName(), "Old");
    EXPECT_EQ(descriptor.GetMidletClass(), "old.Main");
}

TEST_F(GenerateIniTest, SecondPressReplacesTheEditedText) {
    window.jadPath = "a.jad";
    reader.files["a.jad"] = "MIDlet-Name: A\r\nMIDlet-1: A, /a.png, a.Main\r\n";
    GenerateIni(window, descriptor, reader);
    window.iniText += "\r\nextra=edited by hand";
    window.jadPath = "b.jad";
    reader.files["b.jad"] = "MIDlet-Name: B\nMIDlet-1: B,,b.Main";
    GenerateIni(window, descriptor, reader);
    EXPECT_EQ(window.iniText, "suite=B\r\nnum=1\r\ndomain=midp1\r\nmidlet=B\r\nicon=\r\nclass=b.Main");
}

TEST_F(GenerateIniTest, JadWithoutMidlet1ComplainsTwiceAndStillWrites) {
    window.jadPath = "kaputt.jad";
    reader.files["kaputt.jad"] = "MIDlet-Name: Snake\r\nMIDlet-Vendor: A, B, C\r\n";
    GenerateIni(window, descriptor, reader);
    const std::string complaint = "critical " + std::string(kInvalidJadMessage);
    EXPECT_EQ(window.log, (std::vector<std::string>{"read [kaputt.jad]", complaint, complaint, "set"}));
    EXPECT_EQ(window.iniText, "suite=Snake\r\nnum=1\r\ndomain=midp1\r\nmidlet=Snake\r\nicon=\r\nclass=");
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
