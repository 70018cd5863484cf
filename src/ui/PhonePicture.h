// The phone's picture in the About window. The program carries it deflated
// (res/st60.pixels, its palette and colour indices) and builds a GIF of it in
// memory for the picture object to load, a third of the bytes of the GIF itself.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <span>

#include "ui/ScopedWin.h"

namespace kestrane {

// Loads a GIF (or another format the picture object reads) from memory;
// `picture` stays empty when it cannot.
void LoadPictureFromMemory(std::span<const BYTE> bytes, ComPtr<IPicture>& picture);

// The phone's picture from the program's resources, empty when it is missing.
void LoadPhonePicture(HINSTANCE instance, ComPtr<IPicture>& picture);

}  // namespace kestrane
