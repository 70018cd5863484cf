#include "package/Words.h"

#include <algorithm>

#include "descriptor/Text.h"
#include "package/SuiteCheck.h"

namespace kestrane {

namespace {

constexpr std::size_t kMaxQuotedCharacters = 60;  // cut between two characters, never inside one

constexpr std::string_view kKeptAsItIs = ", die JAD-Datei selbst bleibt unverändert.";

}  // namespace

std::string StjIsInputText(std::string_view input) {
    return Concatenated(
        {"Die STJ-Datei ist zugleich die ", input, "-Datei. Bitte wählen Sie für die STJ-Datei einen anderen Namen."});
}

std::string NoArchiverText(std::string_view rarFolder) {
    return Concatenated(
        {"Im Ordner „", rarFolder, "“ gibt es keine rar.exe. Bitte wählen Sie rar.exe mit „Suchen...“ aus."});
}

std::string UnsafePathText(const std::string& path) {
    return Concatenated({"Der Pfad „", path,
                         "“ enthält Zeichen, die die Eingabeaufforderung nicht darstellen kann, "
                         "und hat keinen kurzen Namen. Bitte wählen Sie einen Pfad ohne diese Zeichen."});
}

std::string ReadBackText(const std::string& path, const std::string& problem) {
    return Concatenated(
        {"Die STJ-Datei „", path, "“ stimmt beim Nachlesen nicht mit den Dateien überein (", problem, ")."});
}

std::string ErrorNumberText(std::uint32_t number, std::string_view description) {
    return Concatenated({"Fehler ", DecimalText(number), description.empty() ? "" : ": ", description});
}

std::string QuotedValueText(std::string_view value) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if ((static_cast<unsigned char>(value[i]) & 0xC0) == 0x80) continue;
        if (++characters > kMaxQuotedCharacters) return Concatenated({"„", value.substr(0, i), "…“"});
    }
    return Concatenated({"„", value, "“"});
}

std::string JarFaultText(JarFault fault, std::uint16_t method) {
    switch (fault) {
    case JarFault::None: return {};
    case JarFault::NotZip: return "Die JAR-Datei ist kein ZIP-Archiv.";
    case JarFault::Damaged: return "Die JAR-Datei ist unvollständig oder beschädigt.";
    case JarFault::Zip64: return "Die JAR-Datei ist ein ZIP64-Archiv; dieses Format wird nicht unterstützt.";
    case JarFault::MultiPart:
        return "Die JAR-Datei ist Teil eines mehrteiligen ZIP-Archivs; das wird nicht unterstützt.";
    case JarFault::DirectoryTooLarge: return "Das Inhaltsverzeichnis der JAR-Datei ist zu groß (über 16 MiB).";
    case JarFault::ManifestEncrypted: return "Das Manifest der JAR-Datei ist verschlüsselt.";
    case JarFault::ManifestTooLarge: return "Das Manifest der JAR-Datei ist größer als 1 MiB.";
    case JarFault::ManifestDamaged:
        return "Das Manifest der JAR-Datei ist beschädigt: Größe oder Prüfsumme stimmen nicht.";
    case JarFault::ManifestMethod:
        return Concatenated({"Das Manifest der JAR-Datei ist mit einem nicht unterstützten Verfahren gepackt (Methode ",
                             DecimalText(method), ")."});
    }
    return {};
}

std::string JadFaultText(const MadeJad& made) {
    switch (made.problem) {
    case JadFault::None: return {};
    case JadFault::JarUnreadable: return JarFaultText(made.jarFault, made.method);
    case JadFault::NoManifest: return std::string(kNoManifestText);
    case JadFault::NoMidlet:
        return "Das Manifest der JAR-Datei nennt kein MIDlet (MIDlet-1 fehlt); daraus lässt sich keine JAD-Datei "
               "erstellen.";
    }
    return {};
}

std::string JarSizeMissingText(std::uint64_t jarSize) {
    return Concatenated({"In der JAD-Datei fehlt MIDlet-Jar-Size; die JAR-Datei ist ", DecimalText(jarSize),
                         " Bytes groß. Im Paket wird der Wert ergänzt", kKeptAsItIs});
}

std::string JarSizeDiffersText(std::string_view jadValue, std::uint64_t jarSize) {
    return Concatenated({"MIDlet-Jar-Size ist in der JAD-Datei ", QuotedValueText(jadValue),
                         ", die JAR-Datei ist aber ", DecimalText(jarSize),
                         " Bytes groß. Im Paket wird der Wert berichtigt", kKeptAsItIs});
}

std::string AttributeDiffersText(std::string_view key, std::string_view jad, std::string_view manifest) {
    return Concatenated({key, " ist in der JAD-Datei ", QuotedValueText(jad), ", im Manifest der JAR-Datei aber ",
                         QuotedValueText(manifest), "."});
}

