#include "ui/frmInfo.h"
#include "ui/PhonePicture.h"

#include <windowsx.h>

#include <iterator>

#include "resource.h"
#include "ui/ProgramFiles.h"

namespace kestrane {

namespace {

constexpr int kTwipsPerPixel = 15;  // the 96 DPI the window was laid out at
constexpr int kHimetricPerInch = 2540;
constexpr WindowLook kLook{KESTRANE_INFO_CLASS, L"Info",      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                           WS_EX_TOOLWINDOW,    {2970, 5655}, false};
// The phone stands a little beyond the top left corner, so that its display
// sits in the middle of the window.
constexpr int kPictureLeftTwips = -480;
constexpr int kPictureTopTwips = -360;
constexpr COLORREF kWhite = RGB(255, 255, 255);

enum Label { lblSTJ, lblVersion, lblInfo1, lblBy, lblBack, lblMore, kNoLabel = -1 };
enum LabelFace { Bold, Regular, Fixed };  // indexes frmInfo::fonts_

struct LabelSpec {
    const wchar_t* caption;
    int left, top;  // twips
    int width;      // twips; 0 when the label fits its caption on one line
    LabelFace face;
    bool white;  // the soft keys are white on the display's dark bar
};

// The texts on the phone's display and its two soft keys, in the order of
// Label. The credit is kept short: two lines of it fill the display down to
// the soft key bar.
constexpr LabelSpec kLabels[] = {
    {L"Kestrane", 923, 915, 0, Bold, false},
    {L"v0.2", 1290, 1320, 0, Regular, false},
    {L"Siemens ST60 Java-Set-Compiler", 825, 1560, 1275, Regular, false},
    {L"Kestrane-Team, April 2004", 840, 2400, 1215, Regular, false},
    {L"Back", 690, 2820, 0, Fixed, true},
    {L"Mehr", 1740, 2820, 0, Fixed, true},
};

// A label of a given width wraps its caption and centres the lines on it.
UINT LabelFormat(const LabelSpec& spec) {
    return DT_NOPREFIX | (spec.width > 0 ? DT_WORDBREAK | DT_CENTER : DT_SINGLELINE);
}

}  // namespace

int TopmostLabelAt(std::span<const RECT> labels, POINT point) {
    for (std::size_t i = labels.size(); i-- > 0;) {
        if (PtInRect(&labels[i], point)) return static_cast<int>(i);
    }
    return kNoLabel;
}

void frmInfo::ShowModal(HWND mainWindow, const std::wstring& programFolder) {
    // OLE for the picture; it goes after the window.
    OleSession ole;
    frmInfo info(programFolder);
    info.RunModal(mainWindow, kLook);
}

LRESULT frmInfo::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: Form_Load(reinterpret_cast<CREATESTRUCTW*>(lParam)->hInstance); return 0;
    case WM_ERASEBKGND: return TRUE;  // WM_PAINT covers every pixel from its buffer
    case WM_PAINT: Form_Paint(); return 0;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == hwnd_ && Form_SetCursor(lParam)) return TRUE;
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    case WM_LBUTTONDOWN: Form_MouseDown(lParam); return 0;
    case WM_LBUTTONUP: Form_MouseUp(lParam); return 0;
    case WM_CLOSE: CloseModal(); return 0;
    default: return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

void frmInfo::Form_Load(HINSTANCE instance) {
    // Without its picture the window still shows its texts on the plain button face.
    LoadPhonePicture(instance, imgST60_);
    fonts_[Bold] = GdiObject<HFONT>(CreateWindowFont(FW_BOLD));
    fonts_[Regular] = GdiObject<HFONT>(CreateWindowFont(FW_NORMAL));
    fonts_[Fixed] = GdiObject<HFONT>(CreateWindowFont(FW_NORMAL, L"Fixedsys", 900, FIXED_PITCH | FF_MODERN));
    static_assert(std::size(kLabels) == kLabelCount, "one entry for each label");
    // Measured once: the texts never change while the window is open.
    ScreenDC screen(GetDC(nullptr));
    for (int label = 0; label < kLabelCount; ++label) {
        const LabelSpec& spec = kLabels[label];
        ScopedSelect selectFont(screen.Get(), fonts_[spec.face].Get());
        RECT& rect = labelRects_[label];
        rect = {ScaleX(spec.left), ScaleY(spec.top), ScaleX(spec.left + spec.width), ScaleY(spec.top)};
        RECT measured = rect;
        DrawTextW(screen.Get(), spec.caption, -1, &measured, LabelFormat(spec) | DT_CALCRECT);
        // A wrapped label keeps its width, so that its lines stay centred on it.
        if (spec.width == 0) rect.right = measured.right;
        rect.bottom = measured.bottom;
    }
    handCursor_ = static_cast<HCURSOR>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDR_HANDCURSOR), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
}

