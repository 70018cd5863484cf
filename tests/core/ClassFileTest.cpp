// Class files as javac 17, ProGuard and jasmin made them (tests/classes,
// made by make-classes.sh from the sources there): what the VM of CLDC 1.0
// asks of each, the names a known class uses, classes cut short, the
// largest constant pool, and a JAR of 500 classes.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "descriptor/ClassFile.h"
#include "descriptor/JarArchive.h"
#include "support/ZipWriter.h"

namespace kestrane {
namespace {

std::string Fixture(const std::string& path) {
    std::ifstream file(std::string(KESTRANE_CLASSES_DIR) + "/" + path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    EXPECT_TRUE(file) << path;
    return bytes.str();
}

bool Loadable(const ClassFile& file) {
    return file.major >= kOldestLoadableMajor && file.major <= kNewestLoadableMajor;
}

template <typename Change>
testing::ZipEntry Entry(std::string name, std::string data, Change change) {
    testing::ZipEntry entry;
    entry.name = std::move(name), entry.data = std::move(data);
    change(entry);
    return entry;
}

bool Has(const std::vector<std::string_view>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(ClassFile, WhatTheVmAsksOfClassesRealToolsMade) {
    struct Case {
        std::string path;
        std::uint16_t major, minor;
        bool loadable;
        std::size_t needingStackMap, withoutStackMap;  // methods that branch, switch or catch; of those unverified
        bool jsr, floatingPoint;
    };
    const Case cases[] = {
        {"javac17/Modern.class", 61, 0, false, 1, 1, false, false},                // its loop; StackMapTable only
        {"preverified/com/example/Probe.class", 47, 0, true, 2, 0, false, false},  // tick's if, plugin's catch
        {"preverified11/com/example/Probe.class", 45, 3, true, 2, 0, false, false},
        {"unverified/com/example/Probe.class", 47, 0, true, 2, 2, false, false},
        {"preverified/com/example/Meter.class", 47, 0, true, 0, 0, false, true},
        {"jasmin/ClassConstant.class", 49, 0, false, 0, 0, false, false},
        {"jasmin/Straight.class", 46, 0, true, 0, 0, false, false},
        {"jasmin/IntArray.class", 46, 0, true, 0, 0, false, false},
        {"jasmin/LongMath.class", 46, 0, true, 0, 0, false, false},
        {"jasmin/ObjectArrays.class", 46, 0, true, 0, 0, false, false},
        {"jasmin/Interface.class", 46, 0, true, 0, 0, false, false},
        {"jasmin/Branch.class", 46, 0, true, 1, 1, false, false},
        {"jasmin/TableSwitch.class", 46, 0, true, 1, 1, false, false},
        {"jasmin/LookupSwitch.class", 46, 0, true, 1, 1, false, false},
        {"jasmin/Handler.class", 46, 0, true, 1, 1, false, false},
        {"jasmin/Subroutine.class", 46, 0, true, 1, 1, true, false},
        {"jasmin/WideSubroutine.class", 46, 0, true, 1, 1, true, false},
    };
    const char* floatingPoint[] = {"FloatConst",     "DoubleConst",    "IntToFloat", "FloatArray",
                                   "DoubleArray",    "LdcFloat",       "LdcDouble",  "LongToDouble",
                                   "WideFloatLocal", "FloatParameter", "FloatField", "DoubleArrayField"};
    std::vector<Case> all(std::begin(cases), std::end(cases));
    for (const char* name : floatingPoint)
        all.push_back({"jasmin/" + std::string(name) + ".class", 46, 0, true, 0, 0, false, true});
    for (const Case& c : all) {
        SCOPED_TRACE(c.path);
        const ClassReading read = ReadClass(Fixture(c.path));
        ASSERT_EQ(read.fault, ClassFault::None);
        EXPECT_EQ(read.file->major, c.major);
        EXPECT_EQ(read.file->minor, c.minor);
        EXPECT_EQ(Loadable(*read.file), c.loadable);
        EXPECT_EQ(read.file->methodsNeedingStackMap, c.needingStackMap);
        EXPECT_EQ(read.file->methodsWithoutStackMap, c.withoutStackMap);
        EXPECT_EQ(read.file->usesJsr, c.jsr);
        EXPECT_EQ(read.file->usesFloatingPoint, c.floatingPoint);
    }
    // No tool writes version 44; ProGuard's 45.3 class with its version lowered.
    std::string older = Fixture("preverified11/com/example/Probe.class");
    older[6] = 0, older[7] = 44;
    EXPECT_FALSE(Loadable(*ReadClass(older).file));
}

TEST(ClassFile, NamesWhatTheSourceUses) {
    const ClassFile probe = *ReadClass(Fixture("preverified/com/example/Probe.class")).file;
    EXPECT_EQ(probe.name, "com/example/Probe");
    EXPECT_EQ(probe.superName, "javax/microedition/lcdui/Canvas");
    for (const MemberReference& member : std::vector<MemberReference>{
             {"javax/microedition/lcdui/Canvas", "repaint", "()V", true},
             {"java/lang/System", "out", "Ljava/io/PrintStream;", false},
             {"javax/microedition/lcdui/Graphics", "drawString", "(Ljava/lang/String;III)V", true},
             {"java/lang/Class", "forName", "(Ljava/lang/String;)Ljava/lang/Class;", true}})
        EXPECT_TRUE(std::binary_search(probe.members.begin(), probe.members.end(), member)) << member.name;
    for (const char* name : {"javax/microedition/lcdui/Canvas", "javax/microedition/lcdui/Graphics",
                             "java/io/PrintStream", "java/lang/Exception"})
        EXPECT_TRUE(Has(probe.classes, name)) << name;
    EXPECT_FALSE(Has(probe.classes, "com/example/Probe"));
    EXPECT_EQ(probe.namedInStrings, std::vector<std::string>{"com/example/Plugin"});  // not "tick"

    // main's String[] as its element class; the concatenation's recipe is no class name.
    const ClassFile modern = *ReadClass(Fixture("javac17/Modern.class")).file;
    EXPECT_TRUE(Has(modern.classes, "java/lang/String") && Has(modern.classes, "java/util/function/IntSupplier"));
    EXPECT_TRUE(modern.namedInStrings.empty());
    const ClassFile arrays = *ReadClass(Fixture("jasmin/ObjectArrays.class")).file;
    EXPECT_EQ(arrays.classes,
              (std::vector<std::string_view>{"java/lang/Object", "java/lang/Runnable", "java/lang/Thread"}));
}

TEST(ClassFile, CutShortOrAlteredIsDamagedNeverACrash) {
    for (const char* path :
         {"preverified/com/example/Probe.class", "javac17/Modern.class", "jasmin/TableSwitch.class"}) {
        const std::string bytes = Fixture(path);
        for (std::size_t cut = 4; cut < bytes.size(); ++cut)
            ASSERT_EQ(ReadClass(std::string_view(bytes).substr(0, cut)).fault, ClassFault::Damaged) << path << cut;
        EXPECT_EQ(ReadClass(bytes + '\0').fault, ClassFault::Damaged) << path;
        std::string unknownConstant = bytes;
        unknownConstant[10] = 2;  // the first constant's tag: 2 was never a kind
        EXPECT_EQ(ReadClass(unknownConstant).fault, ClassFault::Damaged) << path;
    }
    for (const char* bytes : {"", "\xCA\xFE\xBA", "PK\x03\x04 a JAR", "\xCA\xFE\xBA\xBF\0\0\0\x2F"})
        EXPECT_EQ(ReadClass(bytes).fault, ClassFault::NotAClass);
}

// The most constants a class can have: entries 1 to 65,534, a long last.
std::string LargestPoolClass(std::size_t longAt = 65533) {
    using namespace std::string_literals;
    std::string b = "\xCA\xFE\xBA\xBE\0\0\0\x2F\xFF\xFF"s;
    auto u2 = [&b](unsigned v) { b += static_cast<char>(v >> 8), b += static_cast<char>(v); };
    b += "\x01\0\x03"
         "Big"
         "\x07\0\x01"
         "\x01\0\x10"
         "java/lang/Object"
         "\x07\0\x03"s;
    for (std::size_t i = 5; i < 65535; ++i) {
        b += i == longAt ? '\x05' : '\x03';
        u2(0), u2(static_cast<unsigned>(i));
        if (i == longAt) u2(0), u2(0), ++i;
    }
    u2(0x21), u2(2), u2(4), u2(0), u2(0), u2(0), u2(0);
    return b;
}

TEST(ClassFile, ReadsTheLargestConstantPool) {
    const ClassReading read = ReadClass(LargestPoolClass());
    ASSERT_EQ(read.fault, ClassFault::None);
    EXPECT_EQ(read.file->name, "Big");
    EXPECT_EQ(read.file->classes, std::vector<std::string_view>{"java/lang/Object"});
    // A long in the last entry would take a slot beyond the pool.
    EXPECT_EQ(ReadClass(LargestPoolClass(65534)).fault, ClassFault::Damaged);
}

// What the class checks follow from a class to the classes it loads: its
// superclass and its interfaces are among its classes, in every class file
// the tools made.
TEST(ClassFile, ListsItsSuperclassAndInterfacesAmongItsClasses) {
    std::size_t read = 0, implementing = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(KESTRANE_CLASSES_DIR)) {
        if (entry.path().extension() != ".class") continue;
        const std::string path = entry.path().generic_string();
        const ClassReading reading = ReadClass(Fixture(path.substr(std::string_view(KESTRANE_CLASSES_DIR).size() + 1)));
        if (!reading.file) continue;
        const ClassFile& file = *reading.file;
        ++read;
        implementing += file.interfaces.empty() ? 0 : 1;
        EXPECT_TRUE(file.superName.empty() || Has(file.classes, file.superName)) << path;
        for (const std::string_view name : file.interfaces) EXPECT_TRUE(Has(file.classes, name)) << path << " " << name;
    }
    EXPECT_GE(read, 40u);
    EXPECT_GE(implementing, 1u);
}

TEST(ClassFile, ReadsTheClassesOfAJar) {
    const char* kinds[] = {"Straight", "Branch", "LdcDouble", "Subroutine", "TableSwitch", "Interface"};
    testing::ZipWriter jar;
    jar.Deflated("META-INF/MANIFEST.MF", "Manifest-Version: 1.0\r\n\r\n").Stored("icon.png", "\x89PNG");
    std::vector<std::string> expected;
    for (int i = 0; i < 499; ++i) {
        const std::string kind = kinds[i % std::size(kinds)];
        const std::string bytes = Fixture("jasmin/" + kind + ".class");
        jar.Add(Entry("c/" + std::to_string(i) + ".class", bytes, [i](auto& e) { e.method = i % 2 ? 0 : 8; }));
        expected.push_back(kind);
    }
    const std::string big = LargestPoolClass();
    jar.Deflated("Big.class", big);
    expected.push_back("Big");
    const std::string probe = Fixture("preverified/com/example/Probe.class");
    jar.Add(Entry("bad/Crc.class", probe, [&](auto& e) { e.declaredCrc = testing::Crc32(probe) ^ 1; }))
        .Add(Entry("bad/Size.class", probe, [](auto& e) { e.declaredSize = 1000; }))
        .Add(Entry("bad/Method.class", probe, [](auto& e) { e.method = 12; }))  // bzip2
        .Add(Entry("bad/Locked.class", probe, [](auto& e) { e.encrypted = true; }))
        .Deflated("bad/Cut.class", probe.substr(0, 500))
        .Stored("bad/Picture.class", "\x89PNG")
        .Add(Entry("bad/Huge.class", "x", [](auto& e) { e.declaredSize = std::uint32_t{kMaxClassSize} + 1; }));
    const std::string bytes = jar.Bytes();

    MemorySource source(bytes);
    const auto start = std::chrono::steady_clock::now();
    const JarReading read = ReadJar(source);
    const SuiteClasses suite = ReadClasses(source, *read.contents);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    std::printf("500 classes (a JAR of %zu bytes, one class with 65,535 constants) read in %.1f ms\n", bytes.size(),
                took.count());

    std::vector<std::string> names;
    for (const ClassFile& file : suite.classes) names.emplace_back(file.name);
    EXPECT_EQ(names, expected);
    EXPECT_EQ(suite.damaged, (std::vector<std::string>{"bad/Crc.class", "bad/Size.class", "bad/Method.class",
                                                       "bad/Cut.class", "bad/Picture.class", "bad/Huge.class"}));
    EXPECT_EQ(suite.encrypted, std::vector<std::string>{"bad/Locked.class"});
    EXPECT_EQ(suite.unread.size(), 0u);
}

TEST(ClassFile, LeavesClassesUnreadPastTheTotalCap) {
    // Entries that each claim the largest size a class may have.
    testing::ZipWriter jar;
    const std::size_t entries = kMaxClassesCost / kMaxClassSize + 3;
    const auto largest = static_cast<std::uint32_t>(kMaxClassSize);
    for (std::size_t i = 0; i < entries; ++i)
        jar.Add(Entry(std::to_string(i) + ".class", "x", [largest](auto& e) { e.declaredSize = largest; }));
    const std::string bytes = jar.Bytes();
    MemorySource source(bytes);
    const SuiteClasses suite = ReadClasses(source, *ReadJar(source).contents);
    EXPECT_GT(suite.unread.size(), 0u);
    EXPECT_EQ(suite.damaged.size() + suite.unread.size(), entries);
}

}  // namespace
}  // namespace kestrane
