#include "support/RarInMemory.h"

namespace kestrane {

namespace {

class StringSink final : public ByteSink {
public:
    void Write(std::string_view bytes) override { bytes_ += bytes; }
    void WriteAt(std::uint64_t offset, std::string_view bytes) override {
        bytes_.replace(static_cast<std::size_t>(offset), bytes.size(), bytes);
    }
    std::string Take() { return std::move(bytes_); }

private:
    std::string bytes_;
};

}  // namespace

std::string WriteRarArchive(const std::vector<RarMember>& members) {
    StringSink archive;
    RarWriter writer(archive);
    for (const RarMember& member : members) {
        MemorySource data(member.data);
        writer.Add(member.name, data, member.dosTime, member.attributes);
    }
    writer.End();
    return archive.Take();
}

std::optional<std::vector<RarMember>> ReadRarArchive(std::string_view archive, std::string* problem) {
    MemorySource source(archive);
    const std::optional<std::vector<RarEntry>> entries = ReadRarEntries(source, problem);
    if (!entries) return std::nullopt;
    std::vector<RarMember> members;
    members.reserve(entries->size());
    for (const RarEntry& entry : *entries)
        members.push_back({entry.name,
                           std::string(archive.substr(static_cast<std::size_t>(entry.dataOffset),
                                                      static_cast<std::size_t>(entry.size))),
                           entry.dosTime, entry.attributes});
    return members;
}

CalendarTime FromDosDateTime(std::uint32_t dos) {
    CalendarTime t;
    t.year = static_cast<int>(dos >> 25) + 1980;
    t.month = static_cast<int>((dos >> 21) & 0x0F);
    t.day = static_cast<int>((dos >> 16) & 0x1F);
    t.hour = static_cast<int>((dos >> 11) & 0x1F);
    t.minute = static_cast<int>((dos >> 5) & 0x3F);
    t.second = static_cast<int>(dos & 0x1F) * 2;
    return t;
}

}  // namespace kestrane