void frmInfo::Form_Paint() {
    const PaintDC paint(hwnd_);
    const HDC screen = paint.Get();
    RECT client{};
    GetClientRect(hwnd_, &client);
    UniqueOwned<HDC, DeleteDC> buffer(CreateCompatibleDC(screen));
    GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen, client.right, client.bottom));
    if (buffer.Get() && bitmap.Get()) {
        ScopedSelect selectBitmap(buffer.Get(), bitmap.Get());
        PaintAll(buffer.Get(), client);
        BitBlt(screen, 0, 0, client.right, client.bottom, buffer.Get(), 0, 0, SRCCOPY);
    } else {
        // Short of memory for the buffer: straight onto the screen, with a flicker.
        PaintAll(screen, client);
    }
}

void frmInfo::PaintAll(HDC dc, const RECT& client) const {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    if (imgST60_.Get() && SUCCEEDED(imgST60_->get_Width(&width)) && SUCCEEDED(imgST60_->get_Height(&height))) {
        // The picture object gives its size in himetric, measured at the screen's
        // DPI, which brings back its own pixels. Those were drawn for 96 DPI, so
        // they grow with the DPI like the rest of the window.
        const int widthTwips = MulDiv(width, DpiX(), kHimetricPerInch) * kTwipsPerPixel;
        const int heightTwips = MulDiv(height, DpiY(), kHimetricPerInch) * kTwipsPerPixel;
        // Himetric runs upwards: start at the bottom and go up the full height.
        imgST60_->Render(dc, ScaleX(kPictureLeftTwips), ScaleY(kPictureTopTwips), ScaleX(widthTwips),
                         ScaleY(heightTwips), 0, height, width, -height, nullptr);
    }
    SetBkMode(dc, TRANSPARENT);
    for (int label = 0; label < kLabelCount; ++label) {
        const LabelSpec& spec = kLabels[label];
        ScopedSelect selectFont(dc, fonts_[spec.face].Get());
        SetTextColor(dc, spec.white ? kWhite : GetSysColor(COLOR_BTNTEXT));
        RECT rect = labelRects_[label];
        DrawTextW(dc, spec.caption, -1, &rect, LabelFormat(spec));
    }
}

bool frmInfo::Form_SetCursor(LPARAM lParam) {
    if (LOWORD(lParam) != HTCLIENT) return false;
    POINT cursor{};
    GetCursorPos(&cursor);
    ScreenToClient(hwnd_, &cursor);
    const int label = LabelAt(cursor);
    const bool softKey = label == lblBack || label == lblMore;
    SetCursor(softKey && handCursor_ ? handCursor_ : LoadCursorW(nullptr, IDC_ARROW));
    return true;
}

void frmInfo::Form_MouseDown(LPARAM lParam) { pressedLabel_ = LabelAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); }

void frmInfo::Form_MouseUp(LPARAM lParam) {
    // A click is a press and a release on the same label.
    const int pressed = std::exchange(pressedLabel_, kNoLabel);
    const int label = LabelAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    if (label != pressed) return;
    if (label == lblBack) lblBack_Click();
    if (label == lblMore) lblMore_Click();
}

void frmInfo::lblBack_Click() { CloseModal(); }

void frmInfo::lblMore_Click() {
    OpenReadme(hwnd_, programFolder_);
    CloseModal();
}

}  // namespace kestrane
