// Kestrane: packs a MIDlet suite into an STJ package for the phone.
#include <windows.h>

#include "ui/CommandLine.h"
#include "ui/LateBound.h"
#include "ui/frmMain.h"

#if defined(__GLIBCXX__)
#include <cstdlib>

// Every window procedure catches what its handlers throw, so nothing should
// reach std::terminate. If something does, the program ends at once instead
// of printing the exception's type to a console nobody sees; this keeps the
// C++ name demangler (about 46 KB) out of the executable.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
#endif

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    // Positions are converted with the real DPI, so the program tells Windows
    // it scales itself. Looked up at run time: older Windows lacks the call.
    if (auto setAware = kestrane::LateBound<BOOL WINAPI()>(L"user32.dll", "SetProcessDPIAware")) setAware();
    const kestrane::StartArguments arguments = kestrane::ParseStartArguments(kestrane::ProgramArguments());
    kestrane::frmMain window;
    if (!window.Create(instance, showCommand)) return 1;
    if (!arguments.files.empty()) window.TakeFiles(arguments.files);
    if (arguments.folderRun) window.RunFolderConversion(*arguments.folderRun);
    return kestrane::WindowBase::RunMessageLoop();
}
