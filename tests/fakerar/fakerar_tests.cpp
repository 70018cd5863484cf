// Tests for the rar.exe stand-in: its command and update logic, and the built
// program checked with two independent readers (bsdtar from libarchive, and
// lsar/unar), in its RAR 4 mode and in its RAR5 one. The RAR 4 format itself
// is Kestrane's own and tested with the core (tests/core/RarArchiveTest.cpp).  The program tests run a private copy of
// the executable per test, because rar.log, rar.fail and rar.sleep live beside the executable.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "command.hpp"
#include "support/UnixShell.h"
#include "support/RarInMemory.h"
#include "rar5.hpp"

namespace fs = std::filesystem;
using fakerar::Member;
using Bytes = std::string;

namespace {

Bytes bytes_of(std::string_view s) { return Bytes(s); }

Bytes all_byte_values() {
    Bytes b(256, '\0');
    for (int i = 0; i < 256; ++i) b[static_cast<std::size_t>(i)] = static_cast<char>(255 - i);
    return b;
}

Bytes pseudo_random(std::size_t size, unsigned seed) {
    std::mt19937 gen(seed);
    Bytes b(size, '\0');
    for (auto& x : b) x = static_cast<char>(gen() & 0xFF);
    return b;
}

// --------------------------------------------------------------- command ---

TEST(AddOrReplace, ReplacesSameNameInPlaceIgnoringAsciiCaseAndAppendsOthers) {
    std::vector<Member> members = {{"java.jah", bytes_of("1")}, {"java.utf", bytes_of("2")}};
    fakerar::add_or_replace(members, {"JAVA.JAH", bytes_of("neu")});
    fakerar::add_or_replace(members, {"java.obj", bytes_of("3")});
    ASSERT_EQ(members.size(), 3u);
    EXPECT_EQ(members[0].name, "JAVA.JAH");
    EXPECT_EQ(members[0].data, bytes_of("neu"));
    EXPECT_EQ(members[1].name, "java.utf");
    EXPECT_EQ(members[2].name, "java.obj");
    EXPECT_FALSE(fakerar::same_name("ä.txt", "Ä.txt"));  // only ASCII folds
}

TEST(ParseCommand, AcceptsTheAddCommandWithSwitchesInAnyOrder) {
    const std::vector<std::vector<std::string>> cases = {
        {"a", "-m0", "-ep", "x.stj", "java.jah", "java.utf"},
        {"a", "-ep", "-m0", "x.stj", "java.jah", "java.utf"},
        {"a", "-y", "-ep", "-idq", "-m0", "-o+", "x.stj", "java.jah", "java.utf"},
        {"a", "-m0", "-ep", "--", "x.stj", "java.jah", "java.utf"},
    };
    for (const auto& args : cases) {
        std::string error;
        const auto command = fakerar::parse_command(args, error);
        ASSERT_TRUE(command.has_value()) << error;
        EXPECT_EQ(command->archive, "x.stj");
        EXPECT_EQ(command->files, (std::vector<std::string>{"java.jah", "java.utf"}));
    }
    // After the archive name everything is a file name.
    std::string error;
    const auto command = fakerar::parse_command({"a", "-m0", "-ep", "x.stj", "-m5"}, error);
    ASSERT_TRUE(command.has_value()) << error;
    EXPECT_EQ(command->files, std::vector<std::string>{"-m5"});
}

TEST(ParseCommand, RefusesEverythingElse) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"x", "-m0", "-ep", "x.stj", "java.jah"},
        {"e", "x.stj"},
        {"A", "-m0", "-ep", "x.stj", "java.jah"},
        {"a", "-ep", "x.stj", "java.jah"},  // would compress
        {"a", "-m0", "x.stj", "java.jah"},  // would store folders
        {"a", "-m5", "-ep", "x.stj", "java.jah"},
        {"a", "-m0", "-ep", "-ep1", "x.stj", "java.jah"},
        {"a", "-m0", "-ep"},
        {"a", "-m0", "-ep", "x.stj"},
    };
    for (const auto& args : cases) {
        std::string error;
        std::string joined;
        for (const auto& a : args) joined += a + ' ';
        EXPECT_FALSE(fakerar::parse_command(args, error).has_value()) << joined;
        EXPECT_FALSE(error.empty()) << joined;
    }
}

