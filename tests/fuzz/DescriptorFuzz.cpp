// Feeds arbitrary bytes through the three extraction routines. The scans
// must never read outside the buffer (ASan and UBSan watch for it), and what
// comes out must still be what the INI file can take from a JAD.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "descriptor/DescriptorFields.h"

namespace {

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
    kestrane::DescriptorBuffer descriptor;
    descriptor.Load(input);

    const std::string name = kestrane::GetMidletName(descriptor);
    const std::optional<std::string> icon = kestrane::GetMidletIcon(descriptor);
    const std::optional<std::string> cls = kestrane::GetMidletClass(descriptor);

    // MIDlet-1 is there for both fields or for neither.
    const bool hasKey = descriptor.Find("midlet-1") >= 0;
    Require(icon.has_value() == hasKey && cls.has_value() == hasKey);

    // Every value is a piece of the input, with no spaces at either end.
    for (const std::string& value : {name, icon.value_or(""), cls.value_or("")}) {
        Require(input.find(value) != std::string::npos);
        Require(Trimmed(value));
    }
    // Name and class are one printable word each; the icon may hold anything
    // but a comma.
    Require(AllPrintable(name) && AllPrintable(cls.value_or("")));
    Require(icon.value_or("").find(',') == std::string::npos);
    // Without two commas after the key, neither field has a value.
    if (hasKey) {
        const std::size_t key = static_cast<std::size_t>(descriptor.Find("midlet-1"));
        const std::size_t first = input.find(',', key);
        const bool twoCommas = first != std::string::npos && input.find(',', first + 1) != std::string::npos;
        if (!twoCommas) Require(icon->empty() && cls->empty());
    }
    // Reading is only looking: a second round gives the same values.
    Require(kestrane::GetMidletName(descriptor) == name && kestrane::GetMidletIcon(descriptor) == icon &&
            kestrane::GetMidletClass(descriptor) == cls);
    return 0;
}
