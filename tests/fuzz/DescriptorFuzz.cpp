// Feeds arbitrary bytes through the three extraction routines. The scans
// must never read outside the buffer (ASan and UBSan watch for it), and what
// comes out must still be what the INI file can take from a JAD.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "descriptor/MidletDescriptor.h"

namespace {

class CountingMessages : public kestrane::UserMessages {
public:
    void ShowMessage(std::string_view, kestrane::MessageIcon) override { ++shown; }
    int shown = 0;
};

void Require(bool condition) {
    if (!condition) std::abort();
}

bool AllPrintable(std::string_view text) {
    for (const char c : text)
        if (!kestrane::IsPrintable(static_cast<unsigned char>(c))) return false;
    return true;
}

bool Trimmed(std::string_view text) { return text.empty() || (text.front() != ' ' && text.back() != ' '); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    CountingMessages messages;
    kestrane::MidletDescriptor descriptor(messages);
    constexpr std::int32_t kUntouched = -12345;
    descriptor.lngCommaPos = kUntouched;
    descriptor.Buffer().Load(input);

    const std::string name = descriptor.GetMidletName();
    const std::string icon = descriptor.GetMidletIcon();
    const std::int32_t commaAfterIcon = descriptor.lngCommaPos;
    const std::string cls = descriptor.GetMidletClass();

    // Every value is a piece of the input, with no spaces at either end.
    for (const std::string* value : {&name, &icon, &cls}) {
        Require(input.find(*value) != std::string::npos);
        Require(Trimmed(*value));
    }
    // Name and class are one printable word each; the icon may hold anything
    // but a comma.
    Require(AllPrintable(name) && AllPrintable(cls));
    Require(icon.find(',') == std::string::npos);

    const std::int32_t key = descriptor.Buffer().Find("midlet-1");
    if (key < 0) {
        // Each of the two MIDlet-1 routines complains once and leaves the position alone.
        Require(messages.shown == 2);
        Require(descriptor.lngCommaPos == kUntouched);
        Require(icon.empty() && cls.empty());
    } else {
        Require(messages.shown == 0);
        Require(descriptor.lngCommaPos == commaAfterIcon);
        if (!icon.empty() || !cls.empty()) {
            // Found through the second comma after the key.
            const std::int32_t pos = descriptor.lngCommaPos;
            Require(pos > key && pos < static_cast<std::int32_t>(size) && input[static_cast<std::size_t>(pos)] == ',');
            Require(input.find(',', static_cast<std::size_t>(key)) < static_cast<std::size_t>(pos));
        }
    }
    // A second round over the same buffer gives the same values.
    Require(descriptor.GetMidletName() == name && descriptor.GetMidletIcon() == icon &&
            descriptor.GetMidletClass() == cls);
    return 0;
}
