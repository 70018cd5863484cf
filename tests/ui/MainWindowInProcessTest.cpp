// The main window created inside the test process, for what another
// process cannot see under Wine: the menus' captions and enabled states.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cwctype>
#include <string>
#include <vector>

#include "resource.h"
#include "ui/frmMain.h"

namespace {

struct MenuEntry {
    std::wstring caption;  // empty for a separator
    bool enabled;
};

MenuEntry Entry(HMENU menu, int position) {
    wchar_t caption[64] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING | MIIM_FTYPE | MIIM_STATE;
    info.dwTypeData = caption;
    info.cch = 64;
    GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
    return {caption, (info.fState & MFS_GRAYED) == 0};
}

// Headings first, then each heading's items in order.
std::vector<MenuEntry> MenuEntries(HWND window) {
    std::vector<MenuEntry> entries;
    HMENU bar = GetMenu(window);
    for (int heading = 0; heading < GetMenuItemCount(bar); ++heading) {
        entries.push_back(Entry(bar, heading));
        HMENU popup = GetSubMenu(bar, heading);
        for (int item = 0; item < GetMenuItemCount(popup); ++item) entries.push_back(Entry(popup, item));
    }
    return entries;
}

const int kControlIds[] = {IDC_LBLRAR,       IDC_TXTRAR,       IDC_CMDSEARCHRAR, IDC_LBLJAR,       IDC_TXTJAR,
                           IDC_CMDSEARCHJAR, IDC_LBLJAD,       IDC_TXTJAD,       IDC_CMDSEARCHJAD, IDC_LBLOBJ,
                           IDC_TXTOBJ,       IDC_CMDSEARCHOBJ, IDC_LBLINI,       IDC_TXTINI,       IDC_CMDINI,
                           IDC_LBLSTJ,       IDC_TXTSTJ,       IDC_CMDSEARCHSTJ, IDC_CMDSTJ,       IDC_LBLWAIT};

class MainWindowInProcess : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(window_.Create(GetModuleHandleW(nullptr), SW_SHOWNORMAL)); }
    void TearDown() override {
        if (IsWindow(window_.Handle())) DestroyWindow(window_.Handle());
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    kestrane::frmMain window_;
};

TEST_F(MainWindowInProcess, MenuCaptionsAndOrder) {
    const std::vector<MenuEntry> entries = MenuEntries(window_.Handle());
    std::vector<std::wstring> captions;
    for (const MenuEntry& entry : entries) captions.push_back(entry.caption);
    EXPECT_EQ(captions, (std::vector<std::wstring>{L"&Datei", L"&JAD aus JAR erstellen...", L"&Ordner umwandeln...",
                                                   L"", L"&Beenden", L"&?", L"&Hilfe", L"", L"&\u00dcber"}));
    for (const MenuEntry& entry : entries) {
        if (!entry.caption.empty()) {
            EXPECT_TRUE(entry.enabled) << "disabled at start";
        }
    }
}

// Alt and one letter reach every entry: each heading and each item has an
// access key, none used twice at its level.
TEST_F(MainWindowInProcess, EveryMenuEntryHasAnAccessKeyOfItsOwn) {
    auto accessKey = [](const std::wstring& caption) {
        const std::size_t amp = caption.find(L'&');
        return amp == std::wstring::npos || amp + 1 == caption.size() ? L'\0' : towupper(caption[amp + 1]);
    };
    HMENU bar = GetMenu(window_.Handle());
    std::vector<HMENU> levels{bar};
    for (int heading = 0; heading < GetMenuItemCount(bar); ++heading) levels.push_back(GetSubMenu(bar, heading));
    for (HMENU level : levels) {
        std::wstring keys;
        for (int position = 0; position < GetMenuItemCount(level); ++position) {
            const std::wstring caption = Entry(level, position).caption;
            if (caption.empty()) continue;  // a separator
            const wchar_t key = accessKey(caption);
            EXPECT_NE(key, L'\0') << "no access key: " << testing::PrintToString(caption);
            EXPECT_EQ(keys.find(key), std::wstring::npos)
                << "access key used twice: " << testing::PrintToString(caption);
            keys += key;
        }
    }
}

TEST_F(MainWindowInProcess, SetControlsEnabledReachesEveryControlAndMenuButNotTheWindow) {
    for (bool enabled : {false, true}) {
        window_.SetControlsEnabled(enabled);
        for (int id : kControlIds)
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(window_.Handle(), id)) != FALSE, enabled) << "control " << id;
        int position = 0;
        for (const MenuEntry& entry : MenuEntries(window_.Handle())) {
            // A separator has no state worth asking about.
            if (!entry.caption.empty()) {
                EXPECT_EQ(entry.enabled, enabled) << "menu entry " << position;
            }
            ++position;
        }
        EXPECT_TRUE(IsWindowEnabled(window_.Handle()));
    }
}

TEST_F(MainWindowInProcess, WaitLabelIsHiddenAtStartAndShownOnRequest) {
    HWND label = GetDlgItem(window_.Handle(), IDC_LBLWAIT);
    EXPECT_FALSE(IsWindowVisible(label));
    window_.ShowWaitLabel(true);
    EXPECT_TRUE(IsWindowVisible(label));
    window_.ShowWaitLabel(false);
    EXPECT_FALSE(IsWindowVisible(label));
}

}  // namespace

namespace {

// A drop as Explorer makes it: DROPFILES, then the wide paths, each ended
// by a zero, and one more zero.
HDROP MakeDrop(const std::vector<std::wstring>& paths) {
    std::wstring list;
    for (const std::wstring& path : paths) list += path + L'\0';
    list += L'\0';
    const SIZE_T size = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    CopyMemory(header + 1, list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

std::wstring Text(HWND window, int id) {
    wchar_t text[MAX_PATH] = {};
    GetDlgItemTextW(window, id, text, MAX_PATH);
    return text;
}

TEST_F(MainWindowInProcess, DroppedFilesGoToTheirFieldsAndTheJarFindsItsJad) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"kestrane-drop-\u00e4\u6f22\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring jar = folder + L"Spiel 1.JAR", jad = folder + L"Spiel 1.jad";
    for (const std::wstring& file : {jar, jad}) {
        HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);
    }
    SetDlgItemTextW(window_.Handle(), IDC_TXTSTJ, L"alt.stj");
    SendMessageW(
        window_.Handle(), WM_DROPFILES,
        reinterpret_cast<WPARAM>(MakeDrop({jar, L"C:\\Werkzeuge\\Rar.exe", L"D:\\x\\neu.Stj", L"D:\\x\\a.obj"})), 0);
    EXPECT_EQ(Text(window_.Handle(), IDC_TXTJAR), jar);
    EXPECT_EQ(Text(window_.Handle(), IDC_TXTJAD), jad) << "the JAR's JAD fills the empty field";
    EXPECT_EQ(Text(window_.Handle(), IDC_TXTRAR), L"C:\\Werkzeuge\\Rar.exe");
    EXPECT_EQ(Text(window_.Handle(), IDC_TXTSTJ), L"D:\\x\\neu.Stj");
    EXPECT_EQ(Text(window_.Handle(), IDC_TXTOBJ), L"D:\\x\\a.obj");
    for (const std::wstring& file : {jar, jad}) DeleteFileW(file.c_str());
    RemoveDirectoryW(folder.c_str());
}

}  // namespace
