// The About window ("&Über") worked from the outside: its frame and size,
// what it paints where, that the main window takes no input while it is
// open, its soft keys "Back" and "Mehr", and that the rest of it ignores
// clicks and keys. The whole suite runs in the 96 and the 144 DPI prefix
// (see CMakeLists.txt).
#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "Driver.h"

namespace {

using namespace e2e;

constexpr int kClientWidthTwips = 2970;
constexpr int kClientHeightTwips = 5655;
constexpr POINT kBackTwips{690, 2820};
constexpr POINT kMoreTwips{1740, 2820};

int Px(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }
// A point given in pixels of the 96 DPI layout, at `dpi`.
POINT At(int x96, int y96, int dpi) { return {MulDiv(x96, dpi, 96), MulDiv(y96, dpi, 96)}; }

// The soft keys' font: Fixedsys 9 pt at the screen's DPI.
SIZE SoftKeyExtent(const std::wstring& caption) {
    return TextExtent(caption, L"Fixedsys", -MulDiv(9, ScreenDpi(), 72), FIXED_PITCH | FF_MODERN);
}

// Where a soft key's caption stands, in client pixels.
RECT SoftKeyRect(POINT twips, const std::wstring& caption, int dpi) {
    const SIZE extent = SoftKeyExtent(caption);
    const int left = Px(twips.x, dpi), top = Px(twips.y, dpi);
    return {left, top, left + extent.cx, top + extent.cy};
}

POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// The client area as the screen shows it.
struct Shot {
    int width = 0, height = 0;
    std::vector<DWORD> pixels;  // 0x00RRGGBB, rows top down
    DWORD At(POINT p) const { return pixels[static_cast<size_t>(p.y) * width + p.x]; }
    int Count(const RECT& r, bool (*test)(DWORD)) const {
        int n = 0;
        for (int y = std::max(0L, r.top); y < std::min<LONG>(height, r.bottom); ++y)
            for (int x = std::max(0L, r.left); x < std::min<LONG>(width, r.right); ++x) n += test(At({x, y}));
        return n;
    }
};

Shot TakeShot(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    Shot shot{client.right, client.bottom, {}};
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), shot.width, -shot.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, shot.width, shot.height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto* first = static_cast<const DWORD*>(bits);
    shot.pixels.assign(first, first + shot.width * shot.height);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return shot;
}

int Channel(DWORD rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }
bool IsWhite(DWORD rgb) { return Channel(rgb, 0) >= 0xF0 && Channel(rgb, 8) >= 0xF0 && Channel(rgb, 16) >= 0xF0; }
bool IsDark(DWORD rgb) { return Channel(rgb, 0) < 0x60 && Channel(rgb, 8) < 0x60 && Channel(rgb, 16) < 0x60; }
bool IsButtonFace(DWORD rgb) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);  // 0x00BBGGRR
    return std::abs(Channel(rgb, 16) - GetRValue(face)) <= 8 && std::abs(Channel(rgb, 8) - GetGValue(face)) <= 8 &&
           std::abs(Channel(rgb, 0) - GetBValue(face)) <= 8;
}

class AboutWindowBase : public testing::Test {
protected:
    void SetUp() override { app.Start(); }

    HWND Open() {
        app.Menu(IDM_HELP_ABOUT);
        HWND about = app.WaitWindowOfClass(KESTRANE_INFO_CLASS);
        app.Drain();
        return about;
    }
    // A click as the mouse makes it: press and release, here at client points.
    void Click(HWND about, POINT down, POINT up) {
        PostMessageW(about, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(down.x, down.y));
        PostMessageW(about, WM_LBUTTONUP, 0, MAKELPARAM(up.x, up.y));
        app.Drain();
    }
    void Click(HWND about, POINT at) { Click(about, at, at); }
    GUITHREADINFO ThreadInfo() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(app.Main(), nullptr), &info);
        return info;
    }
    // The About window went and the main window is back in charge.
    testing::AssertionResult ClosedAndMainBack(HWND about) {
        try {
            WaitFor([&] { return !IsWindow(about); }, "the About window to close", 5s);
        } catch (const DriverError& e) {
            return testing::AssertionFailure() << e.what();
        }
        app.Drain();
        if (!app.Running()) return testing::AssertionFailure() << "the program ended";
        if (!IsWindowEnabled(app.Main())) return testing::AssertionFailure() << "the main window stays disabled";
        if (ThreadInfo().hwndActive != app.Main())
            return testing::AssertionFailure() << "the main window is not the active one";
        if (app.FindWindowOfClass(KESTRANE_INFO_CLASS)) return testing::AssertionFailure() << "an About window shows";
        return testing::AssertionSuccess();
    }
    testing::AssertionResult StillOpen(HWND about) {
        app.Drain();
        std::this_thread::sleep_for(100ms);
        if (!IsWindow(about) || !IsWindowVisible(about))
            return testing::AssertionFailure() << "the About window closed";
        if (IsWindowEnabled(app.Main())) return testing::AssertionFailure() << "the main window is enabled";
        return testing::AssertionSuccess();
    }

    App app;
    const int dpi = TheSetup().dpi;
};

