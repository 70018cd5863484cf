// "Erstelle INI": turns the JAD named in the window into the six-line INI
// text that the phone reads from "stjava.ini".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "package/SystemPort.h"

namespace kestrane {

// What txtINI holds before the first generation: the six keys, every line ended.
inline constexpr std::string_view kIniTemplate = "suite=\r\nnum=1\r\ndomain=midp1\r\nmidlet=\r\nicon=\r\nclass=\r\n";

// Six lines joined by CR LF, none after the last. Values go in unchanged.
std::string FormatIniText(std::string_view suite, std::string_view midlet, std::string_view icon, std::string_view cls);

// What the button leads to: the error boxes to show, in order, and then the
// new INI text, if there is one.
struct IniOutcome {
    std::vector<std::string> complaints;
    std::optional<std::string> text;  // UTF-8
    bool midletFromManifest = false;  // MIDlet-1 was the manifest's
};

// The INI text of a JAD's bytes (UTF-8, ANSI or UTF-16): a descriptor
// without MIDlet-1 complains once for the icon and once for the class, and
// still gives a text; given the manifest's MIDlet-1, it takes that one
// instead and complains of nothing.
IniOutcome IniFromJad(std::string jadBytes, SystemPort& system,
                      std::optional<std::string_view> manifestMidlet = std::nullopt);

// The steps of the "Erstelle INI" button: the JAD path as typed, read once.
// A JAD that cannot be read raises AppError before anything changes.
IniOutcome GenerateIni(const std::string& jadPath, SystemPort& system);

}  // namespace kestrane
