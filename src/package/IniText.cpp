#include "package/IniText.h"

#include "descriptor/Attributes.h"
#include "descriptor/DescriptorFields.h"
#include "descriptor/Text.h"
#include "package/SuiteFiles.h"
#include "package/Words.h"

namespace kestrane {

std::string FormatIniText(std::string_view suite, std::string_view midlet, std::string_view icon,
                          std::string_view cls) {
    return Concatenated({"suite=", suite, "\r\n", "num=1\r\n", "domain=midp1\r\n", "midlet=", midlet, "\r\n",
                         "icon=", icon, "\r\n", "class=", cls});
}

IniOutcome IniFromJad(std::string bytes, SystemPort& system, std::optional<std::string_view> manifestMidlet) {
    // The descriptor reads one byte as one character; in UTF-16 every other
    // byte is a NUL and no key would be found.
    bool inUtf8 = false;
    if (IsUtf16(ParseJad(bytes).encoding)) {
        std::string text = Utf16JadToUtf8(bytes);
        std::optional<std::string> ansi = system.ToAnsi(text);
        inUtf8 = !ansi;
        bytes = ansi ? std::move(*ansi) : std::move(text);
    }
    DescriptorBuffer descriptor;
    descriptor.Load(std::move(bytes));
    // The text is in the descriptor's own bytes, the ANSI code page.
    IniOutcome outcome;
    std::optional<std::string> icon = GetMidletIcon(descriptor);
    std::optional<std::string> cls = GetMidletClass(descriptor);
    if ((!icon || !cls) && manifestMidlet) {
        // MIDP takes the descriptor's and the manifest's attributes together.
        DescriptorBuffer borrowed;
        borrowed.Load(Concatenated({"MIDlet-1: ", *manifestMidlet}));
        icon = GetMidletIcon(borrowed).value_or("");
        cls = GetMidletClass(borrowed).value_or("");
        outcome.midletFromManifest = true;
    }
    // The icon and the class each complain about a missing MIDlet-1, so a
    // broken JAD gives two boxes before the text changes.
    if (!icon) outcome.complaints.emplace_back(std::string(kInvalidJadText));
    if (!cls) outcome.complaints.emplace_back(std::string(kInvalidJadText));
    const std::string suite = GetMidletName(descriptor);
    outcome.text = FormatIniText(suite, suite, icon.value_or(""), cls.value_or(""));
    // Characters the ANSI code page lacks stay UTF-8; the build then says
    // that the INI text cannot be stored.
    if (!inUtf8) outcome.text = system.FromAnsi(*outcome.text);
    return outcome;
}

IniOutcome GenerateIni(const std::string& jadPath, SystemPort& system) {
    if (IsBlank(jadPath)) return {{std::string(kNoJadText)}, std::nullopt};
    return IniFromJad(ReadJadFile(jadPath, system).bytes, system);
}

}  // namespace kestrane
