#include "descriptor/MidletDescriptor.h"

namespace kestrane {

namespace {

constexpr std::string_view kNameKey = "midlet-name";
constexpr std::string_view kMidlet1Key = "midlet-1";

bool IsNotPrintable(int code) { return code >= 0 && !IsPrintable(code); }
bool IsPrintableCode(int code) { return IsPrintable(code); }
bool IsSpaceOrComma(int code) { return code == ' ' || code == ','; }

}  // namespace

std::string TrimSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

// Probe answers -1 past the end, which none of the predicates accepts, so
// every scan stops at the end of the text.
std::int32_t MidletDescriptor::SkipWhile(std::int32_t i, bool (*skip)(int)) const {
    while (skip(buffer_.Probe(i))) ++i;
    return i;
}

std::string MidletDescriptor::GetMidletName() const {
    const std::int32_t key = buffer_.Find(kNameKey, 0);
    if (key < 0) return {};
    // One past the key: the character after it (the colon) is never part of the value.
    const std::int32_t start = SkipWhile(key + static_cast<std::int32_t>(kNameKey.size()) + 1, IsNotPrintable);
    const std::int32_t end = SkipWhile(start, IsPrintableCode);
    return TrimSpaces(buffer_.Range(start, end - start));
}

bool MidletDescriptor::LocateMidlet1(std::string* icon) {
    const std::int32_t key = buffer_.Find(kMidlet1Key, 0);
    if (key < 0) {
        messages_.ShowMessage(kInvalidJadMessage, MessageIcon::Critical);
        return false;
    }
    const std::int32_t firstComma = buffer_.Find(",", key);
    if (firstComma < 0) return false;
    const std::int32_t secondComma = buffer_.Find(",", firstComma + 1);
    if (secondComma < 0) return false;
    if (icon) *icon = TrimSpaces(buffer_.Range(firstComma + 1, secondComma - firstComma - 1));
    lngCommaPos = secondComma;
    return true;
}

std::string MidletDescriptor::GetMidletIcon() {
    std::string icon;
    LocateMidlet1(&icon);
    return icon;
}

std::string MidletDescriptor::GetMidletClass() {
    if (!LocateMidlet1(nullptr)) return {};
    const std::int32_t start = SkipWhile(lngCommaPos, IsSpaceOrComma);
    const std::int32_t end = SkipWhile(start, IsPrintableCode);
    return TrimSpaces(buffer_.Range(start, end - start));
}

}  // namespace kestrane
