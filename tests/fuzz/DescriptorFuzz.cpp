// Feeds arbitrary bytes through the three extraction routines; the scans
// must never read outside the buffer (ASan and UBSan watch for it).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "descriptor/MidletDescriptor.h"

namespace {

class CountingMessages : public kestrane::UserMessages {
public:
    void ShowMessage(std::string_view, kestrane::MessageIcon) override { ++shown; }
    int shown = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CountingMessages messages;
    kestrane::MidletDescriptor descriptor(messages);
    descriptor.Buffer().Load(std::string(reinterpret_cast<const char*>(data), size));
    const std::string name = descriptor.GetMidletName();
    const std::string icon = descriptor.GetMidletIcon();
    const std::string cls = descriptor.GetMidletClass();
    // Every value is a piece of the input and no longer than it.
    if (name.size() > size || icon.size() > size || cls.size() > size) std::abort();
    // Without MIDlet-1 each of the two MIDlet-1 routines complains once.
    const bool hasKey = descriptor.Buffer().Find("midlet-1") >= 0;
    if (messages.shown != (hasKey ? 0 : 2)) std::abort();
    return 0;
}
