// Kestrane packing the STJ file itself, on the fake disk: what the package
// holds, and that a build failing anywhere leaves the user's old package as
// it was and no temporary file behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "FakeSystem.h"
#include "package/PackageBuild.h"
#include "package/RarArchive.h"

namespace kestrane {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing_support::FakeSystem;

const std::string kStj = "D:\\out\\game.stj";
const std::string kOldPackage = "an STJ file the user made last week";

struct Disk {
    FakeSystem sys;
    PackageRequest request{"", "D:\\in\\snake.jar", "D:\\in\\snake.jad", "", kStj,
                           "suite=Snake\r\nnum=1\r\ndomain=midp1\r\nmidlet=Snake\r\nicon=/s.png\r\nclass=Main",
                           "C:\\App\\", "", std::nullopt};
    struct Progress final : BuildProgress {
        explicit Progress(FakeSystem& s) : sys(s) {}
        void WaitingForArchiver(bool waiting) override { sys.Add(waiting ? "busy" : "idle"); }
        FakeSystem& sys;
    } progress{sys};

    Disk() {
        sys.files["D:\\in\\snake.jar"] = "PK\x03\x04 the game";
        sys.files["D:\\in\\snake.jad"] = "MIDlet-Name: Snake\r\nMIDlet-Jar-Size: 99\r\n";
        sys.files["D:\\in\\snake.obj"] = "OBJ";
    }
    Outcome Build() { return BuildPackage(request, sys, {}, &progress); }
    std::vector<RarMember> Members() const {
        const auto members = ReadRarArchive(sys.files.at(kStj));
        return members ? *members : std::vector<RarMember>{};
    }
    // Every temporary file Kestrane could have left beside the package.
    std::vector<std::string> LeftBeside() const {
        std::vector<std::string> left;
        for (const auto& [path, bytes] : sys.files)
            if (path.rfind(kStj, 0) == 0 && path != kStj) left.push_back(path);
        return left;
    }
};

std::vector<std::string> Names(const std::vector<RarMember>& members) {
    std::vector<std::string> names;
    for (const RarMember& m : members) names.push_back(m.name);
    return names;
}

TEST(PackItself, MembersInThePhonesOrderWithTheirFilesTimes) {
    Disk disk;
    disk.request.obj = "D:\\in\\snake.obj";
    disk.sys.dosTimes["D:\\in\\snake.jar"] = DosDateTime({2004, 3, 1, 9, 15, 20});
    disk.sys.dosTimes["D:\\in\\snake.jad"] = DosDateTime({2004, 3, 2, 10, 0, 0});
    disk.sys.dosTimes["D:\\in\\snake.obj"] = DosDateTime({2003, 12, 24, 18, 30, 0});
    disk.sys.dosNow = DosDateTime({2004, 9, 4, 20, 30, 10});

    const Outcome outcome = disk.Build();
    EXPECT_EQ(outcome.kind, Outcome::Kind::Built) << outcome.message;
    EXPECT_EQ(outcome.message, "STJ-Datei erstellt!");
    const std::vector<RarMember> members = disk.Members();
    ASSERT_THAT(Names(members), ElementsAre("java.jah", "java.utf", "stjava.ini", "java.obj"));
    EXPECT_EQ(members[0].data, "PK\x03\x04 the game");
    EXPECT_EQ(members[1].data, "MIDlet-Name: Snake\r\nMIDlet-Jar-Size: 99\r\n");
    EXPECT_EQ(members[2].data, disk.request.iniText);
    EXPECT_EQ(members[3].data, "OBJ");
    const std::uint32_t times[] = {DosDateTime({2004, 3, 1, 9, 15, 20}), DosDateTime({2004, 3, 2, 10, 0, 0}),
                                   DosDateTime({2004, 9, 4, 20, 30, 10}), DosDateTime({2003, 12, 24, 18, 30, 0})};
    for (std::size_t i = 0; i < members.size(); ++i) {
        EXPECT_EQ(members[i].dosTime, times[i]) << members[i].name;
        EXPECT_EQ(members[i].attributes, 0x20u) << members[i].name << ": the archive attribute";
    }
    EXPECT_THAT(disk.LeftBeside(), ::testing::IsEmpty());
    EXPECT_THAT(disk.sys.log, ::testing::Not(::testing::Contains(HasSubstr("stj.bat"))));
    EXPECT_THAT(disk.sys.log, ::testing::Not(::testing::Contains(HasSubstr("C:\\App\\")))) << "nothing staged";
}

TEST(PackItself, TheCorrectedSizeGoesIntoThePackagesJadOnly) {
    Disk disk;
    disk.request.correctedJarSize = 14;
    EXPECT_EQ(disk.Build().kind, Outcome::Kind::Built);
    const std::vector<RarMember> members = disk.Members();
    ASSERT_EQ(members.size(), 3u);
    EXPECT_THAT(members[1].data, HasSubstr("MIDlet-Jar-Size: 14\r\n"));
    EXPECT_EQ(disk.sys.files["D:\\in\\snake.jad"], "MIDlet-Name: Snake\r\nMIDlet-Jar-Size: 99\r\n");
}

TEST(PackItself, ARebuiltPackageHoldsOnlyThisBuildsMembers) {
    Disk disk;
    disk.request.obj = "D:\\in\\snake.obj";
    ASSERT_EQ(disk.Build().kind, Outcome::Kind::Built);
    ASSERT_EQ(disk.Members().size(), 4u);
    disk.request.obj = "  ";
    disk.sys.files["D:\\in\\snake.jar"] = "PK\x03\x04 version 2";
    ASSERT_EQ(disk.Build().kind, Outcome::Kind::Built);
    const std::vector<RarMember> members = disk.Members();
    EXPECT_THAT(Names(members), ElementsAre("java.jah", "java.utf", "stjava.ini"));
    EXPECT_EQ(members[0].data, "PK\x03\x04 version 2");
}

TEST(PackItself, TheWindowIsBusyForThePackingAloneWithoutSettlingWaits) {
    Disk disk;
    ASSERT_EQ(disk.Build().kind, Outcome::Kind::Built);
    const auto& log = disk.sys.log;
    const auto busy = std::find(log.begin(), log.end(), "busy");
    const auto idle = std::find(log.begin(), log.end(), "idle");
    ASSERT_NE(busy, log.end());
    ASSERT_NE(idle, log.end());
    EXPECT_TRUE(std::find_if(busy, idle, [](const std::string& e) { return e.rfind("move ", 0) == 0; }) != idle)
        << "the package is put in place while the window is busy";
    EXPECT_EQ(disk.sys.now, testing_support::Ms(0));
    EXPECT_EQ(disk.sys.pumped, 0);
}

// Whatever fails, the old package stays as it was and nothing is left beside it.
TEST(PackItself, AFailureLeavesTheOldPackageAndNoTemporaryFile) {
    struct Case {
        const char* what;
        std::function<void(FakeSystem&)> fault;
        const char* says;  // in the message the user sees
    };
    const std::string temporary = kStj + ".kestrane-tmp";
    const Case cases[] = {
        {"the JAR cannot be read", [](FakeSystem& s) { s.failOn.insert("read D:\\in\\snake.jar"); }, "Zugriff verweigert"},
        {"the JAR's time cannot be read", [](FakeSystem& s) { s.failOn.insert("dostime D:\\in\\snake.jar"); },
         "Zugriff verweigert"},
        {"the package cannot be written", [&](FakeSystem& s) { s.failOn.insert("write " + temporary); },
         "Zugriff verweigert"},
        {"the package comes back damaged", [&](FakeSystem& s) { s.damagedOnWrite.insert(temporary); }, "Nachlesen"},
        {"the package cannot be read back", [&](FakeSystem& s) { s.failOn.insert("read " + temporary); },
         "Zugriff verweigert"},
        {"the package cannot replace the old one", [](FakeSystem& s) { s.failOn.insert("move " + kStj); },
         "Zugriff verweigert"},
        {"and then the temporary file cannot be deleted either",
         [&](FakeSystem& s) {
             s.damagedOnWrite.insert(temporary);
             s.failOn.insert("delete " + temporary);
         },
         "Nachlesen"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Disk disk;
        disk.sys.files[kStj] = kOldPackage;
        c.fault(disk.sys);
        const Outcome outcome = disk.Build();
        EXPECT_EQ(outcome.kind, Outcome::Kind::SystemError);
        EXPECT_THAT(outcome.message, HasSubstr(c.says));
        EXPECT_EQ(disk.sys.files[kStj], kOldPackage);
        if (!disk.sys.failOn.count("delete " + temporary)) {
            EXPECT_THAT(disk.LeftBeside(), ::testing::IsEmpty());
        }
        EXPECT_EQ(disk.sys.log.back(), "idle") << "the window is told the packing is over";
    }
}

TEST(PackItself, ATemporaryFileLeftByAnEarlierRunIsReplaced) {
    Disk disk;
    disk.sys.files[kStj + ".kestrane-tmp"] = "half a package from a crash";
    EXPECT_EQ(disk.Build().kind, Outcome::Kind::Built);
    EXPECT_THAT(Names(disk.Members()), ElementsAre("java.jah", "java.utf", "stjava.ini"));
    EXPECT_THAT(disk.LeftBeside(), ::testing::IsEmpty());
}

TEST(PackItself, ARelativeStjPathMeansTheProgramsFolder) {
    Disk disk;
    disk.request.stj = "game.stj";
    EXPECT_EQ(disk.Build().kind, Outcome::Kind::Built);
    EXPECT_EQ(FormatOf(disk.sys.files["C:\\Work\\game.stj"]), ArchiveFormat::Rar4);
}

}  // namespace
}  // namespace kestrane
