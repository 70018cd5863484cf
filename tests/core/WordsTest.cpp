// The core's words for what it found: every reason a JAR or a made JAD can
// fail for reaches the user as a sentence of its own.
#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>
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
    EXPECT_EQ(QuotedValueText("Snake"), "\u201ESnake\u201C");
    std::string text;
    for (int i = 0; i < 70; ++i) text += "\u00fc";  // two bytes each
    const std::string quoted = QuotedValueText(text);
    std::string expected = "\u201E";
    for (int i = 0; i < 60; ++i) expected += "\u00fc";
    EXPECT_EQ(quoted, expected + "\u2026\u201C");
}

// The sentences a collector reads of a suite that will not run: at most
// three examples, then how many more.
TEST(Words, WhatASuiteNeedsBeyondThePhoneIsOneSentenceWithAtMostThreeExamples) {
    auto group = [](NeedKind kind, std::vector<std::string> examples) {
        NeedGroup g{kind};
        g.examples = std::move(examples);
        return g;
    };
    NeedGroup unverified{NeedKind::NotPreverified};
    unverified.count = unverified.total = 102;
    NeedGroup floats = group(NeedKind::Cldc11, {"Random.nextInt"});
    floats.floatingPoint = true;
    NeedGroup byName = group(NeedKind::OptionalPackage, {"javax.bluetooth.LocalDevice"});
    byName.provider = "JSR 82 (Bluetooth)";
    byName.onlyIfPresent = true;
    const struct {
        NeedGroup group;
        std::string declared, text;
    } cases[] = {
        {group(NeedKind::Midp20,
               {"javax.microedition.lcdui.game.GameCanvas", "Canvas.setFullScreenMode", "Image.getRGB", "a", "b", "c"}),
         "",
         "Die Suite braucht MIDP 2.0, das Telefon hat MIDP 1.0: javax.microedition.lcdui.game.GameCanvas, "
         "Canvas.setFullScreenMode, Image.getRGB und 3 weitere."},
        {unverified, "", "Die Klassen sind nicht vorverifiziert (102 von 102); das Telefon lädt sie nicht."},
        {group(NeedKind::Missing, {"org.bouncycastle.crypto.Digest", "org.bouncycastle.crypto.digests.SHA1Digest"}), "",
         "Der JAR-Datei fehlen Klassen, die sie braucht: org.bouncycastle.crypto.Digest und "
         "org.bouncycastle.crypto.digests.SHA1Digest."},
        {group(NeedKind::Midp20, {"Image.getRGB", "Font.getFont", "Sprite"}), "MIDP-2.0",
         "Die Suite braucht MIDP 2.0 (angegeben: MIDP-2.0), das Telefon hat MIDP 1.0: Image.getRGB, Font.getFont und "
         "Sprite."},
        {floats, "",
         "Die Suite braucht CLDC 1.1, das Telefon hat CLDC 1.0: Gleitkommazahlen (float, double) und "
         "Random.nextInt."},
        {byName, "",
         "Die Suite braucht JSR 82 (Bluetooth), das das Telefon nicht hat: javax.bluetooth.LocalDevice (nur falls "
         "vorhanden; die Suite läuft auch ohne)."},
    };
    for (const auto& c : cases) EXPECT_EQ(NeedText(c.group, c.declared), c.text);
}

}  // namespace
}  // namespace kestrane
