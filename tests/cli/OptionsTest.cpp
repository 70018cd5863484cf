// The command line as users get it wrong: each mistake named by the argument
// at fault, before anything is done.
#include <gtest/gtest.h>

#include "cli/Options.h"

namespace kestrane {
namespace {

TEST(Options, SwitchesAnywhereAndFilesThatLookLikeOptionsAfterTheDoubleDash) {
    auto parsed = ParseOptions({"-r", "a b", "-o", "Ziel", "--streng", "--json", "--", "-x.jar"});
    ASSERT_TRUE(std::holds_alternative<CliOptions>(parsed));
    const CliOptions& options = std::get<CliOptions>(parsed);
    EXPECT_EQ(options.mode, CliMode::Convert);
    EXPECT_EQ(options.inputs, (std::vector<std::string>{"a b", "-x.jar"}));
    EXPECT_EQ(options.target, std::optional<std::string>("Ziel"));
    EXPECT_TRUE(options.recursive && options.strict && options.json);
    EXPECT_FALSE(options.overwrite);
    EXPECT_EQ(std::get<CliOptions>(ParseOptions({"--help"})).mode, CliMode::Help);  // throws on a usage error
}

TEST(Options, EveryMistakeNamesItsArgument) {
    const struct {
        std::vector<std::string> arguments;
        const char* named;  // what the message must quote
    } cases[] = {
        {{"--bogus", "a.jar"}, "\u201E--bogus\u201C"},
        {{"a.jar", "-o"}, "\u201E-o\u201C"},
        {{"a.jar", "-o", "x", "-o", "y"}, "\u201E-o\u201C"},
        {{"--ini", "a.jad", "b.jad"}, "\u201Eb.jad\u201C"},
        {{"--jad"}, "\u201E--jad\u201C"},
        {{"--ini", "a.jad", "--jad"}, "\u201E--jad\u201C"},
        {{"--jad", "a.jar", "-r"}, "\u201E-r\u201C"},
        {{"--pruefen", "a.jar", "-o", "x"}, "\u201E-o\u201C"},
        {{"--ini", "a.jad", "--streng"}, "\u201E--streng\u201C"},
        {{"-rf", "a.jar"}, "\u201E-rf\u201C"},
    };
    for (const auto& c : cases) {
        auto parsed = ParseOptions(c.arguments);
        const UsageError* error = std::get_if<UsageError>(&parsed);
        ASSERT_NE(error, nullptr) << c.arguments.front();
        EXPECT_NE(error->message.find(c.named), std::string::npos) << error->message;
    }
    auto none = ParseOptions({});
    ASSERT_TRUE(std::holds_alternative<UsageError>(none));
    EXPECT_NE(std::get<UsageError>(none).message.find("--help"), std::string::npos);
}

}  // namespace
}  // namespace kestrane
