#include "descriptor/Text.h"

#include <algorithm>

namespace kestrane {

std::string AsciiLowered(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), AsciiLower);
    return lower;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameIgnoringAsciiCase);
}

bool LessIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(AsciiLower(x)) < static_cast<unsigned char>(AsciiLower(y));
    });
}

std::string_view Trimmed(std::string_view text, std::string_view blanks) {
    text.remove_prefix(std::min(text.find_first_not_of(blanks), text.size()));
    return text.substr(0, text.find_last_not_of(blanks) + 1);  // npos + 1 is 0
}

std::string OneLine(std::string_view text) {
    std::string line;
    for (const char c : text) {
        if (c != '\r' && c != '\n')
            line += c;
        else if (!line.empty() && line.back() != ' ')
            line += ' ';
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

std::string Concatenated(std::initializer_list<std::string_view> pieces) {
    std::size_t size = 0;
    for (std::string_view piece : pieces) size += piece.size();
    std::string text;
    text.reserve(size);
    for (std::string_view piece : pieces) text += piece;
    return text;
}

std::string DecimalText(std::uint64_t number) { return std::to_string(number); }

}  // namespace kestrane