std::string ClassMissingText(std::string_view cls, std::string_view entry, bool ini) {
    return Concatenated({"Die Klasse ", QuotedValueText(cls), ini ? " aus der INI-Datei" : " aus MIDlet-1",
                         " fehlt in der JAR-Datei (", QuotedValueText(entry), ")."});
}

std::string IconMissingText(std::string_view icon) {
    return Concatenated({"Das Symbol ", QuotedValueText(icon), " aus MIDlet-1 fehlt in der JAR-Datei."});
}

std::string IniSuiteDiffersText(std::string_view iniSuite, std::string_view jadName) {
    return Concatenated({"suite ist in der INI-Datei ", QuotedValueText(iniSuite),
                         ", MIDlet-Name in der JAD-Datei aber ", QuotedValueText(jadName), "."});
}

std::string MidletFromManifestText(std::string_view midlet) {
    return Concatenated(
        {"In der JAD-Datei fehlt MIDlet-1; für die INI-Datei wurde MIDlet-1 aus dem Manifest der JAR-Datei "
         "genommen (",
         QuotedValueText(midlet), ")."});
}

namespace {

// "a, b, c und 4 weitere", "a und b", "a".
std::string Examples(const std::vector<std::string>& examples) {
    constexpr std::size_t kShown = 3;
    const std::size_t shown = std::min(examples.size(), kShown);
    std::string text;
    for (std::size_t i = 0; i < shown; ++i) {
        const bool last = i + 1 == shown && examples.size() <= kShown;
        text += i == 0 ? "" : last ? " und " : ", ";
        text += examples[i];
    }
    if (examples.size() > kShown) text += Concatenated({" und ", DecimalText(examples.size() - kShown), " weitere"});
    return text;
}

// ": a, b und c" where there are examples.
std::string ExampleList(const NeedGroup& group) {
    std::vector<std::string> examples = group.examples;
    if (group.floatingPoint) examples.insert(examples.begin(), "Gleitkommazahlen (float, double)");
    return examples.empty() ? std::string() : Concatenated({": ", Examples(examples)});
}

std::string Declared(std::string_view declared) {
    return declared.empty() ? std::string() : Concatenated({" (angegeben: ", declared, ")"});
}

// The need in one sentence, without its full stop.
std::string RequiredNeedText(const NeedGroup& group, std::string_view declared) {
    switch (group.kind) {
    case NeedKind::DamagedClass:
        return Concatenated({"Klassen der JAR-Datei sind beschädigt oder verschlüsselt; das Telefon lädt sie nicht",
                             ExampleList(group)});
    case NeedKind::ClassVersion:
        return Concatenated({"Die Klassen haben die Version ", Examples(group.examples),
                             "; das Telefon lädt nur Klassen der Versionen 45 bis 48 (bis Java 1.4)"});
    case NeedKind::NotPreverified:
        return Concatenated({"Die Klassen sind nicht vorverifiziert (", DecimalText(group.count), " von ",
                             DecimalText(group.total), "); das Telefon lädt sie nicht"});
    case NeedKind::Jsr:
        return Concatenated(
            {"Klassen enthalten die Befehle jsr oder ret, die das Telefon nicht lädt", ExampleList(group)});
    case NeedKind::Cldc11:
        return Concatenated(
            {"Die Suite braucht CLDC 1.1", Declared(declared), ", das Telefon hat CLDC 1.0", ExampleList(group)});
    case NeedKind::Midp20:
        return Concatenated(
            {"Die Suite braucht MIDP 2.0", Declared(declared), ", das Telefon hat MIDP 1.0", ExampleList(group)});
    case NeedKind::OptionalPackage:
        return Concatenated({"Die Suite braucht ", group.provider, ", das das Telefon nicht hat", ExampleList(group)});
    case NeedKind::Vendor:
        return Concatenated(
            {"Die Suite braucht Klassen von ", group.provider, ", die das Telefon nicht hat", ExampleList(group)});
    case NeedKind::JavaSe:
        return Concatenated({"Die Suite braucht Klassen von Java SE, die kein Telefon hat", ExampleList(group)});
    case NeedKind::Missing: return Concatenated({"Der JAR-Datei fehlen Klassen, die sie braucht", ExampleList(group)});
    }
    return {};
}

}  // namespace

std::string NeedText(const NeedGroup& group, std::string_view declared) {
    return RequiredNeedText(group, declared) +
           (group.onlyIfPresent ? " (nur falls vorhanden; die Suite läuft auch ohne)." : ".");
}

