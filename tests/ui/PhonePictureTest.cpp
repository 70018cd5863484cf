// The phone's picture as the About window draws it: built from the program's
// resources, it must look exactly like the drawn GIF, res/st60.gif.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#include "ui/PhonePicture.h"

namespace {

constexpr int kWidth = 260;
constexpr int kHeight = 400;
constexpr DWORD kBackground = 0x00FF00FF;  // magenta, in no picture of a phone

// The picture rendered 1:1 over the background, as 32-bit pixels from the top row.
std::vector<DWORD> Rendered(IPicture* picture) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<DWORD> pixels;
    if (dc && bitmap) {
        HGDIOBJ old = SelectObject(dc, bitmap);
        std::fill_n(static_cast<DWORD*>(bits), kWidth * kHeight, kBackground);
        OLE_XSIZE_HIMETRIC width = 0;
        OLE_YSIZE_HIMETRIC height = 0;
        picture->get_Width(&width);
        picture->get_Height(&height);
        picture->Render(dc, 0, 0, kWidth, kHeight, 0, height, width, -height, nullptr);
        GdiFlush();
        const DWORD* first = static_cast<const DWORD*>(bits);
        pixels.assign(first, first + kWidth * kHeight);
        SelectObject(dc, old);
    }
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
    return pixels;
}

TEST(PhonePicture, LooksExactlyLikeTheDrawnGif) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    {
        std::ifstream file(KESTRANE_RES_DIR "/st60.gif", std::ios::binary);
        const std::vector<BYTE> gif{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        ASSERT_GT(gif.size(), 1000u);
        kestrane::ComPtr<IPicture> drawn;
        kestrane::LoadPictureFromMemory(gif, drawn);
        kestrane::ComPtr<IPicture> shown;
        kestrane::LoadPhonePicture(GetModuleHandleW(nullptr), shown);
        ASSERT_NE(drawn.Get(), nullptr);
        ASSERT_NE(shown.Get(), nullptr);

        const std::vector<DWORD> expected = Rendered(drawn.Get());
        const std::vector<DWORD> actual = Rendered(shown.Get());
        ASSERT_EQ(expected.size(), std::size_t{kWidth} * kHeight);
        // The corners are see-through, the display in the middle is not.
        EXPECT_EQ(expected.front(), kBackground);
        EXPECT_NE(expected[150 * kWidth + 130], kBackground);
        std::size_t differing = 0;
        for (std::size_t i = 0; i < expected.size(); ++i) differing += expected[i] != actual[i];
        EXPECT_EQ(differing, 0u);
    }
    CoUninitialize();
}

}  // namespace
