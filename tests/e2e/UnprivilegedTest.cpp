// What kestrane_e2e_test_unprivileged (CMakeLists.txt) promises the tests of
// folders a user may not write: a program under Wine, and a program it starts
// the way Kestrane starts the archiver's batch file, can create files in a
// folder only while its Unix permissions allow writing. Run as root without
// that registration, every create below would succeed.
#include <fstream>
#include <string>

#include "Driver.h"

namespace {

using namespace e2e;
namespace fs = std::filesystem;

// ERROR_SUCCESS, or why a new file cannot be made at `path`.
DWORD CreateNew(const fs::path& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    CloseHandle(file);
    return ERROR_SUCCESS;
}

// `cmd /c <command>` with `folder` as its working folder; returns once it ended.
void RunCmd(const std::wstring& command, const fs::path& folder) {
    std::wstring line = L"cmd.exe /c " + command;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION cmd{};
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, folder.c_str(),
                               &startup, &cmd))
        << "CreateProcess of cmd failed, error " << GetLastError();
    EXPECT_EQ(WaitForSingleObject(cmd.hProcess, 60000), WAIT_OBJECT_0) << "cmd did not end";
    CloseHandle(cmd.hProcess);
    CloseHandle(cmd.hThread);
}

TEST(Unprivileged, NewFilesOnlyWhileTheFolderMayBeWritten) {
    const fs::path folder = TheSetup().workDir / L"folder";
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    fs::create_directories(folder);

    EXPECT_EQ(CreateNew(folder / L"before.txt"), static_cast<DWORD>(ERROR_SUCCESS));
    {
        WriteProtected locked(folder);
        EXPECT_EQ(CreateNew(folder / L"locked.txt"), static_cast<DWORD>(ERROR_ACCESS_DENIED));
        EXPECT_TRUE(std::ifstream(folder / L"before.txt").is_open()) << "reading must stay allowed";
        RunCmd(L"echo x>child-locked.txt", folder);
        EXPECT_FALSE(fs::exists(folder / L"child-locked.txt")) << "cmd wrote into the protected folder";
    }
    EXPECT_EQ(CreateNew(folder / L"after.txt"), static_cast<DWORD>(ERROR_SUCCESS));
    RunCmd(L"echo x>child-free.txt", folder);
    EXPECT_TRUE(fs::exists(folder / L"child-free.txt")) << "cmd could not write into the folder at all";
}

}  // namespace
