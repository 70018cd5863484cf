#include "cli/Options.h"

#include <algorithm>
#include <iterator>

#include "cli/CliWords.h"

namespace kestrane {

using namespace cli_words;

namespace {

struct ModeOption {
    std::string_view name;
    CliMode mode;
};
constexpr ModeOption kModes[] = {
    {"--jad", CliMode::MakeJad}, {"--ini", CliMode::ShowIni}, {"--pruefen", CliMode::Check},
    {"--help", CliMode::Help},   {"-h", CliMode::Help},
};

// Which of the switches each way of working takes; --ini takes none but --json.
bool Takes(CliMode mode, std::string_view option) {
    switch (mode) {
    case CliMode::Convert:
    case CliMode::Help: return true;
    case CliMode::MakeJad: return option == "-o" || option == "--ueberschreiben" || option == "--json";
    case CliMode::Check: return option == "-r" || option == "--streng" || option == "--json";
    case CliMode::ShowIni: return option == "--json";
    }
    return false;
}

}  // namespace

std::variant<CliOptions, UsageError> ParseOptions(const std::vector<std::string>& arguments) {
    CliOptions options;
    std::optional<std::string_view> modeGiven;
    std::vector<std::string_view> switches;
    bool onlyFiles = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (onlyFiles || argument.empty() || argument[0] != '-' || argument == "-") {
            options.inputs.push_back(argument);
        } else if (argument == "--") {
            onlyFiles = true;
        } else if (const ModeOption* mode = std::ranges::find(kModes, argument, &ModeOption::name);
                   mode != std::end(kModes)) {
            if (modeGiven && *modeGiven != argument) return UsageError{ModesExcludeText(argument, *modeGiven)};
            modeGiven = argument;
            options.mode = mode->mode;
        } else if (argument == "-o") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty())
                return UsageError{std::string(kTargetMissingText)};
            if (options.target) return UsageError{std::string(kTargetTwiceText)};
            options.target = arguments[++i];
            switches.push_back("-o");
        } else if (argument == "-r" || argument == "--ueberschreiben" || argument == "--streng" ||
                   argument == "--json") {
            options.recursive |= argument == "-r";
            options.overwrite |= argument == "--ueberschreiben";
            options.strict |= argument == "--streng";
            options.json |= argument == "--json";
            switches.push_back(argument);
        } else {
            return UsageError{UnknownOptionText(argument)};
        }
    }
    // The first switch given that the mode does not take; a mode that takes
    // fewer than all was named.
    for (const std::string_view option : switches)
        if (!Takes(options.mode, option)) return UsageError{NotWithModeText(option, *modeGiven)};
    if (options.mode != CliMode::Help && options.inputs.empty())
        return UsageError{std::string(options.mode == CliMode::ShowIni   ? kIniWithoutJadText
                                      : options.mode == CliMode::MakeJad ? kJadWithoutJarText
                                                                         : kNothingNamedText)};
    if (options.mode == CliMode::ShowIni && options.inputs.size() > 1)
        return UsageError{OneJadTooManyText(options.inputs[1])};
    return options;
}

}  // namespace kestrane
