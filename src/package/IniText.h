// "Erstelle INI": turns the JAD named in the window into the six-line INI
// text that the phone reads from "stjava.ini".
#pragma once

#include <string>
#include <string_view>

#include "descriptor/MidletDescriptor.h"

namespace kestrane {

// What txtINI holds before the first generation: the six keys, every line ended.
inline constexpr std::string_view kIniTemplate =
    "suite=\r\nnum=1\r\ndomain=midp1\r\nmidlet=\r\nicon=\r\nclass=\r\n";

inline constexpr std::string_view kNoJadMessage = "Keine JAD-Datei angegeben!";

// Six lines joined by CR LF, none after the last. Values go in unchanged.
std::string FormatIniText(std::string_view suite, std::string_view midlet, std::string_view icon,
                          std::string_view cls);

// Reads a whole file; throws AppError when it cannot.
class FileReader {
public:
    virtual std::string ReadWholeFile(const std::string& path) = 0;  // path in UTF-8

protected:
    ~FileReader() = default;
};

// What INI generation needs of the main window.
class IniWindow : public virtual UserMessages {
public:
    virtual std::string JadPath() = 0;                          // txtJAD, UTF-8, untrimmed
    virtual void SetIniText(const std::string& ansiText) = 0;   // ANSI code page, like the JAD

protected:
    ~IniWindow() = default;
};

// The steps of the "Erstelle INI" button. A JAD that cannot be read raises
// AppError before anything changes: txtINI and the buffer keep their content.
void GenerateIni(IniWindow& window, MidletDescriptor& descriptor, FileReader& files);

}  // namespace kestrane
