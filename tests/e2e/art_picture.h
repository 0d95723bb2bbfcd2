// The artwork as the programs should show it at a scale: the 100% BMPs and
// the larger PNG and JPEG drawings, decoded with the Windows Imaging
// Component (the decoder the programs use), so that screen pixels can be
// compared with the picture exactly.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

class ArtPicture {
 public:
  // Throws std::runtime_error when `path` does not decode.
  explicit ArtPicture(const std::wstring& path);
  ArtPicture(int width, int height, std::vector<std::uint32_t> pixels)
      : width_(width), height_(height), pixels_(std::move(pixels)) {}

  int width() const { return width_; }
  int height() const { return height_; }
  // Pixel at (x, y), (0, 0) being the top-left corner.
  COLORREF Pixel(int x, int y) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;  // 0x00RRGGBB, rows top-down
};

// The drawing of `name` (e.g. L"cover") in assets\`folder` made for
// `percent` (100, 125, ...).
std::wstring ArtPath(const std::wstring& folder, const std::wstring& name, int percent);

// What a window at `dpi` shows of that picture: the drawing made for its
// scale or, between scales, the next larger drawing reduced to the size the
// scale gives by area averaging (the runtime's filter, which its unit tests
// check).
ArtPicture ArtForDpi(const std::wstring& folder, const std::wstring& name, int dpi);

// True when the art is drawn for exactly this scale.
bool IsArtScale(int dpi);

}  // namespace e2e
