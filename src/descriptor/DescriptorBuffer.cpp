#include "descriptor/DescriptorBuffer.h"

#include <algorithm>
#include <stdexcept>

#include "descriptor/Text.h"

namespace kestrane {

void DescriptorBuffer::Load(std::string bytes) {
    if (bytes.size() > static_cast<std::size_t>(kMaxLength)) throw std::length_error("descriptor too large");
    text_ = std::move(bytes);
}

std::int32_t DescriptorBuffer::Find(std::string_view text, std::int32_t start) const {
    if (start < 0) start = 0;
    if (start > Length()) return -1;
    const auto hit = std::search(text_.begin() + start, text_.end(), text.begin(), text.end(), SameIgnoringAsciiCase);
    if (hit == text_.end() && !text.empty()) return -1;
    return static_cast<std::int32_t>(hit - text_.begin());
}

int DescriptorBuffer::Probe(std::int32_t i) const {
    if (i < 0 || i >= Length()) return -1;
    return static_cast<unsigned char>(text_[static_cast<std::size_t>(i)]);
}

std::string DescriptorBuffer::Range(std::int32_t start, std::int32_t length) const {
    const std::int64_t first = std::max<std::int64_t>(start, 0);
    const std::int64_t last = std::min<std::int64_t>(std::int64_t{start} + length, Length());
    if (last <= first) return {};
    return text_.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first));
}

}  // namespace kestrane
