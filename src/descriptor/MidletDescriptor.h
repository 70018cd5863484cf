// Reads the suite name and the icon and class fields of MIDlet-1 out of a
// loaded JAD by position: a case-insensitive search for the key, then
// character probes. The rules are deliberately not those of a line parser;
// JADs in the wild are read the way phones users have always fed them.
#pragma once

#include <cstdint>
#include <string>

#include "descriptor/DescriptorBuffer.h"
#include "descriptor/UserMessages.h"

namespace kestrane {

inline constexpr std::string_view kInvalidJadMessage = "Keine gültige JAD-Datei!";

// Printable ASCII without the space.
constexpr bool IsPrintable(int code) { return code >= 33 && code <= 126; }

// Removes leading and trailing spaces (code 32) only.
std::string TrimSpaces(std::string_view text);

class MidletDescriptor {
public:
    explicit MidletDescriptor(UserMessages& messages) : messages_(messages) {}

    DescriptorBuffer& Buffer() { return buffer_; }
    const DescriptorBuffer& Buffer() const { return buffer_; }

    // Position of the second comma after the MIDlet-1 key, as last found.
    std::int32_t lngCommaPos = 0;

    std::string GetMidletName() const;
    std::string GetMidletIcon();   // shows kInvalidJadMessage when there is no MIDlet-1
    std::string GetMidletClass();  // the same, through its call of GetMidletIcon

private:
    // Finds MIDlet-1 and its two commas; on success sets lngCommaPos and, if
    // asked, the icon field. False (and lngCommaPos untouched) otherwise.
    bool LocateMidlet1(std::string* icon);

    std::int32_t SkipWhile(std::int32_t i, bool (*skip)(int)) const;

    DescriptorBuffer buffer_;
    UserMessages& messages_;
};

}  // namespace kestrane
