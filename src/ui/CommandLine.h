// What the program is started with: "/ordner QUELLE ZIEL" converts a folder
// at once; any other argument is a file for the main window's fields (that
// is how Explorer hands over files dropped on the program's icon).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestrane {

struct FolderRunArguments {
    std::wstring source;
    std::wstring target;
};

struct StartArguments {
    std::optional<FolderRunArguments> folderRun;
    std::vector<std::wstring> files;  // in their order, for the fields
};

// `arguments` without the program's own name. "/ordner" is recognised
// without regard to case and takes the next two arguments; a missing
// folder is left empty.
StartArguments ParseStartArguments(const std::vector<std::wstring>& arguments);

// The program's arguments as Windows splits them (CommandLineToArgvW on
// GetCommandLineW), without its own name: quoted paths with spaces, umlauts
// and CJK characters arrive whole.
std::vector<std::wstring> ProgramArguments();

}  // namespace kestrane
