// Every sentence of the windows and of the Win32 port that a user reads, in
// one place (the core's and the ports' are in package/Words.h; the controls' captions stand
// in each window's table, where they are laid out).
#pragma once

#include <string>
#include <string_view>

namespace kestrane::ui_words {

// The main window.
inline constexpr std::string_view kPackItselfQuestion =
    "Soll Kestrane die Suite selbst packen, im RAR-4-Format, das das Telefon lesen kann?";
inline constexpr std::string_view kFilesNotTaken =
    "Diese Dateien wurden nicht übernommen, weil Kestrane mit ihrer Art nichts anfangen kann:";
inline constexpr std::string_view kBuildNotStarted = "Das Erstellen konnte nicht gestartet werden.";
inline constexpr std::string_view kNoJadWritten = "Es wurde keine JAD-Datei geschrieben.";
inline constexpr std::string_view kSettingNotRead = "Die Einstellung (Pfad von rar.exe) konnte nicht gelesen werden.";
inline constexpr std::string_view kSettingNotSaved =
    "Die Einstellung (Pfad von rar.exe) konnte nicht gespeichert werden.";

// The folder window.
inline constexpr std::wstring_view kSourcePickerTitle = L"Quellordner mit den JAR-Dateien:";
inline constexpr std::wstring_view kTargetPickerTitle = L"Zielordner für die STJ-Dateien:";
inline constexpr std::string_view kSearching = "Suche nach JAR-Dateien...";
inline constexpr std::string_view kClosingAfterSuite = "Wird nach der laufenden Suite beendet...";
inline constexpr std::string_view kCancellingAfterSuite = " – wird nach der laufenden Suite abgebrochen...";
inline constexpr std::string_view kCancelled = " – abgebrochen";
inline constexpr std::string_view kConversionNotStarted = "Die Umwandlung konnte nicht gestartet werden.";

// A failure nobody foresaw, with what the C++ library says of it, if anything.
std::string UnexpectedFailure(std::string_view what);

}  // namespace kestrane::ui_words