// ---- Frame, size and painting ----

class AboutWindowLayout : public AboutWindowBase {
protected:
    void SetUp() override {
        ASSERT_EQ(ScreenDpi(), dpi) << "the prefix does not have the DPI this run is for";
        AboutWindowBase::SetUp();
    }
};

TEST_F(AboutWindowLayout, IsAToolWindowCaptionedInfoWithAClientOf2970By5655Twips) {
    HWND about = Open();
    EXPECT_EQ(WindowText(about), L"Info");
    const LONG style = GetWindowLongW(about, GWL_STYLE), exStyle = GetWindowLongW(about, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU) << "close box";
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) << "minimize or maximize box";
    EXPECT_FALSE(style & WS_THICKFRAME) << "sizing border";
    EXPECT_EQ(GetWindow(about, GW_OWNER), nullptr) << "the About window has an owner";
    EXPECT_EQ(GetWindow(about, GW_CHILD), nullptr) << "the labels are painted, not child windows";
    RECT client;
    GetClientRect(about, &client);
    EXPECT_EQ(client.right, Px(kClientWidthTwips, dpi)) << "client width";
    EXPECT_EQ(client.bottom, Px(kClientHeightTwips, dpi)) << "client height";
    app.Screenshot("about-" + std::to_string(dpi) + "dpi", about);
}

// The phone stands at (-32,-24) px of the 96 DPI layout and grows with the
// DPI; outside its outline the window shows through. The soft keys are
// white on the display's dark bar, the program's name dark on the display.
TEST_F(AboutWindowLayout, PaintsThePhoneWithItsTextsInPlace) {
    if (dpi == 96) {
        EXPECT_EQ(SoftKeyExtent(L"Back").cx, 32);
        EXPECT_EQ(SoftKeyExtent(L"Back").cy, 15);
    }
    HWND about = Open();
    const RECT back = SoftKeyRect(kBackTwips, L"Back", dpi), more = SoftKeyRect(kMoreTwips, L"Mehr", dpi);
    Shot shot;
    try {
        WaitFor(
            [&] {
                shot = TakeShot(about);
                return shot.Count(back, IsWhite) >= 10 && shot.Count(more, IsWhite) >= 10;
            },
            "white soft key captions on the screen");
    } catch (const DriverError& e) {
        app.Screenshot("about-failed-" + std::to_string(dpi) + "dpi", about);
        FAIL() << e.what();
    }
    for (const RECT& key : {back, more}) {
        const int area = (key.right - key.left) * (key.bottom - key.top);
        EXPECT_GE(shot.Count(key, IsDark), area / 3) << "the dark bar behind the soft key at x " << key.left;
    }
    const RECT title{Px(923, dpi), Px(915, dpi), Px(923 + 600, dpi), Px(915 + 195, dpi)};
    EXPECT_GE(shot.Count(title, IsDark), 20) << "\"Kestrane\" on the display";
    EXPECT_EQ(shot.Count(title, IsButtonFace), 0) << "the display behind \"Kestrane\"";

    EXPECT_FALSE(IsButtonFace(shot.At(At(1, 1, dpi)))) << "the phone's top left, beyond the window's";
    EXPECT_FALSE(IsButtonFace(shot.At(At(99, 360, dpi)))) << "the phone's bottom middle";
    EXPECT_TRUE(IsButtonFace(shot.At(At(2, 360, dpi)))) << "beside the phone's rounded bottom corner";
    EXPECT_TRUE(IsButtonFace(shot.At({shot.width / 2, shot.height - 1}))) << "below the phone";
}

// ---- Behaviour ----

class AboutWindow : public AboutWindowBase {};