std::string ClassesUnreadText(std::size_t unread) {
    return Concatenated({"Die JAR-Datei ist zu groß, um jede Klasse zu prüfen: ", DecimalText(unread),
                         unread == 1 ? " Klasse" : " Klassen", " nicht gelesen."});
}

std::string NeedLabelText(const NeedGroup& group) {
    switch (group.kind) {
    case NeedKind::DamagedClass: return "beschädigte Klassen";
    case NeedKind::ClassVersion: return "Klassenversion";
    case NeedKind::NotPreverified: return "nicht vorverifiziert";
    case NeedKind::Jsr: return "jsr/ret";
    case NeedKind::Cldc11: return "CLDC 1.1";
    case NeedKind::Midp20: return "MIDP 2.0";
    case NeedKind::OptionalPackage:
    case NeedKind::Vendor: return group.provider;
    case NeedKind::JavaSe: return "Java SE";
    case NeedKind::Missing: return "fehlende Klassen";
    }
    return {};
}

std::string RunCountText(std::size_t runs, std::size_t found) {
    return Concatenated(
        {DecimalText(runs), " von ", DecimalText(found), runs == 1 ? " läuft" : " laufen", " auf dem Telefon"});
}

std::string FindingsQuestion(const std::vector<Finding>& findings) {
    std::string text = "Vor dem Erstellen ist aufgefallen:\n";
    for (const Finding& finding : findings) text.append("\n• ").append(finding.text);
    text += "\n\nTrotzdem erstellen?";
    return text;
}

std::string TargetNotWritableText(std::string_view folder) {
    return Concatenated(
        {"In den Zielordner „", folder, "“ kann nicht geschrieben werden. Es wurde keine Suite umgewandelt."});
}

std::string ArchiverFailureText(std::optional<std::uint32_t> exitCode, std::int64_t limitSeconds) {
    if (!exitCode)  // a limit of time is never negative
        return Concatenated(
            {"rar.exe war nach ", DecimalText(static_cast<std::uint64_t>(limitSeconds)), " Sekunden nicht fertig."});
    if (*exitCode != 0) return Concatenated({"rar.exe endete mit dem Fehlercode ", DecimalText(*exitCode), "."});
    return "rar.exe endete ohne Fehler, hat die STJ-Datei aber nicht geschrieben.";
}

std::string CountsText(std::size_t built, std::size_t found, std::size_t existing, std::size_t skipped,
                       std::size_t failed) {
    return Concatenated({DecimalText(built), " von ", DecimalText(found), " erstellt, ", DecimalText(existing),
                         " vorhanden, ", DecimalText(skipped), " übersprungen, ", DecimalText(failed),
                         " fehlgeschlagen"});
}

std::string JadTooLargeText(std::uint64_t size, std::uint64_t limit) {
    return Concatenated({"Die JAD-Datei ist ", DecimalText(size / 1024), " KiB groß; keine JAD-Datei ist größer als ",
                         DecimalText(limit / 1024), " KiB."});
}

namespace {

// "Die Datei „a.jar“ konnte nicht gelesen werden."
std::string NotDoneText(std::string_view what, std::string_view path, std::string_view done) {
    return Concatenated({what, " „", path, "“ konnte nicht ", done, " werden."});
}

}  // namespace

std::string FileNotReadText(const std::string& path) { return NotDoneText("Die Datei", path, "gelesen"); }

std::string FileNotWrittenText(const std::string& path) { return NotDoneText("Die Datei", path, "geschrieben"); }

std::string FileNotCopiedText(const std::string& from, const std::string& to) {
    return NotDoneText("Die Datei", from, Concatenated({"nach „", to, "“ kopiert"}));
}

std::string FileNotMovedText(const std::string& from, const std::string& to) {
    return NotDoneText("Die Datei", from, Concatenated({"nach „", to, "“ verschoben"}));
}

std::string FileNotDeletedText(const std::string& path) { return NotDoneText("Die Datei", path, "gelöscht"); }

std::string FolderNotMadeText(const std::string& folder) { return NotDoneText("Der Ordner", folder, "angelegt"); }

std::string FolderNotReadText(const std::string& folder) { return NotDoneText("Der Ordner", folder, "gelesen"); }

std::string FolderNotDeletedText(const std::string& folder) { return NotDoneText("Der Ordner", folder, "gelöscht"); }

std::string WorkFolderNotMadeText(const std::string& folder) {
    return NotDoneText("Der Arbeitsordner", folder, "angelegt");
}

std::string BatchFileNotStartedText(const std::string& path) {
    return NotDoneText("Die Stapeldatei", path, "gestartet");
}

std::string ProgramNotStartedText(const std::string& path) { return NotDoneText("Das Programm", path, "gestartet"); }

}  // namespace kestrane
