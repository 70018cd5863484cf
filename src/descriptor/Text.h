// Small text helpers shared by the descriptor scanner and the package build.
#pragma once

#include <string>
#include <string_view>

namespace kestrane {

// Removes leading and trailing spaces (code 32) only: tabs and line ends stay.
std::string TrimSpaces(std::string_view text);

// A field counts as empty when nothing but spaces is in it.
inline bool IsBlank(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

}  // namespace kestrane
