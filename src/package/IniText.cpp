#include "package/IniText.h"

namespace kestrane {

std::string FormatIniText(std::string_view suite, std::string_view midlet, std::string_view icon,
                          std::string_view cls) {
    std::string text;
    text.append("suite=").append(suite).append("\r\n");
    text.append("num=1\r\n");
    text.append("domain=midp1\r\n");
    text.append("midlet=").append(midlet).append("\r\n");
    text.append("icon=").append(icon).append("\r\n");
    text.append("class=").append(cls);
    return text;
}

void GenerateIni(IniWindow& window, MidletDescriptor& descriptor, FileReader& files) {
    const std::string jadPath = window.JadPath();
    if (TrimSpaces(jadPath).empty()) {
        window.ShowMessage(kNoJadMessage, MessageIcon::Critical);
        return;
    }
    descriptor.Buffer().Load(files.ReadWholeFile(jadPath));

    // The order fixes the order of the message boxes a broken JAD gives.
    const std::string suite = descriptor.GetMidletName();
    const std::string midlet = descriptor.GetMidletName();
    const std::string icon = descriptor.GetMidletIcon();
    const std::string cls = descriptor.GetMidletClass();
    window.SetIniText(FormatIniText(suite, midlet, icon, cls));
}

}  // namespace kestrane
