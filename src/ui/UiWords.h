// Every sentence of the windows and of the Win32 port that a user reads, in
// one place (the core's and the ports' are in package/Words.h; the controls' captions stand
// in each window's table, where they are laid out).
#pragma once

#include <string>
#include <string_view>

#include "descriptor/Text.h"

namespace kestrane::ui_words {

// The main window.
// After the core's word that rar.exe wrote RAR5: that file is not kept.
inline constexpr std::string_view kRar5DiscardedText =
    "Kestrane hat sie verworfen; eine ältere STJ-Datei gleichen Namens bleibt unverändert.";
inline constexpr std::string_view kPackItselfQuestionText =
    "Soll Kestrane die Suite selbst packen, im RAR-4-Format, das das Telefon lesen kann?";
inline constexpr std::string_view kFilesNotTakenText =
    "Diese Dateien wurden nicht übernommen, weil Kestrane mit ihrer Art nichts anfangen kann:";
inline constexpr std::string_view kBuildNotStartedText = "Das Erstellen konnte nicht gestartet werden.";
inline constexpr std::string_view kNoJadWrittenText = "Es wurde keine JAD-Datei geschrieben.";
inline constexpr std::string_view kSettingNotReadText =
    "Die Einstellung (Pfad von rar.exe) konnte nicht gelesen werden.";
inline constexpr std::string_view kSettingNotSavedText =
    "Die Einstellung (Pfad von rar.exe) konnte nicht gespeichert werden.";

// The folder window; its start button says the one while idle, the other while a run goes.
inline constexpr std::wstring_view kStartText = L"Start";
inline constexpr std::wstring_view kCancelText = L"Abbrechen";
inline constexpr std::wstring_view kSourcePickerTitleText = L"Quellordner mit den JAR-Dateien:";
inline constexpr std::wstring_view kTargetPickerTitleText = L"Zielordner für die STJ-Dateien:";
inline constexpr std::string_view kSearchingText = "Suche nach JAR-Dateien...";
inline constexpr std::string_view kClosingAfterSuiteText = "Wird nach der laufenden Suite beendet...";
inline constexpr std::string_view kCancellingAfterSuiteText = " – wird nach der laufenden Suite abgebrochen...";
inline constexpr std::string_view kCancelledText = " – abgebrochen";
inline constexpr std::string_view kConversionNotStartedText = "Die Umwandlung konnte nicht gestartet werden.";

// A failure nobody foresaw, with what the C++ library says of it, if anything.
inline std::string UnexpectedFailureText(std::string_view what) {
    return what.empty() ? "Unerwarteter Fehler." : Concatenated({"Unerwarteter Fehler: ", what});
}

}  // namespace kestrane::ui_words
