// Reads the suite name and the icon and class fields of MIDlet-1 out of a
// loaded JAD by position: a case-insensitive search for the key, then
// character probes. The rules are deliberately not those of a line parser;
// JADs in the wild are read the way phones' users have always fed them.
// These functions only look: what the user is told is decided by the caller.
#pragma once

#include <optional>
#include <string>

#include "descriptor/DescriptorBuffer.h"

namespace kestrane {

// Printable ASCII without the space.
constexpr bool IsPrintable(int code) { return code >= 33 && code <= 126; }

// The first printable word after the MIDlet-Name key; empty without the key.
std::string GetMidletName(const DescriptorBuffer& buffer);

// The icon field of MIDlet-1 (between its first and second comma, trimmed),
// empty when the key has fewer than two commas after it; nothing when the
// descriptor has no MIDlet-1 key at all.
std::optional<std::string> GetMidletIcon(const DescriptorBuffer& buffer);

// The printable word after the second comma of MIDlet-1, past spaces and
// commas; empty with fewer than two commas; nothing without MIDlet-1.
std::optional<std::string> GetMidletClass(const DescriptorBuffer& buffer);

}  // namespace kestrane
