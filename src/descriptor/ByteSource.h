// Random access to the bytes of a file: what the JAR reader reads a suite
// through, and what the system port opens a file as.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kestrane {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() = 0;
    // Exactly `length` bytes from `offset`; throws when they cannot be read.
    // The JAR reader asks only for bytes inside [0, Size()).
    virtual std::string Read(std::uint64_t offset, std::size_t length) = 0;
};

// Bytes already in memory, read through the same interface; they must
// outlive it.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t Size() override { return bytes_.size(); }
    // Throws std::out_of_range for bytes outside the view.
    std::string Read(std::uint64_t offset, std::size_t length) override {
        if (offset > bytes_.size() || length > bytes_.size() - offset)
            throw std::out_of_range("read outside the bytes in memory");
        return std::string(bytes_.substr(static_cast<std::size_t>(offset), length));
    }

private:
    std::string_view bytes_;
};

// Where a writer puts its bytes one after another, going back only to fill
// in what it could not know before (a header's check sum over the data that
// follows it). Both throw when the bytes cannot be written.
class ByteSink {
public:
    virtual void Write(std::string_view bytes) = 0;
    // Over bytes written before: `offset` + the size is at most what is there.
    virtual void WriteAt(std::uint64_t offset, std::string_view bytes) = 0;

protected:
    ~ByteSink() = default;
};

}  // namespace kestrane
