// The main window worked from the outside: layout, keys, "Erstelle INI", the
// file dialogs, the saved rar.exe path and the help menu.
// MainWindowLayout also runs in the 144 DPI prefix (see CMakeLists.txt).
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Driver.h"

namespace {

using namespace e2e;
using namespace std::string_literals;
using testing::HasSubstr;

// ---- Layout ----
// The design fixes one number, the client area of 5175 × 4575 twips (1 twip is
// 1/1440 inch). Of the controls it fixes what a user sees: rows of caption,
// field and button from top to bottom, in columns, inside the window, clear
// of each other, and all of it growing with the screen's DPI.

struct Row {
    const char* name;
    int label, field, button;
};
// Top to bottom; "Erstelle INI" stands beside the INI text, at its foot.
constexpr Row kRows[] = {
    {"RAR", IDC_LBLRAR, IDC_TXTRAR, IDC_CMDSEARCHRAR}, {"JAR", IDC_LBLJAR, IDC_TXTJAR, IDC_CMDSEARCHJAR},
    {"JAD", IDC_LBLJAD, IDC_TXTJAD, IDC_CMDSEARCHJAD}, {"OBJ", IDC_LBLOBJ, IDC_TXTOBJ, IDC_CMDSEARCHOBJ},
    {"INI", IDC_LBLINI, IDC_TXTINI, IDC_CMDINI},       {"STJ", IDC_LBLSTJ, IDC_TXTSTJ, IDC_CMDSEARCHSTJ},
};
constexpr int kLabels[] = {IDC_LBLRAR, IDC_LBLJAR, IDC_LBLJAD, IDC_LBLOBJ, IDC_LBLINI, IDC_LBLSTJ, IDC_LBLWAIT};
constexpr int kAllControls[] = {IDC_LBLRAR,       IDC_TXTRAR,       IDC_CMDSEARCHRAR, IDC_LBLJAR,       IDC_TXTJAR,
                                IDC_CMDSEARCHJAR, IDC_LBLJAD,       IDC_TXTJAD,       IDC_CMDSEARCHJAD, IDC_LBLOBJ,
                                IDC_TXTOBJ,       IDC_CMDSEARCHOBJ, IDC_LBLINI,       IDC_TXTINI,       IDC_CMDINI,
                                IDC_LBLSTJ,       IDC_TXTSTJ,       IDC_CMDSEARCHSTJ, IDC_CMDSTJ,       IDC_LBLWAIT};

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

class MainWindowLayout : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(ScreenDpi(), TheSetup().dpi) << "the prefix does not have the DPI this run is for";
        app.Start();
    }
    RECT At(int id) const { return app.ClientRect(id); }
    App app;
    const int dpi = TheSetup().dpi;
};

TEST_F(MainWindowLayout, ClientAreaIs5175By4575Twips) {
    RECT client;
    GetClientRect(app.Main(), &client);
    // Exact where the twips make whole pixels; else one of the two pixels next to them (517.5 at 144 DPI).
    EXPECT_LE(std::abs(client.right - 5175 * dpi / 1440.0), 0.5) << "client width " << client.right;
    EXPECT_LE(std::abs(client.bottom - 4575 * dpi / 1440.0), 0.5) << "client height " << client.bottom;
    app.Screenshot("main-" + std::to_string(dpi) + "dpi");
}

// The search buttons stand one below the other sharing an edge line, the one
// overlap a user sees. Only "Bitte warten..." is hidden until a build.
TEST_F(MainWindowLayout, ControlsShowInsideTheClientAreaClearOfEachOther) {
    RECT client, inside, common;
    GetClientRect(app.Main(), &client);
    const int edge = (dpi + 95) / 96;
    for (size_t i = 0; i < std::size(kAllControls); ++i) {
        const int id = kAllControls[i];
        const RECT r = At(id);
        EXPECT_TRUE(IntersectRect(&inside, &r, &client) && EqualRect(&inside, &r)) << "control " << id;
        EXPECT_EQ(IsWindowVisible(app.Control(id)) != FALSE, id != IDC_LBLWAIT) << "control " << id;
        for (size_t k = i + 1; k < std::size(kAllControls); ++k) {
            const RECT other = At(kAllControls[k]);
            if (IntersectRect(&common, &r, &other)) {
                EXPECT_LE(std::min(Width(common), Height(common)), edge) << id << " covers " << kAllControls[k];
            }
        }
    }
}

