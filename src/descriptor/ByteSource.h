// Random access to the bytes of a file: what the JAR reader reads a suite
// through, and what the system port opens a file as.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrane {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() = 0;
    // Exactly `length` bytes from `offset`; throws when they cannot be read.
    // The JAR reader asks only for bytes inside [0, Size()).
    virtual std::string Read(std::uint64_t offset, std::size_t length) = 0;
};

}  // namespace kestrane
