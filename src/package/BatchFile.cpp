#include "package/BatchFile.h"

#include "descriptor/MidletDescriptor.h"

namespace kestrane {

namespace {

constexpr std::string_view kCommandStart = "rar.exe a -m0 -ep ";

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

void AppendQuoted(std::string& line, std::string_view path) {
    line.push_back('"');
    line.append(path);
    line.push_back('"');
}

std::string UnsafePathMessage(const std::string& path) {
    return "Der Pfad „" + path +
           "“ enthält Zeichen, die die Eingabeaufforderung nicht darstellen kann, "
           "und hat keinen kurzen Namen. Bitte wählen Sie einen Pfad ohne diese Zeichen.";
}

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

std::string ArchiverCommand(std::string_view stj, std::string_view jah, std::string_view utf,
                            std::string_view ini, std::string_view obj) {
    std::string line(kCommandStart);
    AppendQuoted(line, stj);
    for (std::string_view member : {jah, utf, ini}) {
        line.push_back(' ');
        AppendQuoted(line, member);
    }
    if (!TrimSpaces(obj).empty()) {
        line.push_back(' ');
        AppendQuoted(line, obj);
    }
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

std::optional<std::string> WriteBatchFile(const std::string& rarPath, const std::string& stj,
                                          const std::string& jah, const std::string& utf,
                                          const std::string& ini, const std::string& obj,
                                          BatchFiles& files, UserMessages& messages) {
    std::string safe[5];
    const std::string* const paths[5] = {&stj, &jah, &utf, &ini, &obj};
    for (int i = 0; i < 5; ++i) {
        if (paths[i]->empty()) continue;
        std::optional<std::string> carried = files.OemSafePath(*paths[i]);
        if (!carried) {
            messages.ShowMessage(UnsafePathMessage(*paths[i]), MessageIcon::Critical);
            return std::nullopt;
        }
        safe[i] = std::move(*carried);
    }
    const std::string batchPath = BatchFolder(rarPath) + std::string(kBatchFileName);
    files.WriteOemText(batchPath, EscapePercents(ArchiverCommand(safe[0], safe[1], safe[2], safe[3], safe[4])));
    return batchPath;
}

}  // namespace kestrane
