// The core's words for what it found: every reason a JAR or a made JAD can
// fail for reaches the user as a sentence of its own.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "package/Words.h"

namespace kestrane {
namespace {

TEST(Words, EveryReasonAJarCannotBeReadHasASentenceOfItsOwn) {
    std::set<std::string> texts;
    for (int fault = static_cast<int>(JarFault::NotZip); fault <= static_cast<int>(JarFault::ManifestMethod); ++fault) {
        const std::string text = JarFaultText(static_cast<JarFault>(fault), 8);
        EXPECT_NE(text.find("JAR-Datei"), std::string::npos) << fault << ": " << text;
        EXPECT_EQ(text.back(), '.') << text;
        EXPECT_TRUE(texts.insert(text).second) << "said twice: " << text;
    }
    EXPECT_EQ(JarFaultText(JarFault::None, 0), "");
    // The method a manifest is packed with is named, so that a user can look it up.
    EXPECT_NE(JarFaultText(JarFault::ManifestMethod, 12).find("12"), std::string::npos);
}

TEST(Words, AJadThatCannotBeMadeSaysWhyAndPassesTheJarsReasonOn) {
    const MadeJad noManifest{std::nullopt, JadFault::NoManifest};
    const MadeJad noMidlet{std::nullopt, JadFault::NoMidlet};
    const MadeJad unreadable{std::nullopt, JadFault::JarUnreadable, JarFault::Zip64};
    EXPECT_NE(JadFaultText(noManifest).find("MANIFEST.MF"), std::string::npos);
    EXPECT_NE(JadFaultText(noMidlet).find("MIDlet-1"), std::string::npos);
    EXPECT_EQ(JadFaultText(unreadable), JarFaultText(JarFault::Zip64, 0));
    EXPECT_NE(JadFaultText(noManifest), JadFaultText(noMidlet));
}

TEST(Words, AQuotedValueIsCutAfterSixtyCharactersNeverInsideOne) {
    EXPECT_EQ(QuotedValue("Snake"), "\u201ESnake\u201C");
    std::string text;
    for (int i = 0; i < 70; ++i) text += "\u00fc";  // two bytes each
    const std::string quoted = QuotedValue(text);
    std::string expected = "\u201E";
    for (int i = 0; i < 60; ++i) expected += "\u00fc";
    EXPECT_EQ(quoted, expected + "\u2026\u201C");
}

}  // namespace
}  // namespace kestrane
