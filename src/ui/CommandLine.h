// What the program is started with: "/ordner QUELLE ZIEL" converts a folder
// at once and ends with the run, for scripts; "/unterordner" and
// "/ueberschreiben" do what the folder window's two check boxes do. Any
// other argument is a file for the main window's fields (that is how
// Explorer hands over files dropped on the program's icon).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "package/FolderConversion.h"

namespace kestrane {

struct StartArguments {
    std::optional<FolderJob> folderRun;  // its folders, subfolders and overwriting
    std::vector<std::wstring> files;     // in their order, for the fields
};

// `arguments` without the program's own name. The switches are recognised
// without regard to case and wherever they stand; "/ordner" takes the next
// two arguments that are no switch, and a missing folder is left empty. The
// two others count only with "/ordner".
StartArguments ParseStartArguments(const std::vector<std::wstring>& arguments);

// The program's arguments as Windows splits them (CommandLineToArgvW on
// GetCommandLineW), without its own name: quoted paths with spaces, umlauts
// and CJK characters arrive whole.
std::vector<std::wstring> ProgramArguments();

}  // namespace kestrane
