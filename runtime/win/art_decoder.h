// The larger drawings of the artwork are kept compressed in the executable
// (PNG, and JPEG for the painted cover) and decoded with the Windows Imaging
// Component, which every Windows from 7 on has.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

#include "runtime/win/handles.h"

namespace rt {

// A 32-bit top-down DIB section of `width` x `height`; `bits` receives its
// pixels (0x00RRGGBB, rows without padding), owned by the bitmap.
UniqueBitmap CreatePixelBitmap(int width, int height, std::uint32_t** bits);

// Decodes a PNG or JPEG image held in memory into a 32-bit DIB section.
// Throws RuntimeError when the data is not an image WIC can decode.
UniqueBitmap DecodeImage(std::span<const std::uint8_t> encoded);

}  // namespace rt
