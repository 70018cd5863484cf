// A suite's files as the user names them: the partner a JAR or JAD finds,
// the JAD made from a JAR alone, and the checks with the size put right in
// the package only.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "FakeSystem.h"
#include "package/SuiteFiles.h"
#include "support/ClassBytes.h"
#include "support/ZipWriter.h"

namespace kestrane {
namespace {

using ::testing::HasSubstr;
using testing_support::FakeSystem;

std::string SnakeJar() {
    return testing::ZipWriter()
        .Deflated("META-INF/MANIFEST.MF", testing::ManifestText({{"Manifest-Version", "1.0"},
                                                                 {"Created-By", "1.4.2 (Sun)"},
                                                                 {"MIDlet-1", "Snake, /s.png, snake.Main"},
                                                                 {"MIDlet-Name", "Snake"},
                                                                 {"MIDlet-Version", "1.0"},
                                                                 {"MIDlet-Vendor", "Example"}}))
        .Stored("s.png", "PNG")
        .Deflated("snake/Main.class",
                  testing::MinimalClass("snake/Main", "javax/microedition/midlet/MIDlet", std::string(300, 'c')))
        .Bytes();
}

TEST(RoleOfFile, ByExtensionWithoutRegardToCaseAndRarExeByName) {
    const std::pair<std::string, FileRole> cases[] = {
        {"D:\\a\\Spiel.jad", FileRole::Jad},
        {"D:\\a\\SPIEL.JAR", FileRole::Jar},
        {"x.Obj", FileRole::Obj},
        {"C:\\out\\game.stj", FileRole::Stj},
        {"C:\\Tools\\RAR.EXE", FileRole::Archiver},
        {"C:\\Tools\\winrar.exe", FileRole::Unknown},
        {"C:\\a.jar\\readme", FileRole::Unknown},
        {"C:\\a\\notes.txt", FileRole::Unknown},
        {"C:\\a\\jar", FileRole::Unknown},
        {"C:\\a\\.jad", FileRole::Jad},
        {"C:\\a\\game.jar.bak", FileRole::Unknown},
    };
    for (const auto& [path, role] : cases) EXPECT_EQ(RoleOfFile(path), role) << path;
}

TEST(PartnerJad, SameBaseNameInTheSameFolder) {
    FakeSystem sys;
    sys.files["D:\\Spiele\\Snake.jad"] = "MIDlet-1: a,b,c";
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"D:\\Spiele\\Snake.jar", "D:\\Spiele\\Snake.jad"},
        {"D:\\Spiele\\Tetris.jar", std::nullopt},
        {"D:\\Andere\\Snake.jar", std::nullopt},
        {"D:\\Spiele\\Snake", "D:\\Spiele\\Snake.jad"},  // no extension at all
        {"  ", std::nullopt},
    };
    for (const auto& [jar, jad] : cases) EXPECT_EQ(PartnerJad(jar, sys), jad) << jar;
}

TEST(PartnerJar, JarUrlOfAPlainFileNameElseTheSameBaseName) {
    struct Case {
        const char* what;
        std::string jad;  // D:\Spiele\game.jad holds this
        std::optional<std::string> jar;
    };
    const Case cases[] = {
        {"named by its URL", "MIDlet-Jar-URL: Schlange 1.2.jar\r\n", "D:\\Spiele\\Schlange 1.2.jar"},
        {"URL with spaces around it", "MIDlet-Jar-URL:   Schlange 1.2.jar  \n", "D:\\Spiele\\Schlange 1.2.jar"},
        {"URL on the web: the base name", "MIDlet-Jar-URL: http://example.com/Schlange 1.2.jar\r\n",
         "D:\\Spiele\\game.jar"},
        {"URL with a folder: the base name", "MIDlet-Jar-URL: sub\\Schlange 1.2.jar\r\n", "D:\\Spiele\\game.jar"},
        {"URL of a missing file: the base name", "MIDlet-Jar-URL: fehlt.jar\r\n", "D:\\Spiele\\game.jar"},
        {"no URL", "MIDlet-Name: x\r\n", "D:\\Spiele\\game.jar"},
    };
    for (const Case& c : cases) {
        FakeSystem sys;
        sys.files["D:\\Spiele\\game.jad"] = c.jad;
        sys.files["D:\\Spiele\\Schlange 1.2.jar"] = "PK";
        sys.files["D:\\Spiele\\game.jar"] = "PK";
        EXPECT_EQ(PartnerJar("D:\\Spiele\\game.jad", sys), c.jar) << c.what;
    }
    FakeSystem sys;
    EXPECT_EQ(PartnerJar("D:\\fehlt.jad", sys), std::nullopt) << "an unreadable JAD has no partner";
    sys.files["D:\\solo.jad"] = "MIDlet-Jar-URL: solo.jar";
    EXPECT_EQ(PartnerJar("D:\\solo.jad", sys), std::nullopt);
}

