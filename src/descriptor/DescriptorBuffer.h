// The descriptor buffer: the bytes of the last JAD file loaded, read in the
// ANSI code page, so that one byte is one character (code 0 to 255) and CR
// and LF are ordinary characters. Positions are zero-based, signed 32-bit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrane {

class DescriptorBuffer {
public:
    // Positions must stay representable with a margin for the scans that
    // step a few characters past a key.
    static constexpr std::int32_t kMaxLength = 0x7FFF0000;

    // Replaces the whole content. Throws std::length_error above kMaxLength.
    void Load(std::string bytes);

    std::int32_t Length() const { return static_cast<std::int32_t>(text_.size()); }

    // First occurrence of `text` at or after `start`, compared without regard
    // to the case of the ASCII letters; -1 when there is none.
    std::int32_t Find(std::string_view text, std::int32_t start = 0) const;

    // The character code (0 to 255) at `i`, or -1 when `i` lies outside the text.
    int Probe(std::int32_t i) const;

    // Up to `length` characters from `start`, clipped to the text.
    std::string Range(std::int32_t start, std::int32_t length) const;

private:
    std::string text_;
};

}  // namespace kestrane