// Each row reads caption, field, button from left to right, each in its
// column. The caption is centred on the field's first line to within what is
// a pixel at 96 DPI; the button stands level with its field.
TEST_F(MainWindowLayout, RowsRunTopToBottomInColumns) {
    const RECT first = At(IDC_TXTRAR), button = At(IDC_CMDSEARCHRAR), caption = At(IDC_LBLRAR);
    const auto inButtonColumn = [&](const RECT& b) {
        return b.left == button.left && b.right == button.right && Height(b) == Height(button);
    };
    int above = 0;
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        const RECT label = At(row.label), field = At(row.field), b = At(row.button);
        EXPECT_TRUE(label.left == caption.left && label.right <= field.left && field.right <= b.left);
        EXPECT_TRUE(field.left == first.left && field.right == first.right) << field.left << ".." << field.right;
        EXPECT_TRUE(inButtonColumn(b));
        EXPECT_GE(field.top, above) << "below the row above";
        above = field.bottom;
        const int offCentreTwice = (label.top + label.bottom) - (2 * field.top + Height(first));
        EXPECT_LE(std::abs(offCentreTwice), 2 * dpi / 96) << "caption " << label.top << ".." << label.bottom;
        const bool level =
            (b.top <= field.top && b.bottom >= field.bottom) || (field.top <= b.top && field.bottom >= b.bottom);
        EXPECT_TRUE(level) << "button " << b.top << ".." << b.bottom << ", field " << field.top << ".." << field.bottom;
        EXPECT_TRUE(row.field == IDC_TXTINI ? Height(field) > 3 * Height(first) : Height(field) == Height(first));
    }
    EXPECT_TRUE(inButtonColumn(At(IDC_CMDSTJ)) && At(IDC_CMDSTJ).top >= At(IDC_CMDSEARCHSTJ).bottom);
    EXPECT_TRUE(At(IDC_LBLWAIT).left == caption.left && At(IDC_LBLWAIT).top >= above);
}

// The 96 DPI run writes down every control's place; the 144 DPI run (CTest
// starts it after that one) finds each half as far again from the corner
// and, but for the captions that take their font's size, half as big again.
TEST_F(MainWindowLayout, ControlsGrowWithTheDpi) {
    const std::filesystem::path at96Dpi = FromUnix(TheSetup().buildDirUnix + "/e2e-work/main-96dpi.layout");
    if (dpi == 96) {
        std::ofstream out(at96Dpi);
        for (int id : kAllControls)
            out << id << ' ' << At(id).left << ' ' << At(id).top << ' ' << At(id).right << ' ' << At(id).bottom << '\n';
        ASSERT_TRUE(out.good()) << at96Dpi;
        return;
    }
    std::ifstream in(at96Dpi);
    ASSERT_TRUE(in) << "no layout of the 96 DPI run (e2e_main_window) in " << at96Dpi;
    const auto grew = [this](int at96, int now) { return std::abs(now - at96 * dpi / 96.0) < 1.0; };
    std::ptrdiff_t compared = 0;
    for (int id; in >> id; ++compared) {
        RECT was{};
        in >> was.left >> was.top >> was.right >> was.bottom;
        const RECT r = At(id);
        const bool sized = std::ranges::find(kLabels, id) == std::end(kLabels);
        EXPECT_TRUE(grew(was.left, r.left) && grew(was.top, r.top) &&
                    (!sized || (grew(Width(was), Width(r)) && grew(Height(was), Height(r)))))
            << "control " << id << ": " << r.left << ',' << r.top << ' ' << Width(r) << 'x' << Height(r)
            << " px, at 96 DPI " << was.left << ',' << was.top << ' ' << Width(was) << 'x' << Height(was);
    }
    EXPECT_EQ(compared, std::ssize(kAllControls));
}

