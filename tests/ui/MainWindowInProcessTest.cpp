// The main window created inside the test process, for what another
// process cannot see under Wine: the menus' captions and enabled states.
#include <gtest/gtest.h>

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

const int kControlIds[] = {IDC_LBLRAR, IDC_TXTRAR, IDC_CMDSEARCHRAR, IDC_LBLJAR,  IDC_TXTJAR,      IDC_CMDSEARCHJAR,
                           IDC_LBLJAD, IDC_TXTJAD, IDC_CMDSEARCHJAD, IDC_LBLOBJ,  IDC_TXTOBJ,      IDC_CMDSEARCHOBJ,
                           IDC_LBLINI, IDC_TXTINI, IDC_CMDINI,       IDC_LBLSTJ,  IDC_TXTSTJ,      IDC_CMDSEARCHSTJ,
                           IDC_CMDSTJ, IDC_LBLWAIT};

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
    EXPECT_EQ(captions, (std::vector<std::wstring>{L"&Datei", L"Ordner umwandeln...", L"", L"&Beenden", L"&?", L"&Hilfe", L"",
                                                  L"&\u00dcber"}));
    for (const MenuEntry& entry : entries) {
        if (!entry.caption.empty()) {
            EXPECT_TRUE(entry.enabled) << "disabled at start";
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
