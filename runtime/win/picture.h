// Pictures and icons kept as resources of the executable. Each picture is
// drawn at every scale of rt::kArtScales: the first as a bitmap resource,
// the others compressed under the resource type "ART<percent>" (ART125 ...)
// with the same identifier.
#pragma once

#include <windows.h>

#include "runtime/core/description.h"
#include "runtime/win/handles.h"

namespace rt {

struct Picture {
  UniqueBitmap bitmap;
  SIZE size{};
};

// Picture `id` for a window at `dpi`: its size there is its size at the
// layout scale converted like every described size. The drawing made for
// that scale is used as it is; between scales the next larger drawing is
// reduced to size by area averaging. An id of 0 gives an empty picture.
// Throws RuntimeError when a drawing is missing or does not decode.
Picture LoadPicture(ResourceId id, int dpi);

// Loads icon resource `id` at the given square size; the icon's images
// nearest that size are used.
UniqueIcon LoadIconResource(ResourceId id, int size);

// Draws `bitmap` with its top-left corner at (x, y), unscaled; a null bitmap
// draws nothing. False when the system refused the drawing (the device
// context for the copy, or the copy itself), which then drew nothing.
bool DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y);

}  // namespace rt
