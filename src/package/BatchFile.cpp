#include "package/BatchFile.h"

#include "descriptor/Text.h"
#include "package/AppError.h"
#include "package/Words.h"

namespace kestrane {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::string ParentFolder(std::string_view path) {
    std::size_t last = path.size();
    while (last > 0 && !IsSeparator(path[last - 1])) --last;
    if (last == 0) return {};
    std::string_view parent = path.substr(0, last - 1);
    const bool root = parent.empty() || (parent.size() == 2 && parent[1] == ':');
    return std::string(root ? path.substr(0, last) : parent);
}

std::string BatchFolder(std::string_view rarPath) {
    std::string folder = ParentFolder(rarPath);
    if (folder.empty() || !IsSeparator(folder.back())) folder.push_back('\\');
    return folder;
}

std::string ArchiverCommand(std::string_view program, std::string_view stj, std::string_view jah, std::string_view utf,
                            std::string_view ini, std::string_view obj) {
    std::string line = Concatenated({program, " a -m0 -ep \"", stj, "\" \"", jah, "\" \"", utf, "\" \"", ini, "\""});
    if (!IsBlank(obj)) line += Concatenated({" \"", obj, "\""});
    return line;
}

std::string EscapePercents(std::string_view line) {
    std::string escaped;
    escaped.reserve(line.size());
    for (char c : line) {
        escaped.push_back(c);
        if (c == '%') escaped.push_back('%');
    }
    return escaped;
}

std::optional<std::string> OemSafePath(const std::string& path, SystemPort& system) {
    if (system.ToOem(path)) return path;
    if (auto shortPath = system.ShortPath(path); shortPath && system.ToOem(*shortPath)) return shortPath;
    // A file still to be made has no short name yet; its folder may.
    return OemSafeNewPath(path, system);
}

std::optional<std::string> OemSafeNewPath(const std::string& path, SystemPort& system) {
    if (system.ToOem(path)) return path;
    const std::size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return std::nullopt;
    const std::string name = path.substr(slash);
    if (auto folder = system.ShortPath(path.substr(0, slash + 1))) {
        while (!folder->empty() && IsSeparator(folder->back())) folder->pop_back();
        *folder += name;
        if (system.ToOem(*folder)) return folder;
    }
    return std::nullopt;
}

std::string WriteBatchFile(const std::string& folder, const std::string& line, SystemPort& system) {
    const std::string batchPath = folder + std::string(kBatchFileName);
    const std::optional<std::string> oem = system.ToOem(EscapePercents(line));
    // Every path in the line was checked for its OEM form beforehand.
    if (!oem) throw AppError(UnsafePathText(batchPath), 0, {});
    system.WriteWholeFile(batchPath, *oem);
    return batchPath;
}

}  // namespace kestrane