TEST_F(MainWindowLayout, LabelsAreAsBigAsTheirCaptionInMsSansSerif) {
    for (int id : kLabels) {
        const std::wstring caption = app.Text(id);
        EXPECT_FALSE(caption.empty()) << "caption " << id;
        const SIZE extent = LabelTextExtent(caption);
        EXPECT_EQ(Width(At(id)), extent.cx) << "width of \"" << Utf8(caption) << '"';
        EXPECT_EQ(Height(At(id)), extent.cy) << "height of \"" << Utf8(caption) << '"';
    }
}

// ---- Window and keys ----

constexpr int kTabOrder[] = {IDC_TXTRAR, IDC_CMDSEARCHRAR, IDC_TXTJAR,       IDC_CMDSEARCHJAR, IDC_CMDSEARCHJAD,
                             IDC_TXTJAD, IDC_TXTOBJ,       IDC_CMDSEARCHOBJ, IDC_CMDINI,       IDC_TXTINI,
                             IDC_CMDSTJ, IDC_TXTSTJ,       IDC_CMDSEARCHSTJ};
constexpr int kFields[] = {IDC_TXTRAR, IDC_TXTJAR, IDC_TXTJAD, IDC_TXTOBJ, IDC_TXTINI, IDC_TXTSTJ};

class MainWindow : public testing::Test {
protected:
    void SetUp() override { app.Start(); }

    // Presses Tab until `id` has the focus.
    void TabTo(int id) {
        for (int i = 0; i < 2 * static_cast<int>(std::size(kTabOrder)) && app.FocusedId() != id; ++i) app.Key(VK_TAB);
        ASSERT_EQ(app.FocusedId(), id) << "Tab never reaches control " << id;
    }
    std::vector<std::wstring> FieldTexts() const {
        std::vector<std::wstring> texts;
        for (int id : kFields) texts.push_back(app.Text(id));
        return texts;
    }
    App app;
};

