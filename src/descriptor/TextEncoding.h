// Text as suites bring it: manifests in UTF-8, JADs in UTF-8, in the ANSI
// code page of whoever typed them, or in UTF-16 when an editor chose so.
// Everything the program compares is first brought to UTF-8 here.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrane {

// What some editors put before UTF-8, and the program before the lists it writes.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

// The whole UTF-8 character at `at`; length 0 for a byte of none.
struct Utf8Character {
    char32_t code = 0;
    std::size_t length = 0;
};
Utf8Character Utf8CharacterAt(std::string_view text, std::size_t at);

// The text with every control character and every byte of no UTF-8
// character escaped ("\n", "\t", "\x1B"): one line, and UTF-8.
std::string EscapedLine(std::string_view text);

// Windows-1252 to UTF-8. The five bytes the code page leaves undefined
// become the control characters of the same number, as Windows maps them.
std::string Windows1252ToUtf8(std::string_view bytes);

// UTF-16 code units to UTF-8; a lone surrogate becomes U+FFFD and an odd
// last byte is dropped.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);

void AppendUtf8(std::string& out, char32_t code);

// UTF-8 to Windows-1252 (the ANSI code page of Western Windows) and to code
// page 437 (the OEM one of a German or American console), for a system
// without a converter of its own; nothing when the text is not UTF-8 or a
// character has no exact form there, as Windows converts without best fit.
std::optional<std::string> Utf8ToWindows1252(std::string_view text);
std::optional<std::string> Utf8ToCp437(std::string_view text);

}  // namespace kestrane
