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
inline constexpr std::string_view kIniWithoutJadText = "kestrane: Nach „--ini“ fehlt die JAD-Datei.";
inline constexpr std::string_view kJadWithoutJarText = "kestrane: Nach „--jad“ fehlt die JAR-Datei.";
inline constexpr std::string_view kNothingNamedText =
    "kestrane: Keine Datei und kein Ordner angegeben. Hilfe: kestrane --help";
inline constexpr std::string_view kTargetMissingText = "kestrane: Nach „-o“ fehlt der Zielordner.";
inline constexpr std::string_view kTargetTwiceText = "kestrane: „-o“ ist zweimal angegeben.";
std::string NotWithModeText(std::string_view option, std::string_view mode);
std::string OneJadTooManyText(std::string_view extra);
std::string ModesExcludeText(std::string_view mode, std::string_view other);
std::string UnknownOptionText(std::string_view option);
std::string TargetNoFolderText(const std::string& target);
std::string NeitherJarNorJadText(const std::string& input);
std::string NeitherFileNorFolderText(const std::string& input);
std::string MissingText(const std::string& input);
std::string NoJarText(const std::string& input);
std::string JadMissingText(const std::string& jad);

// During and after a run.
std::string SaidText(const std::string& message);  // "kestrane: " before the core's words
std::string ProgressText(std::size_t suite, std::size_t suites);
// "game (2).stj" instead of "game.stj", which another suite's package has.
std::string OwnPackageNameText(const std::string& name, const std::string& taken);
inline constexpr std::string_view kJadWithoutItsJarText = "Zur JAD-Datei gibt es keine JAR-Datei.";
inline constexpr std::string_view kInterruptedText = "kestrane: Abgebrochen; die begonnene Suite wurde fertig gepackt.";
// stdout took the results no more: the system's reason.
std::string OutputLostText(const std::string& reason);
// A suite's "status" in --json.
// (a built or existing one's is the core's kBuiltText or kExistingText).
inline constexpr std::string_view kSkippedStatusText = "übersprungen";
inline constexpr std::string_view kFailedStatusText = "fehlgeschlagen";
// kestrane starts nothing: what it says of a start asked for all the same.
std::string NotStartedHereText(const std::string& notStarted);
// "37 von 240 in Ordnung, 2 übersprungen, 1 fehlgeschlagen".
std::string CheckCountsText(std::size_t fine, std::size_t found, std::size_t skipped, std::size_t failed);

// What a name leads to when it is not a file, as the system's description;
// only kestrane's own port meets one.
inline constexpr std::string_view kFifoText = "keine Datei, sondern eine benannte Pipe (FIFO)";
inline constexpr std::string_view kDeviceText = "keine Datei, sondern ein Gerät";
inline constexpr std::string_view kSocketText = "keine Datei, sondern ein Socket";
inline constexpr std::string_view kNoPlainFileText = "keine gewöhnliche Datei";

}  // namespace kestrane::cli_words
