#include "ui/PhonePicture.h"

#include <olectl.h>
#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "resource.h"
#include "ui/LateBound.h"

namespace kestrane {

namespace {

constexpr int kPhoneWidth = 260;
constexpr int kPhoneHeight = 400;
constexpr BYTE kPhoneTransparent = 255;
constexpr std::size_t kPaletteSize = 256 * 3;

void AppendWord(std::string& out, int value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

// LZW codes for 8-bit colours without compressing: every colour is a code of
// its own, 9 bits wide, and a clear code empties the decoder's table before it
// grows past 9 bits. The picture is large in memory only, and only while it loads.
std::string UncompressedLzw(std::span<const BYTE> indices) {
    constexpr unsigned kClear = 256;
    constexpr unsigned kEnd = 257;
    constexpr int kColoursPerClear = 250;  // the table reaches code 507 of the 511 that 9 bits hold
    std::string out;
    out.reserve(indices.size() * 9 / 8 + indices.size() / 200 + 4);
    unsigned long pending = 0;
    int pendingBits = 0;
    auto put = [&](unsigned code) {
        pending |= static_cast<unsigned long>(code) << pendingBits;
        for (pendingBits += 9; pendingBits >= 8; pendingBits -= 8, pending >>= 8)
            out.push_back(static_cast<char>(pending & 0xFF));
    };
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (i % kColoursPerClear == 0) put(kClear);
        put(indices[i]);
    }
    put(kEnd);
    if (pendingBits > 0) out.push_back(static_cast<char>(pending & 0xFF));
    return out;
}

// A one-frame GIF89a of `indices` (width x height, row by row from the top)
// in the 256 colours of `palette` (RGB), colour `transparent` see-through.
// The GIF's bytes, in a string.
std::string GifFromIndices(int width, int height, std::span<const BYTE> palette, std::span<const BYTE> indices,
                           BYTE transparent) {
    const char see = static_cast<char>(transparent);
    std::string gif = "GIF89a";
    AppendWord(gif, width);
    AppendWord(gif, height);
    // A global table of 256 colours at 8 bits each; the background is the see-through colour.
    gif += {'\xF7', see, 0};
    gif.append(reinterpret_cast<const char*>(palette.data()), palette.size());
    // Graphic control extension: no disposal, no delay, a transparent colour.
    gif += {'\x21', '\xF9', 4, 0x01, 0, 0, see, 0};
    // One image over the whole screen, not interlaced, LZW from 8-bit codes.
    gif += {'\x2C', 0, 0, 0, 0};
    AppendWord(gif, width);
    AppendWord(gif, height);
    gif += {0, 8};
    const std::string codes = UncompressedLzw(indices);
    for (std::size_t at = 0; at < codes.size(); at += 255) {
        const std::size_t block = std::min<std::size_t>(255, codes.size() - at);
        gif.push_back(static_cast<char>(block));
        gif.append(codes, at, block);
    }
    gif += {0, '\x3B'};
    return gif;
}

}  // namespace

void LoadPictureFromMemory(std::span<const BYTE> bytes, ComPtr<IPicture>& picture) {
    // The picture object reads from a stream, which owns the memory it reads.
    picture.Reset();
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
    if (!memory.Get()) return;
    void* target = GlobalLock(memory.Get());
    if (!target) return;
    CopyMemory(target, bytes.data(), bytes.size());
    GlobalUnlock(memory.Get());
    ComPtr<IStream> stream;
    auto streamOn = LateBound<decltype(CreateStreamOnHGlobal)>(L"ole32.dll", "CreateStreamOnHGlobal");
    auto loadPicture = LateBound<decltype(OleLoadPicture)>(L"oleaut32.dll", "OleLoadPicture");
    if (!streamOn || !loadPicture || FAILED(streamOn(memory.Get(), TRUE, stream.Put()))) return;
    memory.Release();
    if (FAILED(loadPicture(stream.Get(), static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                           reinterpret_cast<void**>(picture.Put()))))
        picture.Reset();
}

void LoadPhonePicture(HINSTANCE instance, ComPtr<IPicture>& picture) {
    picture.Reset();
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(IDR_ST60), RT_RCDATA);
    HGLOBAL resource = found ? LoadResource(instance, found) : nullptr;
    const auto* deflated = static_cast<const Bytef*>(resource ? LockResource(resource) : nullptr);
    if (!deflated) return;
    std::vector<BYTE> pixels(kPaletteSize + std::size_t{kPhoneWidth} * kPhoneHeight);
    uLongf size = static_cast<uLongf>(pixels.size());
    if (uncompress(pixels.data(), &size, deflated, SizeofResource(instance, found)) != Z_OK || size != pixels.size())
        return;
    const std::span<const BYTE> all(pixels);
    const std::string gif = GifFromIndices(kPhoneWidth, kPhoneHeight, all.first(kPaletteSize),
                                           all.subspan(kPaletteSize), kPhoneTransparent);
    LoadPictureFromMemory({reinterpret_cast<const BYTE*>(gif.data()), gif.size()}, picture);
}

}  // namespace kestrane
