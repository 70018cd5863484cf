#include "cli/CliWords.h"

namespace kestrane::cli_words {

namespace {

std::string Quoted(std::string_view text) { return "„" + std::string(text) + "“"; }

}  // namespace

// Made from the manual page's source, kestrane.1.scd, at build time.
std::string_view HelpText() {
    return
#include "KestraneHelp.inc"
        ;
}

std::string NotWithModeText(std::string_view option, std::string_view mode) {
    return "kestrane: " + Quoted(option) + " gilt nicht zusammen mit " + Quoted(mode) + ".";
}

std::string OneJadTooManyText(std::string_view extra) {
    return "kestrane: „--ini“ nimmt genau eine JAD-Datei; " + Quoted(extra) + " ist eine zu viel.";
}

std::string ModesExcludeText(std::string_view mode, std::string_view other) {
    return "kestrane: " + Quoted(mode) + " und " + Quoted(other) + " schließen einander aus.";
}

std::string UnknownOptionText(std::string_view option) {
    return "kestrane: Unbekannte Option " + Quoted(option) + ". Hilfe: kestrane --help";
}

std::string TargetNoFolderText(const std::string& target) {
    return "kestrane: Das Ziel " + Quoted(target) + " ist kein Ordner.";
}

std::string NeitherJarNorJadText(const std::string& input) {
    return "kestrane: " + Quoted(input) + " ist weder eine JAR- noch eine JAD-Datei.";
}

std::string NeitherFileNorFolderText(const std::string& input) {
    return "kestrane: " + Quoted(input) + " ist weder eine Datei noch ein Ordner.";
}

std::string MissingText(const std::string& input) { return "kestrane: " + Quoted(input) + " gibt es nicht."; }

std::string NoJarText(const std::string& input) { return "kestrane: " + Quoted(input) + " ist keine JAR-Datei."; }

std::string JadMissingText(const std::string& jad) {
    return "kestrane: Die JAD-Datei " + Quoted(jad) + " gibt es nicht.";
}

std::string SaidText(const std::string& message) { return "kestrane: " + message; }

std::string ProgressText(std::size_t suite, std::size_t suites) {
    return "Suite " + std::to_string(suite) + " von " + std::to_string(suites) + " …";
}

std::string OwnPackageNameText(const std::string& name, const std::string& taken) {
    return "Paket " + Quoted(name) + ", da " + Quoted(taken) + " einer anderen Suite gehört.";
}

std::string OutputLostText(const std::string& reason) {
    return "kestrane: Die Ergebnisse konnten nicht ausgegeben werden: " + reason + ".";
}

std::string CheckCountsText(std::size_t fine, std::size_t found, std::size_t skipped, std::size_t failed) {
    return std::to_string(fine) + " von " + std::to_string(found) + " in Ordnung, " + std::to_string(skipped) +
           " übersprungen, " + std::to_string(failed) + " fehlgeschlagen";
}

std::string NotStartedHereText(const std::string& notStarted) {
    return notStarted.substr(0, notStarted.size() - 1) +
           ": kestrane packt die STJ-Datei selbst und startet kein rar.exe.";
}

}  // namespace kestrane::cli_words
