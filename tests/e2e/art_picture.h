// The artwork as the programs should show it at a scale: the 100% BMPs and
// the larger PNG and JPEG drawings, decoded with the Windows Imaging
// Component (the decoder the programs use), so that screen pixels can be
// compared with the picture exactly.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

class ArtPicture {
 public:
  // Throws std::runtime_error when `path` does not decode.
  explicit ArtPicture(const std::wstring& path);

  int width() const { return width_; }
  int height() const { return height_; }
  // Pixel at (x, y), (0, 0) being the top-left corner.
  COLORREF Pixel(int x, int y) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;  // 0x00RRGGBB, rows top-down
};

// The drawing of `name` (e.g. L"cover") in assets\`folder` for a window at
// `dpi`, which must be one of the scales the art is drawn at.
std::wstring ArtPath(const std::wstring& folder, const std::wstring& name, int dpi);

}  // namespace e2e
