#include "descriptor/DescriptorFields.h"

#include "descriptor/Text.h"

namespace kestrane {

namespace {

constexpr std::string_view kNameKey = "midlet-name";
constexpr std::string_view kMidlet1Key = "midlet-1";

bool IsSpaceOrComma(int code) { return code == ' ' || code == ','; }

// Probe answers -1 past the end, which none of the predicates accepts, so
// every scan stops at the end of the text.
std::int32_t SkipWhile(const DescriptorBuffer& buffer, std::int32_t i, bool (*skip)(int)) {
    while (skip(buffer.Probe(i))) ++i;
    return i;
}

std::string PrintableWordAt(const DescriptorBuffer& buffer, std::int32_t start) {
    const std::int32_t end = SkipWhile(buffer, start, IsPrintable);
    return TrimSpaces(buffer.Range(start, end - start));
}

// The icon or the class field of MIDlet-1, by the two commas after the key:
// they are searched across line ends, as they always were.
std::optional<std::string> Midlet1Field(const DescriptorBuffer& buffer, bool icon) {
    const std::int32_t key = buffer.Find(kMidlet1Key, 0);
    if (key < 0) return std::nullopt;
    const std::int32_t first = buffer.Find(",", key);
    const std::int32_t second = first < 0 ? -1 : buffer.Find(",", first + 1);
    if (second < 0) return std::string();
    if (icon) return TrimSpaces(buffer.Range(first + 1, second - first - 1));
    return PrintableWordAt(buffer, SkipWhile(buffer, second, IsSpaceOrComma));
}

// Past the characters that cannot begin the name, but not past the end of
// its line: a name of letters beyond ASCII alone (a suite named in Amharic)
// is empty, not the next line's key. A line that begins with a space
// continues the value, as attributes are continued.
std::int32_t NameStartOnItsLine(const DescriptorBuffer& buffer, std::int32_t i) {
    for (;; ++i) {
        const int code = buffer.Probe(i);
        if (code == '\r' || code == '\n') {
            const std::int32_t next = code == '\r' && buffer.Probe(i + 1) == '\n' ? i + 2 : i + 1;
            if (buffer.Probe(next) != ' ') return i;
            i = next;
        } else if (code < 0 || IsPrintable(code)) {
            return i;
        }
    }
}

}  // namespace

std::string GetMidletName(const DescriptorBuffer& buffer) {
    const std::int32_t key = buffer.Find(kNameKey, 0);
    if (key < 0) return {};
    // One past the key: the character after it (the colon) is never part of the value.
    return PrintableWordAt(buffer, NameStartOnItsLine(buffer, key + static_cast<std::int32_t>(kNameKey.size()) + 1));
}

std::optional<std::string> GetMidletIcon(const DescriptorBuffer& buffer) { return Midlet1Field(buffer, true); }

std::optional<std::string> GetMidletClass(const DescriptorBuffer& buffer) { return Midlet1Field(buffer, false); }

}  // namespace kestrane