// --------------------------------------------------------------- program ---

struct Result {
    int exit_code = -1;
    std::string output;  // stdout and stderr
};

// Runs argv in `cwd` through the shell; env entries are NAME=VALUE.
Result run(const std::vector<std::string>& argv, const fs::path& cwd, const std::vector<std::string>& env = {}) {
    const kestrane::testing::ShellRun ran = kestrane::testing::RunShell(argv, cwd, env);
    return {ran.exitCode, ran.output};
}

Bytes read_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void write_bytes(const fs::path& path, const Bytes& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

using Contents = std::map<std::string, Bytes>;  // member name -> data

std::vector<std::string> names_of(const Contents& contents) {
    std::vector<std::string> names;
    for (const auto& [name, data] : contents) names.push_back(name);
    return names;
}

std::string u8(const fs::path& p) { return fakerar::path_to_utf8(p); }

// Readers print names in the locale's character set; UTF-8 keeps umlauts intact.
const std::vector<std::string> kUtf8Locale = {"LC_ALL=C.UTF-8"};

class FakeRar : public testing::Test {
protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "-" + info->name();
        std::replace(name.begin(), name.end(), '/', '_');
        root_ = fs::temp_directory_path() / ("fakerar-" + name + "-" + std::to_string(getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "bin");
        fs::create_directories(root_ / "work");
        root_ = fs::canonical(root_);
        exe_ = root_ / "bin" / "rar";
        fs::copy_file(FAKERAR_EXE, exe_);
        fs::permissions(exe_, fs::perms::owner_all);
        work_ = root_ / "work";
    }

    void TearDown() override {
        std::error_code ec;
        if (!HasFailure()) fs::remove_all(root_, ec);  // keep the evidence otherwise
    }

    Result rar(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
        std::vector<std::string> argv{exe_.string()};
        argv.insert(argv.end(), args.begin(), args.end());
        return run(argv, work_, env);
    }

    // Writes the files into `folder` (relative to the work folder) and
    // returns their paths.
    std::vector<std::string> make_inputs(const Contents& files, const fs::path& folder = "in") {
        fs::create_directories(work_ / folder);
        std::vector<std::string> paths;
        for (const auto& [name, data] : files) {
            const fs::path path = work_ / folder / fakerar::path_from_utf8(name);
            write_bytes(path, data);
            paths.push_back(u8(path));
        }
        return paths;
    }

    std::vector<std::string> add_args(const std::string& archive, const std::vector<std::string>& files) {
        std::vector<std::string> args{"a", "-m0", "-ep", archive};
        args.insert(args.end(), files.begin(), files.end());
        return args;
    }

    // Every file below `dir` (with its path relative to `dir`) must be one of
    // `expected`, with the same bytes, and none may be missing.
    void expect_extracted(const fs::path& dir, const Contents& expected, const char* reader) {
        Contents found;
        for (const auto& entry : fs::recursive_directory_iterator(dir))
            if (!entry.is_directory()) found[u8(fs::relative(entry.path(), dir))] = read_bytes(entry.path());
        EXPECT_EQ(names_of(found), names_of(expected)) << reader << " extracted other files";
        for (const auto& [name, data] : expected) {
            const auto it = found.find(name);
            if (it != found.end()) {
                EXPECT_TRUE(it->second == data) << reader << ": " << name << " differs";
            }
        }
    }

    // Both independent readers, and our own, must list exactly `expected`
    // (no duplicates) and extract byte-identical members.
    void expect_archive(const fs::path& archive, const Contents& expected) {
        ASSERT_FALSE(std::string(FAKERAR_BSDTAR).empty())
            << "bsdtar not found: install the Debian package libarchive-tools";
        ASSERT_FALSE(std::string(FAKERAR_LSAR).empty()) << "lsar not found: install the Debian package unar";
        ASSERT_FALSE(std::string(FAKERAR_UNAR).empty()) << "unar not found: install the Debian package unar";
        ASSERT_TRUE(fs::is_regular_file(archive)) << archive;
        const std::string path = u8(archive);
        const int n = ++reader_runs_;

        const Result list = run({FAKERAR_BSDTAR, "-tf", path}, work_, kUtf8Locale);
        ASSERT_EQ(list.exit_code, 0) << list.output;
        EXPECT_EQ(sorted(lines_of(list.output)), names_of(expected)) << "bsdtar -tf";

        // -tv shows sizes: "-rw-r--r--  0 0  0  <size> <Mon> <day> <time> <name>".
        const Result verbose = run({FAKERAR_BSDTAR, "-tvf", path}, work_, kUtf8Locale);
        ASSERT_EQ(verbose.exit_code, 0) << verbose.output;
        std::size_t listed = 0;
        for (const auto& line : lines_of(verbose.output)) {
            std::istringstream fields(line);
            std::string perms, links, owner, group, month, day, time, name;
            std::size_t size = 0;
            fields >> perms >> links >> owner >> group >> size >> month >> day >> time;
            std::getline(fields >> std::ws, name);
            ++listed;
            ASSERT_TRUE(expected.count(name)) << "bsdtar -tvf: " << line;
            EXPECT_EQ(size, expected.at(name).size()) << "bsdtar -tvf: " << line;
        }
        EXPECT_EQ(listed, expected.size());

        const fs::path bsdtar_out = root_ / ("bsdtar-" + std::to_string(n));
        fs::create_directories(bsdtar_out);
        const Result extract = run({FAKERAR_BSDTAR, "-xf", path, "-C", u8(bsdtar_out)}, work_, kUtf8Locale);
        EXPECT_EQ(extract.exit_code, 0) << extract.output;
        expect_extracted(bsdtar_out, expected, "bsdtar");

        // lsar -t checks every member's CRC: "<name>... OK."
        const Result test = run({FAKERAR_LSAR, "-t", path}, work_, kUtf8Locale);
        EXPECT_EQ(test.exit_code, 0) << test.output;
        std::vector<std::string> tested;
        for (const auto& line : lines_of(test.output)) {
            const std::string ok = "... OK.";
            if (line.size() > ok.size() && line.ends_with(ok))
                tested.push_back(line.substr(0, line.size() - ok.size()));
        }
        EXPECT_EQ(sorted(tested), names_of(expected)) << "lsar -t:\n" << test.output;

        const fs::path unar_out = root_ / ("unar-" + std::to_string(n));
        const Result unar = run({FAKERAR_UNAR, "-q", "-D", "-o", u8(unar_out), path}, work_, kUtf8Locale);
        EXPECT_EQ(unar.exit_code, 0) << unar.output;
        if (expected.empty()) return;  // unar creates no folder for an empty archive
        expect_extracted(unar_out, expected, "unar");

        std::string error;
        const Bytes bytes = read_bytes(archive);
        const auto ours = kestrane::FormatOf(bytes) == kestrane::ArchiveFormat::Rar5
                              ? fakerar::read_rar5_archive(bytes, &error)
                              : kestrane::ReadRarArchive(bytes, &error);
        ASSERT_TRUE(ours.has_value()) << error;
        std::vector<std::string> our_names;
        for (const auto& m : *ours) our_names.push_back(m.name);
        EXPECT_EQ(sorted(our_names), names_of(expected)) << "our own reader";
    }

    fs::path root_, exe_, work_;
    int reader_runs_ = 0;
};

struct MemberSet {
    const char* label;
    Contents files;
};

void PrintTo(const MemberSet& set, std::ostream* os) { *os << set.label; }

class FakeRarMembers : public FakeRar, public testing::WithParamInterface<MemberSet> {};

TEST_P(FakeRarMembers, WritesAnArchiveBothReadersAccept) {
    const auto inputs = make_inputs(GetParam().files);
    const fs::path archive = work_ / "out" / "Spiel.stj";
    fs::create_directories(archive.parent_path());
    const Result r = rar(add_args(u8(archive), inputs));
    ASSERT_EQ(r.exit_code, 0) << r.output;
    expect_archive(archive, GetParam().files);
}

INSTANTIATE_TEST_SUITE_P(
    Contents, FakeRarMembers,
    testing::Values(MemberSet{"ThreeMembers",
                              {{"java.jah", bytes_of("MIDlet-Name: Spiel\r\nMIDlet-Jar-Size: 3\r\n")},
                               {"java.utf", bytes_of("PK\x03\x04 jar")},
                               {"stjava.ini", bytes_of("[STJ]\r\nName=Spiel\r\n")}}},
                    MemberSet{"FourMembers",
                              {{"java.jah", bytes_of("MIDlet-Name: Spiel\r\n")},
                               {"java.utf", pseudo_random(5000, 1)},
                               {"stjava.ini", bytes_of("[STJ]\r\n")},
                               {"java.obj", pseudo_random(777, 2)}}},
                    MemberSet{"EmptyFile", {{"java.jah", {}}, {"stjava.ini", bytes_of("x")}}},
                    MemberSet{"AllByteValues", {{"java.utf", all_byte_values()}}},
                    MemberSet{"OneMebibyte",
                              {{"java.utf", pseudo_random(1024 * 1024 + 3, 3)}, {"java.jah", bytes_of("j")}}}),
    [](const testing::TestParamInfo<MemberSet>& info) { return std::string(info.param.label); });

TEST_F(FakeRar, UpdatingReplacesAMemberAndAddsANewOneWithoutDuplicates) {
    const Contents first = {
        {"java.jah", bytes_of("alt")}, {"java.utf", bytes_of("jar")}, {"stjava.ini", bytes_of("ini")}};
    const fs::path archive = work_ / "Spiel.stj";
    ASSERT_EQ(rar(add_args(u8(archive), make_inputs(first, "v1"))).exit_code, 0);
    expect_archive(archive, first);

    const Contents second = {{"java.jah", bytes_of("neu und länger")}, {"java.obj", bytes_of("obj")}};
    const Result r = rar(add_args(u8(archive), make_inputs(second, "v2")));
    ASSERT_EQ(r.exit_code, 0) << r.output;
    expect_archive(archive, {{"java.jah", bytes_of("neu und länger")},
                             {"java.utf", bytes_of("jar")},
                             {"stjava.ini", bytes_of("ini")},
                             {"java.obj", bytes_of("obj")}});
    EXPECT_FALSE(fs::exists(work_ / "Spiel.stj.fakerar-tmp"));
}

TEST_F(FakeRar, FailModeExitsWithThreeAndLeavesArchivesAlone) {
    const struct {
        const char* how;
        std::vector<std::string> env;
        bool marker;
    } cases[] = {{"FAKERAR_FAIL", {"FAKERAR_FAIL=1"}, false}, {"rar.fail", {}, true}};
    const auto inputs = make_inputs({{"java.jah", bytes_of("neu")}, {"java.obj", bytes_of("obj")}});
    const fs::path existing = work_ / "alt.stj";
    const Bytes before = kestrane::WriteRarArchive({{"java.jah", bytes_of("alt")}});
    write_bytes(existing, before);

    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        if (c.marker) write_bytes(root_ / "bin" / "rar.fail", {});
        const Result update = rar(add_args(u8(existing), inputs), c.env);
        EXPECT_EQ(update.exit_code, 3) << update.output;
        EXPECT_TRUE(read_bytes(existing) == before) << "existing archive changed";

        const fs::path absent = work_ / "neu.stj";
        const Result create = rar(add_args(u8(absent), inputs), c.env);
        EXPECT_EQ(create.exit_code, 3) << create.output;
        EXPECT_FALSE(fs::exists(absent));
        fs::remove(root_ / "bin" / "rar.fail");
    }
    // Failing runs are still logged.
    const Bytes log_bytes = read_bytes(root_ / "bin" / "rar.log");
    const auto log = lines_of(std::string(log_bytes.begin(), log_bytes.end()));
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.starts_with("cmdline="); }), 4);

    // Without the marker and the variable it works again.
    EXPECT_EQ(rar(add_args(u8(existing), inputs)).exit_code, 0);
    expect_archive(existing, {{"java.jah", bytes_of("neu")}, {"java.obj", bytes_of("obj")}});
}

