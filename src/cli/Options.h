// What the user asked kestrane for on its command line, or why the line is
// not understood: the message names the argument at fault.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace kestrane {

enum class CliMode {
    Convert,  // every suite found becomes an STJ package
    MakeJad,  // --jad: a JAD from each JAR's manifest
    ShowIni,  // --ini: the INI text of one JAD
    Check,    // --pruefen: the checks only, nothing written
    Help,     // --help
};

struct CliOptions {
    CliMode mode = CliMode::Convert;
    std::vector<std::string> inputs;    // files and folders as typed
    std::optional<std::string> target;  // -o ZIEL
    bool recursive = false;             // -r
    bool overwrite = false;             // --ueberschreiben
    bool strict = false;                // --streng
    bool json = false;                  // --json
};

// A usage error, also of a file named: what to tell the user, exit code 2.
struct UsageError {
    std::string message;
};

std::variant<CliOptions, UsageError> ParseOptions(const std::vector<std::string>& arguments);

}  // namespace kestrane
