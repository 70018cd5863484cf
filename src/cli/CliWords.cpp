#include "cli/CliWords.h"

namespace kestrane::cli_words {

namespace {

std::string Quoted(std::string_view text) { return "„" + std::string(text) + "“"; }

}  // namespace

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

std::string NotWithMode(std::string_view option, std::string_view mode) {
    return "kestrane: " + Quoted(option) + " gilt nicht zusammen mit " + Quoted(mode) + ".";
}

std::string OneJadTooMany(std::string_view extra) {
    return "kestrane: „--ini“ nimmt genau eine JAD-Datei; " + Quoted(extra) + " ist eine zu viel.";
}

std::string ModesExclude(std::string_view mode, std::string_view other) {
    return "kestrane: " + Quoted(mode) + " und " + Quoted(other) + " schließen einander aus.";
}

std::string UnknownOption(std::string_view option) {
    return "kestrane: Unbekannte Option " + Quoted(option) + ". Hilfe: kestrane --help";
}

std::string TargetNoFolder(const std::string& target) {
    return "kestrane: Das Ziel " + Quoted(target) + " ist kein Ordner.";
}

std::string NeitherJarNorJad(const std::string& input) {
    return "kestrane: " + Quoted(input) + " ist weder eine JAR- noch eine JAD-Datei.";
}

std::string NeitherFileNorFolder(const std::string& input) {
    return "kestrane: " + Quoted(input) + " ist weder eine Datei noch ein Ordner.";
}

std::string Missing(const std::string& input) { return "kestrane: " + Quoted(input) + " gibt es nicht."; }

std::string NoJar(const std::string& input) { return "kestrane: " + Quoted(input) + " ist keine JAR-Datei."; }

std::string JadMissing(const std::string& jad) { return "kestrane: Die JAD-Datei " + Quoted(jad) + " gibt es nicht."; }

std::string Said(const std::string& message) { return "kestrane: " + message; }

std::string Progress(std::size_t suite, std::size_t suites) {
    return "Suite " + std::to_string(suite) + " von " + std::to_string(suites) + " …";
}

std::string OwnPackageName(const std::string& name, const std::string& taken) {
    return "Paket " + Quoted(name) + ", da " + Quoted(taken) + " einer anderen Suite gehört.";
}

std::string OutputLost(const std::string& reason) {
    return "kestrane: Die Ergebnisse konnten nicht ausgegeben werden: " + reason + ".";
}

std::string CheckCounts(std::size_t fine, std::size_t found, std::size_t skipped, std::size_t failed) {
    return std::to_string(fine) + " von " + std::to_string(found) + " in Ordnung, " + std::to_string(skipped) +
           " übersprungen, " + std::to_string(failed) + " fehlgeschlagen";
}

}  // namespace kestrane::cli_words