TEST_F(FakeRar, MissingInputExitsWithTenAndLeavesArchivesAlone) {
    const auto inputs = make_inputs({{"java.jah", bytes_of("neu")}});
    const std::string missing = u8(work_ / "in" / "java.utf");
    const fs::path existing = work_ / "alt.stj";
    const Bytes before = kestrane::WriteRarArchive({{"java.jah", bytes_of("alt")}});
    write_bytes(existing, before);

    const std::vector<std::vector<std::string>> file_lists = {{missing}, {inputs[0], missing}, {missing, inputs[0]}};
    for (const auto& files : file_lists) {
        const Result update = rar(add_args(u8(existing), files));
        EXPECT_EQ(update.exit_code, 10) << update.output;
        EXPECT_TRUE(read_bytes(existing) == before);

        const Result create = rar(add_args(u8(work_ / "neu.stj"), files));
        EXPECT_EQ(create.exit_code, 10) << create.output;
        EXPECT_FALSE(fs::exists(work_ / "neu.stj"));
    }
}

TEST_F(FakeRar, UnknownCommandsAndSwitchesExitWithSeven) {
    const auto inputs = make_inputs({{"java.jah", bytes_of("x")}});
    const std::string archive = u8(work_ / "x.stj");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"x", archive},
        {"e", "-m0", "-ep", archive, inputs[0]},
        {"a", "-m5", "-ep", archive, inputs[0]},
        {"a", "-ep", archive, inputs[0]},
        {"a", "-m0", "-ep", archive},
    };
    for (const auto& args : cases) {
        const Result r = rar(args);
        EXPECT_EQ(r.exit_code, 7) << r.output;
        EXPECT_FALSE(fs::exists(archive));
    }
}

