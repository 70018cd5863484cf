#include "support/ClassBytes.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>

namespace kestrane::testing {

namespace {

void U16(std::string& out, std::size_t value) {
    out += static_cast<char>((value >> 8) & 0xFF);
    out += static_cast<char>(value & 0xFF);
}

void Utf8(std::string& out, std::string_view text) {
    out += '\x01';
    U16(out, text.size());
    out += text;
}

}  // namespace

std::string MinimalClass(std::string_view name, std::string_view superName, std::string_view filler) {
    std::string out("\xCA\xFE\xBA\xBE", 4);
    U16(out, 0);                       // minor version
    U16(out, 46);                      // major version
    U16(out, filler.empty() ? 5 : 6);  // constants, counted from 1
    out += '\x07';
    U16(out, 2);  // #1: this class, named by #2
    Utf8(out, name);
    out += '\x07';
    U16(out, 4);  // #3: the superclass, named by #4
    Utf8(out, superName);
    if (!filler.empty()) Utf8(out, filler);  // #5
    U16(out, 0x0021);                        // public, super
    U16(out, 1);
    U16(out, 3);
    for (int table = 0; table < 4; ++table) U16(out, 0);  // no interfaces, fields, methods, attributes
    return out;
}

std::vector<std::pair<std::string, std::string>> ClassFilesIn(const std::filesystem::path& folder) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.path().extension() != ".class") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files.emplace_back(entry.path().lexically_relative(folder).generic_string(),
                           std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace kestrane::testing