TEST_F(AboutWindow, KeepsTheMainWindowFromInputWhileOpen) {
    HWND about = Open();
    EXPECT_FALSE(IsWindowEnabled(app.Main()));
    const GUITHREADINFO info = ThreadInfo();
    EXPECT_EQ(info.hwndActive, about) << "the About window is the active one";
    EXPECT_EQ(info.hwndFocus, about) << "and has the focus";
    // The close box of the disabled main window: nothing happens.
    PostMessageW(app.Main(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(StillOpen(about));
    EXPECT_TRUE(app.Running());
    EXPECT_TRUE(app.Dialogs().empty()) << "a box or dialog opened";
}

struct CloseCase {
    const char* name;
    bool softKey;  // else the close box
};

void PrintTo(const CloseCase& c, std::ostream* out) { *out << c.name; }

class AboutWindowClose : public AboutWindowBase, public testing::WithParamInterface<CloseCase> {};

TEST_P(AboutWindowClose, ClosesAndGivesTheMainWindowBack) {
    app.CopyReadme();
    HWND about = Open();
    if (GetParam().softKey)
        Click(about, Centre(SoftKeyRect(kBackTwips, L"Back", dpi)));
    else
        PostMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(ClosedAndMainBack(about));
    EXPECT_TRUE(app.ExpectNoBox());
    EXPECT_TRUE(app.ShellOpened().empty()) << "the readme was opened";
    EXPECT_EQ(app.Close(), 0u) << "the main window closes as usual afterwards";
}

INSTANTIATE_TEST_SUITE_P(AboutWindow, AboutWindowClose,
                         testing::Values(CloseCase{"Back", true}, CloseCase{"CloseBox", false}),
                         [](const testing::TestParamInfo<CloseCase>& param) { return param.param.name; });

TEST_F(AboutWindow, MehrOpensTheReadmeInTheProgramFolderAndCloses) {
    app.CopyReadme();
    app.WriteFile(L"readme.txt", "a decoy in the working directory");
    HWND about = Open();
    Click(about, Centre(SoftKeyRect(kMoreTwips, L"Mehr", dpi)));
    EXPECT_TRUE(ClosedAndMainBack(about));
    WaitFor([&] { return !app.ShellOpened().empty(); }, "the shell's open command for readme.txt");
    const auto opened = app.ShellOpened();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(Lower(opened[0]), Lower((app.ProgramFolder() / L"readme.txt").wstring())) << "paths compared case-blind";
    EXPECT_TRUE(app.ExpectNoBox());
}

// Only the program folder's readme counts: the one in the working directory
// is not opened in its place. (Wine's shell starts nothing for a file that is
// not there, so the open itself cannot be seen here.)
TEST_F(AboutWindow, MehrClosesAlsoWithoutAReadme) {
    ASSERT_FALSE(std::filesystem::exists(app.ProgramFolder() / L"readme.txt"));
    const auto decoy = app.WriteFile(L"readme.txt", "a decoy in the working directory");
    HWND about = Open();
    Click(about, Centre(SoftKeyRect(kMoreTwips, L"Mehr", dpi)));
    EXPECT_TRUE(ClosedAndMainBack(about));
    EXPECT_TRUE(app.ExpectNoBox()) << "no complaint about the missing file";
    std::this_thread::sleep_for(1s);  // time for a wrongly started recorder to write
    for (const std::wstring& line : app.ShellOpened())
        EXPECT_EQ(Lower(line), Lower((app.ProgramFolder() / L"readme.txt").wstring()))
            << "opened instead of the program folder's readme";
}

// The picture and the display's texts take no clicks; neither does a press
// on a soft key released elsewhere, nor a release on one pressed elsewhere.
TEST_F(AboutWindow, ClicksBesideTheSoftKeysLeaveItOpen) {
    app.CopyReadme();
    HWND about = Open();
    const POINT back = Centre(SoftKeyRect(kBackTwips, L"Back", dpi));
    const POINT more = Centre(SoftKeyRect(kMoreTwips, L"Mehr", dpi));
    struct Case {
        const char* name;
        POINT down, up;
    };
    const POINT picture1 = At(10, 10, dpi), picture2 = At(100, 300, dpi);
    const POINT title{Px(923 + 120, dpi), Px(915 + 90, dpi)};
    const POINT version{Px(1290 + 90, dpi), Px(1320 + 90, dpi)};
    const POINT purpose{Px(825 + 600, dpi), Px(1560 + 90, dpi)};
    const POINT credit{Px(840 + 600, dpi), Px(2400 + 90, dpi)};
    const Case cases[] = {
        {"picture top left", picture1, picture1},
        {"picture keypad", picture2, picture2},
        {"title", title, title},
        {"version", version, version},
        {"purpose", purpose, purpose},
        {"credit", credit, credit},
        {"between the soft keys", {(back.x + more.x) / 2, back.y}, {(back.x + more.x) / 2, back.y}},
        {"pressed on Back, released on the picture", back, picture2},
        {"pressed on the picture, released on Back", picture2, back},
        {"pressed on Mehr, released on Back", more, back},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Click(about, c.down, c.up);
        ASSERT_TRUE(StillOpen(about));
    }
    EXPECT_TRUE(app.ShellOpened().empty()) << "the readme was opened";
    Click(about, back);
    EXPECT_TRUE(ClosedAndMainBack(about)) << "Back still works after all that";
}

// A cursor handle's image is not readable from another process under Wine,
// so the cursors are told apart by handle: one over both soft keys (the
// hand), another over the rest of the window (the arrow).
TEST_F(AboutWindow, SoftKeysHaveACursorOfTheirOwn) {
    HWND about = Open();
    auto cursorAt = [&](POINT client) {
        POINT screen = client;
        ClientToScreen(about, &screen);
        // The move goes through X, whose event for an earlier move can reach
        // the program late and put the pointer back there: move until the
        // program has taken in its input and the pointer stays put.
        WaitFor(
            [&] {
                SetCursorPos(screen.x, screen.y);
                app.Drain();
                std::this_thread::sleep_for(50ms);
                app.Drain();
                POINT now{};
                GetCursorPos(&now);
                return now.x == screen.x && now.y == screen.y;
            },
            "the pointer to stay over the About window");
        // What the system sends as the mouse moves over the window.
        SendMessageTimeoutW(about, WM_SETCURSOR, reinterpret_cast<WPARAM>(about), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE),
                            SMTO_NORMAL, 5000, nullptr);
        CURSORINFO info{};
        info.cbSize = sizeof info;
        GetCursorInfo(&info);
        return info.hCursor;
    };
    const HCURSOR back = cursorAt(Centre(SoftKeyRect(kBackTwips, L"Back", dpi)));
    const HCURSOR picture = cursorAt(At(10, 10, dpi));
    ASSERT_NE(back, nullptr);
    ASSERT_NE(picture, nullptr);
    EXPECT_NE(back, picture) << "the soft key shows the same cursor as the picture";
    EXPECT_EQ(cursorAt(Centre(SoftKeyRect(kMoreTwips, L"Mehr", dpi))), back) << "over Mehr";
    EXPECT_EQ(cursorAt(At(100, 300, dpi)), picture) << "over the keypad";
    EXPECT_EQ(cursorAt({Px(923 + 120, dpi), Px(915 + 90, dpi)}), picture) << "over the title";
    EXPECT_EQ(cursorAt(Centre(SoftKeyRect(kBackTwips, L"Back", dpi))), back) << "over Back again";
}

TEST_F(AboutWindow, EscapeAndEnterDoNothing) {
    HWND about = Open();
    ASSERT_EQ(ThreadInfo().hwndFocus, about);
    for (UINT key : {VK_ESCAPE, VK_RETURN, VK_SPACE}) {
        SCOPED_TRACE("key " + std::to_string(key));
        app.Key(key);
        ASSERT_TRUE(StillOpen(about));
    }
    EXPECT_TRUE(app.Dialogs().empty());
    EXPECT_TRUE(app.ShellOpened().empty());
}

TEST_F(AboutWindow, OpensTheSameWayASecondTime) {
    struct Look {
        std::wstring caption;
        LONG style, exStyle;
        SIZE window, client;
    };
    auto look = [](HWND w) {
        RECT r, c;
        GetWindowRect(w, &r);
        GetClientRect(w, &c);
        return Look{WindowText(w),
                    GetWindowLongW(w, GWL_STYLE),
                    GetWindowLongW(w, GWL_EXSTYLE),
                    {r.right - r.left, r.bottom - r.top},
                    {c.right, c.bottom}};
    };
    HWND first = Open();
    const Look before = look(first);
    Click(first, Centre(SoftKeyRect(kBackTwips, L"Back", dpi)));
    ASSERT_TRUE(ClosedAndMainBack(first));

    HWND second = Open();
    const Look after = look(second);
    EXPECT_EQ(after.caption, before.caption);
    EXPECT_EQ(after.style, before.style);
    EXPECT_EQ(after.exStyle, before.exStyle);
    EXPECT_TRUE(after.window.cx == before.window.cx && after.window.cy == before.window.cy) << "window size";
    EXPECT_TRUE(after.client.cx == before.client.cx && after.client.cy == before.client.cy) << "client size";
    EXPECT_FALSE(IsWindowEnabled(app.Main()));
    Click(second, Centre(SoftKeyRect(kBackTwips, L"Back", dpi)));
    EXPECT_TRUE(ClosedAndMainBack(second)) << "Back closes the second one too";
}

}  // namespace