TEST_F(MainWindow, HasItsCaptionAndNeitherMinimizeMaximizeNorSizingBorder) {
    EXPECT_EQ(WindowText(app.Main()), L"Kestrane");
    const LONG style = GetWindowLongW(app.Main(), GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
}

// The manifest asks for the common controls 6 (for x86), which draw the
// themed controls; where the system finds no such assembly the program runs
// on with the old ones without a word, so only the running program shows it.
TEST_F(MainWindow, RunsOnTheCommonControls6ItsManifestAsksFor) {
    std::vector<std::wstring> comctl32;
    for (const auto& module : LoadedModules(app.Main()))
        if (Lower(module.filename().wstring()) == L"comctl32.dll") comctl32.push_back(Lower(module.wstring()));
    ASSERT_EQ(comctl32.size(), 1u) << "comctl32.dll is loaded from exactly one place";
    // The side-by-side assembly, not system32's comctl32 (version 5).
    EXPECT_THAT(comctl32[0], HasSubstr(L"\\winsxs\\x86_microsoft.windows.common-controls_6595b64144ccf1df_6."));
}

TEST_F(MainWindow, TabWalksTheControlsInOrderAndWrapsAround) {
    ASSERT_EQ(app.FocusedId(), kTabOrder[0]) << "txtRAR has the focus at start";
    for (size_t i = 1; i <= std::size(kTabOrder); ++i) {
        app.Key(VK_TAB);
        EXPECT_EQ(app.FocusedId(), kTabOrder[i % std::size(kTabOrder)]) << "after " << i << " Tab presses";
    }
}

// Wherever the focus is (outside txtINI), Esc and Enter neither close the
// window nor click a button nor change a text.
TEST_F(MainWindow, EscapeAndEnterChangeNothing) {
    for (int id : kFields) app.SetText(id, L"Feld " + std::to_wstring(id));
    const auto before = FieldTexts();
    for (int id : kTabOrder) {
        if (id == IDC_TXTINI) continue;
        SCOPED_TRACE("focus on control " + std::to_string(id));
        ASSERT_NO_FATAL_FAILURE(TabTo(id));
        app.Key(VK_ESCAPE);
        app.Key(VK_RETURN);
        ASSERT_TRUE(app.Running());
        ASSERT_TRUE(IsWindowVisible(app.Main()));
        EXPECT_TRUE(app.Dialogs().empty()) << "a box or dialog opened";
        EXPECT_EQ(FieldTexts(), before);
    }
}

TEST_F(MainWindow, EnterInTheIniBoxInsertsALineEnd) {
    ASSERT_NO_FATAL_FAILURE(TabTo(IDC_TXTINI));
    const std::wstring before = app.Text(IDC_TXTINI);
    SendMessageW(app.Control(IDC_TXTINI), EM_SETSEL, before.size(), before.size());  // caret at the end
    app.Key(VK_RETURN);
    EXPECT_EQ(app.Text(IDC_TXTINI), before + L"\r\n");
    EXPECT_TRUE(app.Running());
}

// Esc in the many-line INI box closes nothing either, and leaves its text.
TEST_F(MainWindow, EscapeInTheIniBoxChangesNothing) {
    ASSERT_NO_FATAL_FAILURE(TabTo(IDC_TXTINI));
    const std::wstring before = app.Text(IDC_TXTINI);
    app.Key(VK_ESCAPE);
    ASSERT_TRUE(app.Running());
    EXPECT_TRUE(IsWindowVisible(app.Main()));
    EXPECT_EQ(app.FocusedId(), IDC_TXTINI);
    EXPECT_EQ(app.Text(IDC_TXTINI), before);
    EXPECT_TRUE(app.Dialogs().empty()) << "a box or dialog opened";
}

// ---- "Erstelle INI" ----

constexpr char kSnakeJad[] =
    "MIDlet-1: Snake, /s.png, com.example.Snake\r\n"
    "MIDlet-Jar-Size: 1234\r\n"
    "MIDlet-Jar-URL: Snake.jar\r\n"
    "MIDlet-Name: Snake\r\n"
    "MIDlet-Vendor: Example\r\n"
    "MIDlet-Version: 1.0\r\n"
    "MicroEdition-Configuration: CLDC-1.0\r\n"
    "MicroEdition-Profile: MIDP-1.0\r\n";

class IniButton : public MainWindow {
protected:
    // Puts `jadField` into txtJAD, clicks "Erstelle INI" and returns txtINI as it was before.
    std::wstring Generate(const std::wstring& jadField) {
        app.SetText(IDC_TXTJAD, jadField);
        const std::wstring before = app.Text(IDC_TXTINI);
        app.Click(IDC_CMDINI);
        return before;
    }
};

TEST_F(IniButton, FillsTheIniBoxFromTheJad) {
    Generate(app.WriteFile(L"Snake.jad", kSnakeJad));
    EXPECT_TRUE(app.ExpectNoBox());
    EXPECT_EQ(app.Text(IDC_TXTINI),
              L"suite=Snake\r\nnum=1\r\ndomain=midp1\r\nmidlet=Snake\r\nicon=/s.png\r\nclass=com.example.Snake");
}

TEST_F(IniButton, EmptyOrBlankJadFieldGetsAnErrorBoxAndChangesNothing) {
    for (const std::wstring field : {L"", L"   "}) {
        SCOPED_TRACE("txtJAD \"" + Utf8(field) + '"');
        const std::wstring before = Generate(field);
        EXPECT_TRUE(app.ExpectBox(L"Keine JAD-Datei angegeben!"s, Icon::Error));
        EXPECT_TRUE(app.ExpectNoBox());
        EXPECT_EQ(app.Text(IDC_TXTINI), before);
    }
}

TEST_F(IniButton, JadWithoutMidlet1GetsTwoErrorBoxesAndNoIconOrClass) {
    Generate(app.WriteFile(L"NoMidlet.jad", "MIDlet-Name: Snake\r\nMIDlet-Version: 1.0\r\n"));
    EXPECT_TRUE(app.ExpectBox(L"Keine gültige JAD-Datei!"s, Icon::Error));
    EXPECT_TRUE(app.ExpectBox(L"Keine gültige JAD-Datei!"s, Icon::Error));
    EXPECT_TRUE(app.ExpectNoBox());
    EXPECT_EQ(app.Text(IDC_TXTINI), L"suite=Snake\r\nnum=1\r\ndomain=midp1\r\nmidlet=Snake\r\nicon=\r\nclass=");
}

TEST_F(IniButton, MissingJadGetsOneErrorBoxWithTheSystemsNumber) {
    const std::wstring before = Generate((app.Folder() / L"fehlt.jad").wstring());
    EXPECT_TRUE(app.ExpectBox(HasSubstr(L"Fehler 2"), Icon::Error));
    EXPECT_TRUE(app.ExpectNoBox());
    EXPECT_TRUE(app.Running());
    EXPECT_EQ(app.Text(IDC_TXTINI), before);
}

// ---- File dialogs ----

struct SearchCase {
    const char* name;
    int button;
    int field;
    const wchar_t* pick;  // a file name in the case's folder
    bool exists;          // open dialogs need an existing file; the save dialog gets a new one
};

const SearchCase kSearchCases[] = {
    {"RAR", IDC_CMDSEARCHRAR, IDC_TXTRAR, L"rar.exe", true},
    {"JAR", IDC_CMDSEARCHJAR, IDC_TXTJAR, L"Snake.jar", true},
    {"JAD", IDC_CMDSEARCHJAD, IDC_TXTJAD, L"Snake.jad", true},
    {"OBJ", IDC_CMDSEARCHOBJ, IDC_TXTOBJ, L"Snake.obj", true},
    {"STJ", IDC_CMDSEARCHSTJ, IDC_TXTSTJ, L"Snake.stj", false},
};

void PrintTo(const SearchCase& c, std::ostream* out) { *out << c.name; }

class SearchButton : public MainWindow, public testing::WithParamInterface<SearchCase> {};

TEST_P(SearchButton, DialogFillsTheFieldAndCancelEmptiesIt) {
    const SearchCase& c = GetParam();
    const std::wstring path = (app.Folder() / c.pick).wstring();
    if (c.exists) app.WriteFile(path, "x");

    app.Click(c.button);
    FileDialog first = app.WaitFileDialog();
    EXPECT_EQ(first.FileName(), L"");
    first.Accept(path);
    app.Drain();
    EXPECT_EQ(app.Text(c.field), path);

    app.Click(c.button);
    FileDialog second = app.WaitFileDialog();
    EXPECT_EQ(second.FileName(), L"") << "the next dialog starts with an empty file name";
    second.Cancel();
    app.Drain();
    EXPECT_EQ(app.Text(c.field), L"");
    EXPECT_TRUE(app.ExpectNoBox());
}

INSTANTIATE_TEST_SUITE_P(MainWindow, SearchButton, testing::ValuesIn(kSearchCases),
                         [](const testing::TestParamInfo<SearchCase>& param) { return param.param.name; });

// ---- The saved rar.exe path ----

struct SettingCase {
    const char* name;
    bool viaQuitMenu;  // else WM_CLOSE, as the close box sends it
    const wchar_t* path;
};

const SettingCase kSettingCases[] = {
    {"PathViaQuitMenu", true, L"C:\\Programme\\RAR\\rar.exe"},
    {"PathViaClose", false, L"C:\\Programme\\RAR\\rar.exe"},
    {"UmlautPathViaClose", false, L"C:\\Werkzeuge\\Bücher\\rar.exe"},
    {"EmptiedViaQuitMenu", true, L""},
    {"EmptiedViaClose", false, L""},
};

void PrintTo(const SettingCase& c, std::ostream* out) { *out << c.name; }

class RarSetting : public testing::TestWithParam<SettingCase> {
protected:
    App app;
};

TEST_P(RarSetting, IsSavedOnCloseAndShownAtTheNextStart) {
    const SettingCase& c = GetParam();
    const std::wstring seed = L"D:\\Alt\\rar.exe";
    app.SetSetting(seed);
    app.Start();
    EXPECT_EQ(app.Text(IDC_TXTRAR), seed) << "the saved path shows at start";

    app.SetText(IDC_TXTRAR, c.path);
    if (c.viaQuitMenu) {
        app.Menu(IDM_FILE_QUIT);
        EXPECT_EQ(app.WaitExit(), 0u);
    } else {
        EXPECT_EQ(app.Close(), 0u);
    }
    EXPECT_EQ(app.Setting(), (RegValue{REG_SZ, c.path}));

    app.Start();
    EXPECT_EQ(app.Text(IDC_TXTRAR), c.path);
    EXPECT_EQ(app.Close(), 0u);
}

INSTANTIATE_TEST_SUITE_P(MainWindow, RarSetting, testing::ValuesIn(kSettingCases),
                         [](const testing::TestParamInfo<SettingCase>& param) { return param.param.name; });

TEST(RarSettingSessionEnd, IsSavedAtOnceWhenTheUserLogsOff) {
    App app;
    app.Start();
    app.SetText(IDC_TXTRAR, L"C:\\Werkzeuge\\rar.exe");
    // Windows asks, then tells; after that the program may be ended without another word.
    EXPECT_NE(SendMessageW(app.Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 0) << "the log-off is not refused";
    SendMessageW(app.Main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(app.Setting(), (RegValue{REG_SZ, L"C:\\Werkzeuge\\rar.exe"}));
}

TEST(RarSettingFirstStart, FieldIsEmptyWithoutASavedPath) {
    App app;
    ASSERT_FALSE(app.Setting().has_value());
    app.Start();
    EXPECT_EQ(app.Text(IDC_TXTRAR), L"");
}

TEST(RarSettingUnreadable, ErrorBoxThenAnEmptyFieldAndTheProgramRuns) {
    App app;
    // A value of another type under the program's name, as another tool might leave it.
    const std::wstring key = L"Software\\VB and VBA Program Settings\\" + app.Name() + L"\\RAR";
    const DWORD number = 42;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Path", REG_DWORD, &number, sizeof number),
              ERROR_SUCCESS);
    app.Start();
    EXPECT_TRUE(app.ExpectBox(HasSubstr(L"Fehler 1629"), Icon::Error));  // ERROR_DATATYPE_MISMATCH
    EXPECT_EQ(app.Text(IDC_TXTRAR), L"");
    EXPECT_TRUE(app.Running());
    // Closing stores the field as a string again.
    EXPECT_EQ(app.Close(), 0u);
    EXPECT_EQ(app.Setting(), (RegValue{REG_SZ, L""}));
}

// ---- Help ----

TEST_F(MainWindow, HelpAsksTheShellToOpenTheReadmeInTheProgramFolder) {
    app.CopyReadme();
    app.WriteFile(L"readme.txt", "a decoy in the working directory");
    app.Menu(IDM_HELP_HELP);
    WaitFor([&] { return !app.ShellOpened().empty(); }, "the shell's open command for readme.txt");
    const auto opened = app.ShellOpened();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(Lower(opened[0]), Lower((app.ProgramFolder() / L"readme.txt").wstring())) << "paths compared case-blind";
    EXPECT_TRUE(app.ExpectNoBox());
    EXPECT_TRUE(app.Running());
}

}  // namespace