TEST(JadFromJar, NamesTheJarBySizeAndFileNameAndLeavesBuildKeysOut) {
    FakeSystem sys;
    const std::string jar = SnakeJar();
    sys.files["D:\\Spiele\\Snake Deluxe.jar"] = jar;
    const MadeJad made = JadFromJar("D:\\Spiele\\Snake Deluxe.jar", sys);
    ASSERT_TRUE(made.jad) << static_cast<int>(made.problem);
    EXPECT_EQ(*made.jad,
              "MIDlet-1: Snake, /s.png, snake.Main\r\nMIDlet-Name: Snake\r\nMIDlet-Version: 1.0\r\n"
              "MIDlet-Vendor: Example\r\nMIDlet-Jar-URL: Snake Deluxe.jar\r\nMIDlet-Jar-Size: " +
                  std::to_string(jar.size()) + "\r\n");

    sys.files["D:\\kaputt.jar"] = jar.substr(0, jar.size() / 2);
    EXPECT_FALSE(JadFromJar("D:\\kaputt.jar", sys).jad);
    EXPECT_THROW(JadFromJar("D:\\fehlt.jar", sys), AppError);
}

TEST(ReadSuite, AMatchingSuiteHasNoFindingsAWrongSizeIsPutRightInThePackageOnly) {
    FakeSystem sys;
    const std::string jar = SnakeJar();
    sys.files["C:\\Tools\\rar.exe"] = "MZ";
    sys.files["D:\\in\\snake.jar"] = jar;
    const std::string jad =
        "MIDlet-1: Snake, /s.png, snake.Main\r\nMIDlet-Name: Snake\r\nMIDlet-Jar-Size: " + std::to_string(jar.size()) +
        "\r\n";
    sys.files["D:\\in\\snake.jad"] = jad;
    PackageRequest request{"C:\\Tools\\rar.exe",
                           "D:\\in\\snake.jar",
                           "D:\\in\\snake.jad",
                           "",
                           "D:\\out\\s.stj",
                           "suite=Snake\r\nclass=snake.Main",
                           "C:\\App\\",
                           "",
                           std::nullopt,
                           std::nullopt,
                           false};
    EXPECT_TRUE(CheckSuite(ReadSuite(request.jar, request.jad, sys), request.iniText).findings.empty());

    const std::string wrongSize =
        "MIDlet-1: Snake, /s.png, snake.Main\r\nMIDlet-Name: Snake\r\nMIDlet-Jar-Size: 17\r\n";
    sys.files["D:\\in\\snake.jad"] = wrongSize;
    const SuiteFindings findings = CheckSuite(ReadSuite(request.jar, request.jad, sys), request.iniText);
    ASSERT_EQ(findings.findings.size(), 1u);
    EXPECT_THAT(findings.findings[0].text, HasSubstr(std::to_string(jar.size())));
    ASSERT_EQ(findings.correctedJarSize, jar.size());

    request.correctedJarSize = findings.correctedJarSize;
    EXPECT_EQ(BuildPackage(request, sys).kind, Outcome::Kind::Built);
    EXPECT_EQ(sys.files["C:\\App\\java.utf"], jad) << "the package's copy says the real size";
    EXPECT_EQ(sys.files["D:\\in\\snake.jad"], wrongSize) << "the user's JAD is untouched";
    EXPECT_EQ(sys.files["C:\\App\\java.jah"], jar);

    request.jad = request.jar;  // the same file twice
    EXPECT_EQ(CheckSuite(ReadSuite(request.jar, request.jad, sys), request.iniText).findings.size(), 1u);
}

}  // namespace
}  // namespace kestrane