TEST_F(FakeRar, ExistingFileThatIsNoRarArchiveIsAFatalError) {
    const auto inputs = make_inputs({{"java.jah", bytes_of("x")}});
    const fs::path archive = work_ / "kaputt.stj";
    write_bytes(archive, bytes_of("PK\x03\x04 not a rar archive"));
    const Result r = rar(add_args(u8(archive), inputs));
    EXPECT_EQ(r.exit_code, 2) << r.output;
    EXPECT_EQ(read_bytes(archive), bytes_of("PK\x03\x04 not a rar archive"));
}

TEST_F(FakeRar, LogGetsOneRecordPerRunWithCommandLineAndWorkingFolder) {
    const auto inputs = make_inputs({{"java.jah", bytes_of("x")}});
    const std::string archive = u8(work_ / "mit Leerzeichen.stj");
    ASSERT_EQ(rar(add_args(archive, inputs)).exit_code, 0);
    fs::create_directories(work_ / "anders");
    const Result second = run({exe_.string(), "x", "egal"}, work_ / "anders");
    EXPECT_EQ(second.exit_code, 7);

    const Bytes log = read_bytes(root_ / "bin" / "rar.log");
    const std::string expected = "cmdline=" + exe_.string() + " a -m0 -ep " + archive + " " + inputs[0] + "\n" +
                                 "cwd=" + work_.string() + "\n" + "cmdline=" + exe_.string() + " x egal\n" +
                                 "cwd=" + (work_ / "anders").string() + "\n";
    EXPECT_EQ(std::string(log.begin(), log.end()), expected);
}

