// Every sentence kestrane says on its own (the core's are in
// package/Words.h): its help, its usage errors and its messages on stderr,
// each after "kestrane: ".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrane::cli_words {

std::string_view HelpText();

// Usage errors: exit code 2.
inline constexpr std::string_view kIniWithoutJad = "kestrane: Nach „--ini“ fehlt die JAD-Datei.";
inline constexpr std::string_view kJadWithoutJar = "kestrane: Nach „--jad“ fehlt die JAR-Datei.";
inline constexpr std::string_view kNothingNamed =
    "kestrane: Keine Datei und kein Ordner angegeben. Hilfe: kestrane --help";
inline constexpr std::string_view kTargetMissing = "kestrane: Nach „-o“ fehlt der Zielordner.";
inline constexpr std::string_view kTargetTwice = "kestrane: „-o“ ist zweimal angegeben.";
std::string NotWithMode(std::string_view option, std::string_view mode);
std::string OneJadTooMany(std::string_view extra);
std::string ModesExclude(std::string_view mode, std::string_view other);
std::string UnknownOption(std::string_view option);
std::string TargetNoFolder(const std::string& target);
std::string NeitherJarNorJad(const std::string& input);
std::string NeitherFileNorFolder(const std::string& input);
std::string Missing(const std::string& input);
std::string NoJar(const std::string& input);
std::string JadMissing(const std::string& jad);

// During and after a run.
std::string Said(const std::string& message);  // "kestrane: " before the core's words
std::string Progress(std::size_t suite, std::size_t suites);
// "game (2).stj" instead of "game.stj", which another suite's package has.
std::string OwnPackageName(const std::string& name, const std::string& taken);
inline constexpr std::string_view kJadWithoutItsJar = "Zur JAD-Datei gibt es keine JAR-Datei.";
inline constexpr std::string_view kFine = "in Ordnung";
inline constexpr std::string_view kInterrupted = "kestrane: Abgebrochen; die begonnene Suite wurde fertig gepackt.";
// stdout took the results no more: the system's reason.
std::string OutputLost(const std::string& reason);
// A suite's "status" in --json.
inline constexpr std::string_view kStatusBuilt = "erstellt";
inline constexpr std::string_view kStatusExisting = "vorhanden";
inline constexpr std::string_view kStatusSkipped = "übersprungen";
inline constexpr std::string_view kStatusFailed = "fehlgeschlagen";
// "37 von 240 in Ordnung, 2 übersprungen, 1 fehlgeschlagen".
std::string CheckCounts(std::size_t fine, std::size_t found, std::size_t skipped, std::size_t failed);

}  // namespace kestrane::cli_words
