// Will a suite run on the phone (CLDC 1.0, MIDP 1.0, com.siemens.mp)? Judged
// on MIDlets the Eclipse compiler made (tests/classes/make-needs.sh), each
// using one fact of the published APIs; the test says what the program must
// make of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "descriptor/ClassFile.h"
#include "package/ClassNeeds.h"

namespace kestrane {
namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The class files of tests/classes/needs/CASE, read as the JAR's entries would be.
SuiteClasses ReadCase(const std::string& name) {
    const fs::path folder = fs::path(KESTRANE_CLASSES_DIR) / "needs" / name;
    SuiteClasses suite;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().extension() != ".class") continue;
        ClassReading reading = ReadClass(Bytes(entry.path()));
        EXPECT_TRUE(reading.file) << entry.path();
        if (reading.file) suite.classes.push_back(std::move(*reading.file));
    }
    EXPECT_FALSE(suite.classes.empty()) << folder;
    return suite;
}

// One group as the test words it: kind, the provider's JSR number or name,
// the flags, the examples.
std::string Described(const NeedGroup& need) {
    static const char* const kinds[] = {"DamagedClass", "ClassVersion",    "NotPreverified", "Jsr",    "Cldc11",
                                        "Midp20",       "OptionalPackage", "Vendor",         "JavaSe", "Missing"};
    std::string text = kinds[static_cast<int>(need.kind)];
    if (!need.provider.empty()) text += " " + need.provider.substr(0, need.provider.find(" ("));
    if (need.onlyIfPresent) text += " optional";
    if (need.floatingPoint) text += " float";
    if (need.kind == NeedKind::NotPreverified)
        text += " " + std::to_string(need.count) + " of " + std::to_string(need.total);
    for (const std::string& example : need.examples) text += " " + example;
    return text;
}

std::vector<std::string> Described(const ClassVerdict& verdict) {
    std::vector<std::string> lines;
    for (const NeedGroup& need : verdict.needs) lines.push_back(Described(need));
    return lines;
}

struct Case {
    const char* folder;
    std::vector<std::string> midlets;
    std::vector<std::string> needs;
    bool runs;
};

TEST(ClassNeeds, EachFactOfThePublishedApisIsAttributedToWhatProvidesIt) {
    const std::vector<Case> cases = {
        // Canvas, Graphics, Font.getFont(III), Random.nextInt(), RecordStore, Thread: all CLDC 1.0 and MIDP 1.0.
        {"midp10", {"Main"}, {}, true},
        {"gamecanvas", {"Main"}, {"Midp20 javax.microedition.lcdui.game.GameCanvas"}, false},
        // Called on the suite's own Canvas subclass: the VM finds it in Canvas, where MIDP 2.0 put it.
        {"fullscreen", {"Main"}, {"Midp20 Canvas.setFullScreenMode"}, false},
        // MIDP 1.0 has getWidth on Canvas only; MIDP 2.0 moved it up to Displayable.
        // The same call on a subclass that declares such a method itself: the game's own.
        {"ownfullscreen", {"Main"}, {}, true},
        {"displayablewidth", {"Main"}, {"Midp20 Displayable.getWidth"}, false},
        {"canvaswidth", {"Main"}, {}, true},
        // Font.getFont(int fontSpecifier) is MIDP 2.0's; getFont(face, style, size) is MIDP 1.0's.
        {"fontspecifier", {"Main"}, {"Midp20 Font.getFont"}, false},
        {"randombound", {"Main"}, {"Cldc11 Random.nextInt"}, false},
        {"floatmath", {"Main"}, {"Cldc11 float"}, false},
        {"bluetooth", {"Main"}, {"OptionalPackage JSR 82 javax.bluetooth.LocalDevice"}, false},
        {"nokia", {"Main"}, {"Vendor Nokia com.nokia.mid.ui.FullCanvas"}, false},
        {"siemens", {"Main"}, {}, true},
        // StringBuilder came with J2SE 5.0, String.isEmpty with Java SE 6.
        {"javase", {"Main"}, {"JavaSe String.isEmpty java.lang.StringBuilder"}, false},
        {"missing", {"Main"}, {"Missing org.bouncycastle.crypto.Digest"}, false},
        // Loaded only through Class.forName: said, but not held against the suite.
        {"forname",
         {"Main"},
         {"Midp20 optional javax.microedition.lcdui.game.GameCanvas",
          "Vendor Nokia optional com.nokia.mid.ui.DeviceControl"},
         true},
        // Display.vibrate is MIDP 2.0's, in a class nothing names.
        {"unreached", {"Main"}, {}, true},
        // Without a MIDlet class every class counts.
        {"unreached", {}, {"Midp20 Display.vibrate"}, false},
        {"midp10", {"Gone"}, {"Missing Gone"}, false},
        // The same sources compiled for J2SE 1.3: no StackMap (only Board's
        // methods branch), and finally as jsr; class version 47 is loaded.
        {"no-stackmap", {"Main"}, {"NotPreverified 1 of 1", "Jsr Board"}, false},
        // For J2SE 5.0: version 49, which the VM refuses.
        {"version49", {"Main"}, {"ClassVersion 49.0", "NotPreverified 1 of 1"}, false},
    };
    for (const Case& c : cases) {
        SuiteClasses suite = ReadCase(c.folder);
        const ClassVerdict verdict = JudgeClasses(suite, c.midlets);
        EXPECT_EQ(Described(verdict), c.needs) << c.folder;
        EXPECT_EQ(verdict.Runs(), c.runs) << c.folder;
        EXPECT_EQ(verdict.classes, suite.classes.size()) << c.folder;
        // A JAR lists its entries in any order: the verdict is the same.
        std::reverse(suite.classes.begin(), suite.classes.end());
        EXPECT_EQ(Described(JudgeClasses(suite, c.midlets)), c.needs) << c.folder << ", entries reversed";
    }
}

