// The program's arguments: "/ordner QUELLE ZIEL" with its switches, and
// files, as Explorer and scripts pass them.
#include <gtest/gtest.h>

#include "ui/CommandLine.h"
#include "ui/WinText.h"

namespace {

using kestrane::ParseStartArguments;
using Args = std::vector<std::wstring>;

TEST(ParseStartArguments, FolderRunTakesTheNextTwoArgumentsTheRestAreFiles) {
    struct Case {
        const char* what;
        Args arguments;
        bool folderRun;
        std::wstring source, target;
        Args files;
        bool subfolders = false, overwrite = false;
    };
    const Case cases[] = {
        {"nothing", {}, false, L"", L"", {}},
        {"two folders",
         {L"/ordner", L"C:\\Spiele & Co", L"D:\\STJ 100%"},
         true,
         L"C:\\Spiele & Co",
         L"D:\\STJ 100%",
         {}},
        {"any case", {L"/ORDNER", L"a", L"b"}, true, L"a", L"b", {}},
        {"CJK and umlauts",
         {L"/Ordner", L"C:\\\u6F22\u5B57", L"C:\\\u00DCbung"},
         true,
         L"C:\\\u6F22\u5B57",
         L"C:\\\u00DCbung",
         {}},
        {"target missing", {L"/ordner", L"a"}, true, L"a", L"", {}},
        {"both missing", {L"/ordner"}, true, L"", L"", {}},
        {"files only", {L"C:\\a.jar", L"C:\\a.jad"}, false, L"", L"", {L"C:\\a.jar", L"C:\\a.jad"}},
        {"files around it", {L"x.jar", L"/ordner", L"a", L"b", L"y.jad"}, true, L"a", L"b", {L"x.jar", L"y.jad"}},
        {"a folder named like the switch is no switch", {L"ordner"}, false, L"", L"", {L"ordner"}},
        {"both check boxes after the folders",
         {L"/ordner", L"a", L"b", L"/Unterordner", L"/UEBERSCHREIBEN"},
         true,
         L"a",
         L"b",
         {},
         true,
         true},
        {"switches between the folders are no folders",
         {L"/unterordner", L"/ordner", L"a", L"/\u00fcberschreiben", L"b"},
         true,
         L"a",
         L"b",
         {},
         true,
         true},
        {"one switch", {L"/ordner", L"a", L"b", L"/ueberschreiben"}, true, L"a", L"b", {}, false, true},
        {"switches without /ordner change no file list", {L"/unterordner", L"x.jar"}, false, L"", L"", {L"x.jar"}},
    };
    for (const Case& c : cases) {
        const kestrane::StartArguments parsed = ParseStartArguments(c.arguments);
        ASSERT_EQ(parsed.folderRun.has_value(), c.folderRun) << c.what;
        if (c.folderRun) {
            EXPECT_EQ(parsed.folderRun->source, kestrane::Narrow(c.source)) << c.what;
            EXPECT_EQ(parsed.folderRun->target, kestrane::Narrow(c.target)) << c.what;
            EXPECT_EQ(parsed.folderRun->includeSubfolders, c.subfolders) << c.what;
            EXPECT_EQ(parsed.folderRun->overwrite, c.overwrite) << c.what;
        }
        EXPECT_EQ(parsed.files, c.files) << c.what;
    }
}

}  // namespace
