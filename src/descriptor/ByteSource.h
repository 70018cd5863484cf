// Random access to the bytes of a file: what the JAR reader reads a suite
// through, and what the system port opens a file as.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kestrane {

// Little-endian numbers at `at` in bytes read, as ZIP and RAR 4 keep them.
inline std::uint16_t U16(std::string_view b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}
inline std::uint32_t U32(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(U16(b, at)) | static_cast<std::uint32_t>(U16(b, at + 2)) << 16;
}

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

// Many small reads close together served from pieces of `piece` bytes read
// ahead: one read of the file serves several. A read of a piece or more goes
// to the file as it is.
class ReadAheadSource final : public ByteSource {
public:
    ReadAheadSource(ByteSource& source, std::size_t piece) : source_(source), size_(source.Size()), piece_(piece) {}
    std::uint64_t Size() override { return size_; }
    std::string Read(std::uint64_t offset, std::size_t length) override {
        if (offset >= start_ && offset - start_ <= read_.size() && length <= read_.size() - (offset - start_))
            return read_.substr(static_cast<std::size_t>(offset - start_), length);
        // What lies past the end the source refuses as it refuses it.
        if (length >= piece_ || offset > size_ || length > size_ - offset) return source_.Read(offset, length);
        // Nothing is served from the buffer while a read into it may fail.
        start_ = kNothingRead;
        read_ = source_.Read(offset, static_cast<std::size_t>(std::min<std::uint64_t>(piece_, size_ - offset)));
        start_ = offset;
        return read_.substr(0, length);
    }

private:
    ByteSource& source_;
    std::uint64_t size_;
    std::size_t piece_;
    static constexpr std::uint64_t kNothingRead = UINT64_MAX;
    std::uint64_t start_ = kNothingRead;
    std::string read_;
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