TEST_F(FakeRar, SleepsAsToldBeforeWorking) {
    const auto inputs = make_inputs({{"java.jah", bytes_of("x")}});
    const struct {
        const char* how;
        std::vector<std::string> env;
        const char* file;
    } cases[] = {{"FAKERAR_SLEEP_MS", {"FAKERAR_SLEEP_MS=600"}, nullptr}, {"rar.sleep", {}, "600\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        if (c.file) write_bytes(root_ / "bin" / "rar.sleep", bytes_of(c.file));
        const auto start = std::chrono::steady_clock::now();
        const Result r = rar(add_args(u8(work_ / "x.stj"), inputs), c.env);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(r.exit_code, 0) << r.output;
        EXPECT_GE(elapsed, std::chrono::milliseconds(600));
        fs::remove(root_ / "bin" / "rar.sleep");
    }
}

TEST_F(FakeRar, UnicodeAndSpecialCharactersInPaths) {
    const fs::path folder = fakerar::path_from_utf8("Übung (1) 100% & ^ Käse");
    const Contents files = {{"java.jah", bytes_of("jah")}, {"java.utf", bytes_of("utf")}, {"grüße.txt", bytes_of("ä")}};
    const auto inputs = make_inputs(files, folder);

    // Relative paths resolve against the working folder.
    std::vector<std::string> relative;
    for (const auto& name : names_of(files)) relative.push_back(u8(folder / fakerar::path_from_utf8(name)));
    const std::string archive = u8(folder / fakerar::path_from_utf8("Spiel für Ä & Ö (2).stj"));
    const Result r = rar(add_args(archive, relative));
    ASSERT_EQ(r.exit_code, 0) << r.output;
    expect_archive(work_ / fakerar::path_from_utf8(archive), files);

    // Absolute paths, and a name without extension gets ".rar".
    const Result plain = rar(add_args(u8(work_ / folder / "ohne Endung"), inputs));
    ASSERT_EQ(plain.exit_code, 0) << plain.output;
    expect_archive(work_ / folder / "ohne Endung.rar", files);
}

TEST_F(FakeRar, MemberTimeIsTheInputFilesLastWriteTime) {
    using namespace std::chrono;
    const auto inputs = make_inputs({{"java.jah", bytes_of("x")}});
    const sys_seconds when = sys_days{2021y / March / 14} + 15h + 9min + 26s;
    fs::last_write_time(inputs[0], fs::file_time_type::clock::from_sys(when));
    ASSERT_EQ(rar(add_args(u8(work_ / "t.stj"), inputs)).exit_code, 0);
    const auto members = kestrane::ReadRarArchive(read_bytes(work_ / "t.stj"));
    ASSERT_TRUE(members.has_value());
    ASSERT_EQ(members->size(), 1u);
    EXPECT_EQ(members->front().dosTime, kestrane::DosDateTime({2021, 3, 14, 15, 9, 26}));
    EXPECT_EQ(members->front().attributes, 0x20u);
}

// ------------------------------------------------------------ RAR5 mode ---

// Like rar 5.50 and later: RAR5 by default, and, like rar 7, no -ma4.
TEST_F(FakeRar, Rar5ModeWritesRar5ThatBothReadersAccept) {
    const struct {
        const char* how;
        std::vector<std::string> env;
        bool marker;
    } ways[] = {{"FAKERAR_RAR5", {"FAKERAR_RAR5=1"}, false}, {"rar.rar5", {}, true}};
    const Contents files = {{"java.jah", pseudo_random(70000, 5)},
                            {"java.utf", all_byte_values()},
                            {"stjava.ini", bytes_of("suite=Spiel\r\n")},
                            {"java.obj", {}}};
    const auto inputs = make_inputs(files);
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        if (way.marker) write_bytes(root_ / "bin" / "rar.rar5", {});
        const fs::path archive = work_ / (std::string(way.how) + ".stj");
        const Result r = rar(add_args(u8(archive), inputs), way.env);
        ASSERT_EQ(r.exit_code, 0) << r.output;
        const Bytes written = read_bytes(archive);
        EXPECT_EQ(written.substr(0, 8), std::string("Rar!\x1a\x07\x01\x00", 8)) << "the RAR5 signature";

        // lsar names the format it found.
        const Result list = run({FAKERAR_LSAR, "-l", u8(archive)}, work_, kUtf8Locale);
        EXPECT_EQ(list.exit_code, 0) << list.output;
        EXPECT_NE(list.output.find("RAR 5"), std::string::npos) << list.output;
        expect_archive(archive, files);
        fs::remove(root_ / "bin" / "rar.rar5");
    }
}

