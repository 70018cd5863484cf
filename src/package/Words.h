// Every sentence of the core that a user reads, in one place: the boxes of
// "Erstelle INI" and "Erstelle STJ", the findings of the checks, the results
// and the list of a folder conversion. The core finds things out and reports
// codes and values; the words are made here, in German, as the program speaks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "descriptor/Attributes.h"
#include "descriptor/JarArchive.h"
#include "package/ClassNeeds.h"

namespace kestrane {

// ---- "Erstelle INI" and "Erstelle STJ" ----

inline constexpr std::string_view kNoJadText = "Keine JAD-Datei angegeben!";
inline constexpr std::string_view kInvalidJadText = "Keine gültige JAD-Datei!";
inline constexpr std::string_view kNoJarOrJadText = "JAR- oder JAD-Datei nicht angegeben!";
inline constexpr std::string_view kNoStjText = "STJ-Datei nicht angegeben!";
inline constexpr std::string_view kStjBuiltText = "STJ-Datei erstellt!";
inline constexpr std::string_view kBuildFailedText = "Erstellen fehlgeschlagen!";
inline constexpr std::string_view kWrongFormatText =
    "rar.exe hat die STJ-Datei im neuen RAR5-Format geschrieben, das das Telefon nicht lesen kann.";
inline constexpr std::string_view kIniNotAnsiText =
    "Der INI-Text enthält Zeichen, die in einer ANSI-Datei nicht gespeichert werden können. "
    "Bitte ändern Sie den INI-Text.";

// The package must not overwrite one of its own inputs; `input` is "JAR",
// "JAD" or "OBJ".
std::string StjIsInputText(std::string_view input);
// No rar.exe named at all, or none in the folder the user named.
inline constexpr std::string_view kArchiverNotNamedText =
    "rar.exe ist nicht angegeben. Bitte wählen Sie rar.exe mit „Suchen...“ aus.";
std::string NoArchiverText(std::string_view rarFolder);
// A path the batch file cannot carry: characters outside the OEM code page
// and no short name.
std::string UnsafePathText(const std::string& path);
// What Kestrane wrote did not read back as the members it packed.
std::string ReadBackText(const std::string& path, const std::string& problem);
// The system's words for that, as Windows names its data error.
inline constexpr std::string_view kDataErrorText = "Datenfehler (zyklische Redundanzprüfung)";
// "Fehler 5: Zugriff verweigert" after what went wrong.
std::string ErrorNumberText(std::uint32_t number, std::string_view description);

// ---- What the checks find ----

// A value quoted in a message: in German quotes, cut after 60 characters.
std::string QuotedValueText(std::string_view value);
std::string JarFaultText(JarFault fault, std::uint16_t method);
std::string JadFaultText(const MadeJad& made);
inline constexpr std::string_view kSameFileText = "JAR-Datei und JAD-Datei sind dieselbe Datei.";
inline constexpr std::string_view kNoManifestText = "Die JAR-Datei enthält kein Manifest (META-INF/MANIFEST.MF).";
std::string JarSizeMissingText(std::uint64_t jarSize);
std::string JarSizeDiffersText(std::string_view jadValue, std::uint64_t jarSize);
std::string AttributeDiffersText(std::string_view key, std::string_view jad, std::string_view manifest);
// The class of MIDlet-1, or with `ini` the INI's, is no entry of the JAR.
std::string ClassMissingText(std::string_view cls, std::string_view entry, bool ini = false);
std::string IconMissingText(std::string_view icon);
std::string IniSuiteDiffersText(std::string_view iniSuite, std::string_view jadName);
inline constexpr std::string_view kIniClassEmptyText = "In der INI-Datei ist keine Klasse angegeben (class=).";
std::string MidletFromManifestText(std::string_view midlet);
inline constexpr std::string_view kJadIsUtf16Text =
    "Die JAD-Datei ist in UTF-16 gespeichert; im Paket wird sie als UTF-8 gespeichert (java.utf), "
    "die JAD-Datei selbst bleibt unverändert.";
// What the suite's classes need beyond the phone, one sentence a group with
// up to three examples; `declared` is what the JAD or the manifest says of
// the platform (MicroEdition-Profile and -Configuration, joined), shown
// beside what the classes need of MIDP 2.0 or CLDC 1.1; empty for nothing.
std::string NeedText(const NeedGroup& group, std::string_view declared);
// Not every class was read (see kMaxClassesCost): whether the suite runs is
// not known; `unread` class entries were left.
std::string ClassesUnreadText(std::size_t unread);
// The group in a word or two, for kestrane's JSON: "MIDP 2.0", "JSR 82 (Bluetooth)".
std::string NeedLabelText(const NeedGroup& group);
// The verdict in the folder window's list.
inline constexpr std::string_view kRunsText = "läuft";
inline constexpr std::string_view kDoesNotRunText = "läuft nicht";
// "11 von 49 laufen auf dem Telefon".
std::string RunCountText(std::size_t runs, std::size_t found);

// ---- "Ordner umwandeln", /ordner and kestrane ----

inline constexpr std::string_view kNoSourceFolderText = "Quellordner nicht angegeben!";
inline constexpr std::string_view kNoTargetFolderText = "Zielordner nicht angegeben!";
std::string TargetNotWritableText(std::string_view folder);

// A suite's result: its status word, then its reason or findings.
inline constexpr std::string_view kBuiltText = "erstellt";
inline constexpr std::string_view kExistingText = "vorhanden";
inline constexpr std::string_view kSkippedPrefixText = "übersprungen: ";
inline constexpr std::string_view kFailedPrefixText = "fehlgeschlagen: ";
inline constexpr std::string_view kFindingsSeparatorText = " – ";
// A check's result for a suite that would be built.
inline constexpr std::string_view kFineText = "in Ordnung";
inline constexpr std::string_view kDamagedPackageText = "Das vorhandene Paket war beschädigt und wurde ersetzt.";
inline constexpr std::string_view kJadMadeText = "JAD-Datei aus dem Manifest erstellt.";
// rar.exe did not finish in time (no exit code), failed, or wrote nothing.
std::string ArchiverFailureText(std::optional<std::uint32_t> exitCode, std::int64_t limitSeconds);

// "37 von 240 erstellt, 13 vorhanden, 2 übersprungen, 1 fehlgeschlagen".
std::string CountsText(std::size_t built, std::size_t found, std::size_t existing, std::size_t skipped,
                       std::size_t failed);
inline constexpr std::string_view kLogHeadingText = "Datei\tSuite\tErgebnis\tTelefon";
inline constexpr std::string_view kCancelledMarkText = " (abgebrochen)";

// ---- What a system port says the system refused, before its number and description ----

std::string FileNotReadText(const std::string& path);
std::string FileNotWrittenText(const std::string& path);
// A JAD larger than any JAD is, refused unread; the number Windows gives a
// file too large for what is asked of it.
inline constexpr std::uint32_t kFileTooLargeNumber = 223;
std::string JadTooLargeText(std::uint64_t size, std::uint64_t limit);
std::string FileNotCopiedText(const std::string& from, const std::string& to);
std::string FileNotMovedText(const std::string& from, const std::string& to);
std::string FileNotDeletedText(const std::string& path);
std::string FolderNotMadeText(const std::string& folder);
std::string FolderNotReadText(const std::string& folder);
std::string FolderNotDeletedText(const std::string& folder);
std::string WorkFolderNotMadeText(const std::string& folder);
inline constexpr std::string_view kNoTemporaryFolderText = "Der Ordner für temporäre Dateien ist nicht bekannt.";
std::string BatchFileNotStartedText(const std::string& path);
std::string ProgramNotStartedText(const std::string& path);

}  // namespace kestrane
