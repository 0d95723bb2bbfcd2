// Pictures and icons kept as resources of the executable.
#pragma once

#include <windows.h>

#include "runtime/core/description.h"
#include "runtime/win/handles.h"

namespace rt {

struct Picture {
  UniqueBitmap bitmap;
  SIZE size{};
};

// Loads the bitmap resource `id`; an id of 0 gives an empty picture.
Picture LoadPicture(ResourceId id);

// Loads icon resource `id` at the given square size (32 or 16).
UniqueIcon LoadIconResource(ResourceId id, int size);

// Draws `bitmap` with its top-left corner at (x, y), unscaled; a null bitmap
// draws nothing.
void DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y);

}  // namespace rt
