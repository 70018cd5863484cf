#include "cli/Options.h"

namespace kestrane {

namespace {

std::string Quoted(std::string_view text) { return "\u201E" + std::string(text) + "\u201C"; }

struct ModeOption {
    std::string_view name;
    CliMode mode;
};
constexpr ModeOption kModes[] = {
    {"--jad", CliMode::MakeJad}, {"--ini", CliMode::ShowIni}, {"--pruefen", CliMode::Check},
    {"--help", CliMode::Help},   {"-h", CliMode::Help},
};

std::optional<CliMode> ModeNamed(std::string_view argument) {
    for (const ModeOption& option : kModes)
        if (argument == option.name) return option.mode;
    return std::nullopt;
}

std::string_view NameOf(CliMode mode) {
    for (const ModeOption& option : kModes)
        if (option.mode == mode) return option.name;
    return {};
}

// Which of the switches each way of working takes; --ini takes none but --json.
bool Takes(CliMode mode, std::string_view option) {
    switch (mode) {
    case CliMode::Convert: return true;
    case CliMode::MakeJad: return option == "-o" || option == "--ueberschreiben" || option == "--json";
    case CliMode::Check: return option == "-r" || option == "--streng" || option == "--json";
    case CliMode::ShowIni: return option == "--json";
    case CliMode::Help: return true;
    }
    return false;
}

// The options the mode does not take, named by the first one given.
std::optional<UsageError> Misplaced(const CliOptions& options, const std::vector<std::string_view>& given) {
    for (const std::string_view option : given)
        if (!Takes(options.mode, option))
            return UsageError{"kestrane: " + Quoted(option) + " gilt nicht zusammen mit " +
                              Quoted(NameOf(options.mode)) + "."};
    return std::nullopt;
}

std::optional<UsageError> CheckInputs(const CliOptions& options) {
    if (options.mode == CliMode::Help) return std::nullopt;
    if (options.inputs.empty()) {
        if (options.mode == CliMode::ShowIni)
            return UsageError{"kestrane: Nach \u201E--ini\u201C fehlt die JAD-Datei."};
        if (options.mode == CliMode::MakeJad)
            return UsageError{"kestrane: Nach \u201E--jad\u201C fehlt die JAR-Datei."};
        return UsageError{"kestrane: Keine Datei und kein Ordner angegeben. Hilfe: kestrane --help"};
    }
    if (options.mode == CliMode::ShowIni && options.inputs.size() > 1)
        return UsageError{"kestrane: \u201E--ini\u201C nimmt genau eine JAD-Datei; " + Quoted(options.inputs[1]) +
                          " ist eine zu viel."};
    return std::nullopt;
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
        } else if (const std::optional<CliMode> mode = ModeNamed(argument)) {
            if (modeGiven && *modeGiven != argument)
                return UsageError{"kestrane: " + Quoted(argument) + " und " + Quoted(*modeGiven) +
                                  " schlie\u00dfen einander aus."};
            modeGiven = argument;
            options.mode = *mode;
        } else if (argument == "-o") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty())
                return UsageError{"kestrane: Nach \u201E-o\u201C fehlt der Zielordner."};
            if (options.target) return UsageError{"kestrane: \u201E-o\u201C ist zweimal angegeben."};
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
            return UsageError{"kestrane: Unbekannte Option " + Quoted(argument) + ". Hilfe: kestrane --help"};
        }
    }
    if (std::optional<UsageError> error = Misplaced(options, switches)) return *error;
    if (std::optional<UsageError> error = CheckInputs(options)) return *error;
    return options;
}

std::string_view HelpText() {
    return "Aufruf:\n"
           "  kestrane DATEI|ORDNER... [-o ZIEL] [-r] [--ueberschreiben] [--streng] [--json]\n"
           "  kestrane --jad JAR... [-o ZIEL] [--ueberschreiben] [--json]\n"
           "  kestrane --ini JAD [--json]\n"
           "  kestrane --pruefen DATEI|ORDNER... [-r] [--streng] [--json]\n"
           "\n"
           "Macht aus jeder MIDlet-Suite (JAR-Datei, dazu die JAD-Datei gleichen Namens oder\n"
           "die, deren MIDlet-Jar-URL die JAR-Datei nennt) ein STJ-Paket. Ohne JAD-Datei wird\n"
           "eine aus dem Manifest der JAR-Datei erstellt.\n"
           "\n"
           "  -o ZIEL            schreibt die Pakete und kestrane-protokoll.txt nach ZIEL,\n"
           "                     sonst neben die JAR-Dateien (ein Protokoll je Ordner)\n"
           "  -r                 durchsucht auch die Unterordner\n"
           "  --ueberschreiben   ersetzt vorhandene STJ-Dateien, sonst bleiben sie\n"
           "  --streng           \u00fcberspringt Suiten mit Befunden, statt sie trotzdem zu packen\n"
           "  --json             ein JSON-Objekt je Zeile statt Text\n"
           "  --jad              schreibt zu jeder JAR-Datei eine JAD-Datei aus ihrem Manifest\n"
           "  --ini              gibt den INI-Text der JAD-Datei aus\n"
           "  --pruefen          pr\u00fcft nur und schreibt nichts\n"
           "  --help             zeigt diese Hilfe\n"
           "\n"
           "Exit-Code: 0, wenn jede Suite erstellt wurde oder schon vorhanden war; 1, wenn eine\n"
           "\u00fcbersprungen wurde oder fehlschlug oder der Lauf abgebrochen wurde; 2 bei falschem\n"
           "Aufruf oder einem Ziel, in das nicht geschrieben werden kann.\n"
           "Strg+C bricht nach der Suite ab, die gerade gepackt wird.\n";
}

}  // namespace kestrane