TEST_F(FakeRar, Rar5ModeUpdatesItsOwnArchive) {
    const fs::path archive = work_ / "Spiel.stj";
    const std::vector<std::string> rar5 = {"FAKERAR_RAR5=1"};
    ASSERT_EQ(
        rar(add_args(u8(archive), make_inputs({{"java.jah", bytes_of("alt")}, {"java.utf", bytes_of("jad")}}, "v1")),
            rar5)
            .exit_code,
        0);
    const Result r = rar(add_args(u8(archive), make_inputs({{"java.jah", bytes_of("neu")}}, "v2")), rar5);
    ASSERT_EQ(r.exit_code, 0) << r.output;
    expect_archive(archive, {{"java.jah", bytes_of("neu")}, {"java.utf", bytes_of("jad")}});
}

TEST_F(FakeRar, Rar5ModeRefusesMa4AsRar7Does) {
    const auto inputs = make_inputs({{"java.jah", bytes_of("x")}});
    const std::string archive = u8(work_ / "x.stj");
    const Result refused = rar({"a", "-ma4", "-m0", "-ep", archive, inputs[0]}, {"FAKERAR_RAR5=1"});
    EXPECT_EQ(refused.exit_code, 7) << refused.output;
    EXPECT_NE(refused.output.find("ERROR: Unknown option: ma4"), std::string::npos) << refused.output;
    EXPECT_FALSE(fs::exists(archive));
}

TEST(Rar5Format, ReadsBackWhatItWroteAndRefusesDamage) {
    const std::vector<Member> members = {
        {"java.jah", all_byte_values(), kestrane::DosDateTime({2004, 7, 15, 11, 16, 0}), kestrane::kArchiveAttribute},
        {"java.utf", "", kestrane::kDosEpoch, kestrane::kArchiveAttribute}};
    const std::string archive = fakerar::write_rar5_archive(members);
    std::string error;
    const auto back = fakerar::read_rar5_archive(archive, &error);
    ASSERT_TRUE(back.has_value()) << error;
    ASSERT_EQ(back->size(), 2u);
    EXPECT_EQ((*back)[0].data, members[0].data);
    EXPECT_EQ((*back)[0].dosTime, members[0].dosTime);
    EXPECT_EQ((*back)[1].name, "java.utf");
    std::string damaged = archive;
    damaged[archive.size() / 2] ^= 1;
    EXPECT_FALSE(fakerar::read_rar5_archive(damaged, &error).has_value());
    EXPECT_FALSE(kestrane::ReadRarArchive(archive).has_value()) << "the RAR 4 reader takes no RAR5";
}

}  // namespace