TEST(ClassNeeds, AClassThatCannotBeReadIsDamagedNotMissing) {
    SuiteClasses suite = ReadCase("midp10");
    const fs::path board = fs::path(KESTRANE_CLASSES_DIR) / "needs/midp10/Board.class";
    const std::string bytes = Bytes(board);
    ASSERT_FALSE(ReadClass(bytes.substr(0, bytes.size() / 2)).file);
    std::erase_if(suite.classes, [](const ClassFile& file) { return file.name == "Board"; });
    suite.damaged.push_back("Board.class");
    const ClassVerdict verdict = JudgeClasses(suite, {"Main"});
    EXPECT_EQ(Described(verdict), std::vector<std::string>{"DamagedClass Board.class"});
    EXPECT_FALSE(verdict.Runs());
    suite.unread.push_back("Later.class");  // whatever it needs, the suite cannot run
    EXPECT_TRUE(JudgeClasses(suite, {"Main"}).CannotRun());
}

// A suite of a few thousand classes, each reached only through the one
// before it: the walk follows the chain to its end (the benchmark times it).
TEST(ClassNeeds, AChainOfThousandsOfClassesIsFollowedToItsEnd) {
    const SuiteClasses one = ReadCase("fullscreen");
    SuiteClasses suite;
    const ClassFile* main = nullptr;
    for (const ClassFile& file : one.classes)
        if (file.name == "Main") main = &file;
    ASSERT_NE(main, nullptr);
    // Each copy of Main names the next one, so that every class is reached.
    std::vector<std::string> names;
    for (int i = 0; i <= 3000; ++i) names.push_back("p/Main" + std::to_string(i));  // the copies' names view them
    for (int i = 0; i < 3000; ++i) {
        ClassFile copy = *main;
        copy.name = names[i];
        copy.classes.push_back(names[i + 1]);
        suite.classes.push_back(std::move(copy));
    }
    for (const ClassFile& file : one.classes)
        if (file.name != "Main") suite.classes.push_back(file);
    const ClassVerdict verdict = JudgeClasses(suite, {"p.Main0"});
    EXPECT_EQ(Described(verdict), (std::vector<std::string>{"Midp20 Canvas.setFullScreenMode", "Missing p.Main3000"}));
}

}  // namespace
}  // namespace kestrane
