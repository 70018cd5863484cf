// The program's small text helpers, each written once: case folding of the
// ASCII letters (names of attributes, entries and files), trimming, and what
// counts as an empty field.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace kestrane {

// 'A' to 'Z' become 'a' to 'z'; every other byte stays as it is.
constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr bool SameIgnoringAsciiCase(char a, char b) { return AsciiLower(a) == AsciiLower(b); }
std::string AsciiLowered(std::string_view text);

// Names of attributes and ZIP entries are ASCII in practice; the other bytes
// compare as they are.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
// Alphabetical without regard to ASCII case; bytes beyond ASCII (the letters
// of UTF-8) after it, as Explorer lists names.
bool LessIgnoringAsciiCase(std::string_view a, std::string_view b);

// The text without its leading and trailing `blanks`; a text of blanks
// only leaves the empty view at its end.
std::string_view Trimmed(std::string_view text, std::string_view blanks);
// Removes leading and trailing spaces (code 32) only: tabs and line ends
// stay. The fields of the window are trimmed so.
inline std::string TrimSpaces(std::string_view text) { return std::string(Trimmed(text, " ")); }

// The text on one line, for a list or a console: each run of line ends
// becomes one space (the system's reports come in paragraphs, and a file
// name may hold a line end); none is left at the end.
std::string OneLine(std::string_view text);

// The pieces one after the other, in one allocation: the messages are put
// together so, each call far smaller than a chain of operator+.
std::string Concatenated(std::initializer_list<std::string_view> pieces);

// The number in decimal digits, as std::to_string writes it: one function
// for every unsigned number, so that the program holds one copy of the code.
std::string DecimalText(std::uint64_t number);

// A field counts as empty when nothing but spaces is in it.
inline bool IsBlank(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

}  // namespace kestrane
